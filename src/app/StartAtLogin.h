// SPDX-License-Identifier: MIT
#pragma once

#include <QString>

#include <optional>

/// Mirt at login, without a window, so that the first press of the shortcut shows the note at
/// once: an XDG autostart entry in the user's configuration folder, which every desktop that
/// follows the freedesktop conventions runs. The entry itself is the setting, so that a desktop's
/// own list of startup programs and the menu agree.
namespace StartAtLogin {

/// `$XDG_CONFIG_HOME/autostart/io.github.mirtapp.Mirt.desktop`.
QString entryPath();
/// Whether the entry is there and not switched off by the desktop.
bool isOn();
/// Writes or removes the entry: nothing, or why it could not.
std::optional<QString> setOn(bool on);

} // namespace StartAtLogin
