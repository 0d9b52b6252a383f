// SPDX-License-Identifier: MIT
#pragma once

#include <QByteArrayView>
#include <QString>

#include <functional>
#include <optional>

namespace AtomicFile {

enum class Access { Default, OwnerOnly };

/// The file that writing `path` changes: symbolic links followed to the end, also to a target
/// that does not exist yet, in its folder's canonical spelling. A link is the user's way of
/// keeping the real file elsewhere, often in a synced folder; replacing the link would cut it
/// off.
QString resolve(const QString &path);

/// Why `path` cannot be the note, or nothing: it is missing, or a regular file. A FIFO, a
/// device, a folder or a socket is never opened for the note (a FIFO would block for good).
std::optional<QString> refusal(const QString &path);

/// Replaces the file at `path` (links followed) with `bytes`, whole or not at all: the bytes
/// are synced to disk before they take the file's name, and the folder is synced after, so
/// that a power cut leaves the old file or the new one. On failure the file is untouched and
/// the reason is returned.
///
/// An existing file keeps its permissions, owner and extended attributes; a new one gets the
/// umask's permissions, or owner-only with OwnerOnly. The new bytes are written to an unnamed
/// file where the file system has them, so that a sync engine never sees a half-written file;
/// elsewhere to `~<name>.<six characters>.tmp`. A file with more than one name (a hard link),
/// of another owner, or in a folder the user may not add to is rewritten in place instead, as
/// the user linked or shared that very file; a failed write there puts the old bytes back.
std::optional<QString> write(const QString &path, QByteArrayView bytes,
                             Access access = Access::Default);

enum class Appended { Yes, No, Failed };
/// Adds `tail` at the end of the file at `path` (links followed) while it still holds
/// `expectedSize` bytes: only the new bytes are written and synced, so that a line added to a
/// large note costs the line. A failed write takes them off again: the file is the old one or
/// the new one. No: the file is not as expected, and write() is the way; Failed: `error` says
/// why.
Appended append(const QString &path, qint64 expectedSize, QByteArrayView tail, QString *error);

/// Writes `bytes`, owner-only, to the first of `name(1)`, `name(2)`, … that does not exist,
/// never over an existing file even when another writer makes one meanwhile. Returns the path,
/// or the reason none could be written in `error`.
QString createNew(const std::function<QString(int attempt)> &name, QByteArrayView bytes,
                  std::optional<QString> *error);

/// The name pattern of the temporary files that writing `path` may leave when it is killed.
QString temporaryPattern(const QString &path);

} // namespace AtomicFile
