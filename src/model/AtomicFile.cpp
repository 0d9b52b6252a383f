// SPDX-License-Identifier: MIT
#include "AtomicFile.h"

#include <QDir>
#include <QFileInfo>
#include <QRandomGenerator>

#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

namespace {

QString describe(const QString &path, int error) {
    return QStringLiteral("%1: %2").arg(QDir::toNativeSeparators(path), qt_error_string(error));
}

QString temporaryName(const QString &path) {
    static const char letters[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
    QString suffix;
    for (int i = 0; i < 6; ++i)
        suffix += QLatin1Char(letters[QRandomGenerator::global()->bounded(62)]);
    const QFileInfo target(path);
    return target.dir().filePath(u'~' + target.fileName() + u'.' + suffix + QStringLiteral(".tmp"));
}

// The rename is only durable once the folder entry itself is on disk.
void syncFolder(const QString &filePath) {
    const QByteArray folder = QFile::encodeName(QFileInfo(filePath).absolutePath());
    const int fd = ::open(folder.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}

} // namespace

namespace AtomicFile {

QString temporaryPattern(const QString &path) {
    return u'~' + QFileInfo(path).fileName() + QStringLiteral(".??????.tmp");
}

std::optional<QString> write(const QString &path, QByteArrayView bytes, Access access) {
    // A file its owner made read-only stays as it is, though the rename could replace it.
    if (::access(QFile::encodeName(path).constData(), W_OK) != 0 && errno == EACCES)
        return describe(path, EACCES);
    // Private from the first byte, or the umask's choice, as for any new file of the user's.
    const mode_t mode = access == Access::OwnerOnly ? 0600 : 0666;
    QString temporary;
    int fd = -1;
    for (int attempt = 0; fd < 0 && attempt < 10; ++attempt) {
        temporary = temporaryName(path);
        fd = ::open(QFile::encodeName(temporary).constData(),
                    O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, mode);
        if (fd < 0 && errno != EEXIST)
            return describe(path, errno);
    }
    if (fd < 0)
        return describe(path, EEXIST);
    const QByteArray encodedTemporary = QFile::encodeName(temporary);
    const auto fail = [&](int error) {
        ::close(fd);
        ::unlink(encodedTemporary.constData());
        return describe(path, error);
    };
    // Every byte is checked: a short write must never be renamed over the target.
    for (qsizetype done = 0; done < bytes.size();) {
        const ssize_t n = ::write(fd, bytes.data() + done, size_t(bytes.size() - done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return fail(n < 0 ? errno : ENOSPC);
        done += n;
    }
    if (::fsync(fd) != 0)
        return fail(errno);
    if (::close(fd) != 0) {
        const int error = errno;
        ::unlink(encodedTemporary.constData());
        return describe(path, error);
    }
    if (::rename(encodedTemporary.constData(), QFile::encodeName(path).constData()) != 0) {
        const int error = errno;
        ::unlink(encodedTemporary.constData());
        return describe(path, error);
    }
    syncFolder(path);
    return std::nullopt;
}

} // namespace AtomicFile
