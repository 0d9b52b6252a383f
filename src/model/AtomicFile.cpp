// SPDX-License-Identifier: MIT
#include "AtomicFile.h"

#include <QDir>
#include <QFileInfo>
#include <QSaveFile>

#ifdef Q_OS_UNIX
#include <fcntl.h>
#include <unistd.h>
#endif

namespace {

QString describe(const QString &path, const QString &reason) {
    return QStringLiteral("%1: %2").arg(QDir::toNativeSeparators(path), reason);
}

// The rename is only durable once the folder entry itself is on disk.
void syncFolder(const QString &filePath) {
#ifdef Q_OS_UNIX
    const QByteArray folder = QFile::encodeName(QFileInfo(filePath).absolutePath());
    const int fd = ::open(folder.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
#else
    Q_UNUSED(filePath);
#endif
}

} // namespace

namespace AtomicFile {

std::optional<QString> write(const QString &path, QByteArrayView bytes, Access access) {
    QSaveFile file(path);
    // Unbuffered: with a buffer, the bytes reach the disk only inside commit(), which does not
    // look at that last write and would rename a cut-off file over the note on a full disk.
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
        return describe(path, file.errorString());
    // Set on the temporary file before any byte of the note is in it, so that no reader other
    // than the owner ever sees the content.
    if (access == Access::OwnerOnly &&
        !file.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner)) {
        const QString reason = file.errorString();
        file.cancelWriting();
        return describe(path, reason);
    }
    // A short write must never be committed as if it were the whole file.
    qint64 done = 0;
    while (done < bytes.size()) {
        const qint64 n = file.write(bytes.data() + done, bytes.size() - done);
        if (n <= 0) {
            const QString reason = file.errorString();
            file.cancelWriting();
            return describe(path, reason);
        }
        done += n;
    }
    if (file.error() != QFileDevice::NoError) {
        const QString reason = file.errorString();
        file.cancelWriting();
        return describe(path, reason);
    }
    if (!file.commit())
        return describe(path, file.errorString());
    syncFolder(path);
    return std::nullopt;
}

} // namespace AtomicFile
