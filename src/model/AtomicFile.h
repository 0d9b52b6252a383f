// SPDX-License-Identifier: MIT
#pragma once

#include <QByteArrayView>
#include <QString>

#include <optional>

namespace AtomicFile {

enum class Access { Default, OwnerOnly };

/// Replaces the file at `path` with `bytes`, whole or not at all: the bytes go to a temporary
/// file beside it that is synced and then renamed over the target, and the folder is synced
/// after the rename so that a power cut leaves the old file or the new one. On failure the
/// target is untouched, no temporary file is left, and the reason is returned.
///
/// The temporary file is named `~<name>.<six characters>.tmp`, a pattern that file-sync
/// engines leave alone, and with OwnerOnly it is private from its first byte.
std::optional<QString> write(const QString &path, QByteArrayView bytes,
                             Access access = Access::Default);

/// The name pattern of the temporary files that writing `path` may leave when it is killed.
QString temporaryPattern(const QString &path);

} // namespace AtomicFile
