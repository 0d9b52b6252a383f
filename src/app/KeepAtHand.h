// SPDX-License-Identifier: MIT
#pragma once

#include <QObject>

class QAction;
class QMenuBar;
class QWidget;

/// The two choices that keep the note at hand, remembered: File ▸ Start at Login, which starts
/// Mirt without a window when the user logs in, and View ▸ Keep on Top.
class KeepAtHand : public QObject {
    Q_OBJECT
public:
    /// Adds the choices to the File and View menus of `menuBar`, and keeps `window` on top when
    /// the user chose so before.
    KeepAtHand(QWidget &window, QMenuBar &menuBar);

    static inline const QString keepOnTopKey = QStringLiteral("mirt.window.keepOnTop");

    /// Wayland compositors keep no window on top because an app asks.
    static bool canKeepOnTop();

private:
    void startAtLogin(bool on);
    void keepOnTop(bool on);
    void tell(const QString &message, const QString &detail);

    QWidget &window_;
    QAction *startAtLogin_;
    QAction *keepOnTop_;
};
