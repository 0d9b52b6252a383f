// SPDX-License-Identifier: MIT
#pragma once

#include <QByteArray>
#include <QString>

#include <optional>

/// What the file system says of a file. Two equal states are taken for the same content, unless
/// the state is `racy`: read so soon after its last change that a change in the same tick of
/// the file system's clock would leave every field as it is.
struct DiskState {
    bool exists = false;
    qint64 size = 0;
    qint64 modifiedNs = 0;
    qint64 changedNs = 0; // no program can set it back, as it can the modification time
    quint64 inode = 0;
    quint64 device = 0;
    bool racy = false;

    /// The state of the file at `path` now (links followed).
    static DiskState of(const QString &path);

    bool sameAs(const DiskState &o) const {
        return exists == o.exists && size == o.size && modifiedNs == o.modifiedNs &&
               changedNs == o.changedNs && inode == o.inode && device == o.device;
    }
    /// How long ago, by the wall clock, the file last changed.
    qint64 ageNs() const;
};

/// The bytes of a regular file; nothing for a missing file, and nothing, at once, for a FIFO,
/// a device or a folder, which a plain read would block on or fail at.
std::optional<QByteArray> readRegularFile(const QString &path);
