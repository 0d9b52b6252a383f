// SPDX-License-Identifier: MIT
#include "AtomicFile.h"

#include <QDir>
#include <QFileInfo>
#include <QRandomGenerator>

#include <cerrno>
#include <climits>
#include <cstdio>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

namespace {

QString describe(const QString &path, int error) {
    return QStringLiteral("%1: %2").arg(QDir::toNativeSeparators(path), qt_error_string(error));
}

QString describeKind(const QString &path, mode_t mode) {
    const char *kind = S_ISDIR(mode)                    ? "is a folder, not a file"
                       : S_ISFIFO(mode)                 ? "is a FIFO, not a file"
                       : S_ISCHR(mode) || S_ISBLK(mode) ? "is a device, not a file"
                       : S_ISSOCK(mode)                 ? "is a socket, not a file"
                                                        : "is not a regular file";
    return QStringLiteral("%1 %2").arg(QDir::toNativeSeparators(path), QLatin1String(kind));
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

// What link() says on a file system without hard links.
bool refusesLinks(int error) {
    return error == EPERM || error == EOPNOTSUPP || error == ENOSYS || error == EMLINK;
}

// Every byte is checked: a short write must never take the file's name. Returns 0 or errno.
int writeAll(int fd, QByteArrayView bytes) {
    for (qsizetype done = 0; done < bytes.size();) {
        const ssize_t n = ::write(fd, bytes.data() + done, size_t(bytes.size() - done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return n < 0 ? errno : ENOSPC;
        done += n;
    }
    return 0;
}

/// New bytes on their way to a name: an open file without a name where the file system has
/// them, else one with a temporary name beside `target`, which a killed save leaves behind.
class Pending {
public:
    Pending(const QString &target, mode_t mode) {
#ifdef O_TMPFILE
        fd_ = ::open(QFile::encodeName(QFileInfo(target).absolutePath()).constData(),
                     O_TMPFILE | O_WRONLY | O_CLOEXEC, mode);
        if (fd_ >= 0 || (errno != EOPNOTSUPP && errno != EISDIR && errno != EINVAL)) {
            error_ = fd_ < 0 ? errno : 0;
            return;
        }
#endif
        // No unnamed files here (an older kernel, a network or FUSE file system).
        for (int attempt = 0; attempt < 10 && fd_ < 0; ++attempt) {
            temporary_ = temporaryName(target);
            fd_ = ::open(QFile::encodeName(temporary_).constData(),
                         O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, mode);
            if (fd_ < 0 && errno != EEXIST)
                break;
        }
        error_ = fd_ < 0 ? errno : 0;
        if (fd_ < 0)
            temporary_.clear();
    }
    ~Pending() {
        if (fd_ >= 0)
            ::close(fd_);
        if (!temporary_.isEmpty())
            ::unlink(QFile::encodeName(temporary_).constData());
    }
    Pending(const Pending &) = delete;
    Pending &operator=(const Pending &) = delete;

    int error() const {
        return error_;
    }

    /// Writes, gives the bytes the owner, permissions and extended attributes (an access
    /// control list among them) of the file at `like`, when there is one, and syncs them.
    /// 0 or errno.
    int fill(QByteArrayView bytes, const QByteArray &likePath, const struct stat *like) {
        if (int error = writeAll(fd_, bytes))
            return error;
        if (like) {
            // A new file takes the folder's group where the folder says so (setgid).
            struct stat made {};
            if (::fstat(fd_, &made) != 0)
                return errno;
            if ((like->st_uid != made.st_uid || like->st_gid != made.st_gid) &&
                ::fchown(fd_, like->st_uid, like->st_gid) != 0)
                return errno;
            if (::fchmod(fd_, like->st_mode & 07777) != 0)
                return errno;
            copyAttributes(likePath);
        }
        if (::fsync(fd_) != 0)
            return errno;
        // A network file system may report a failed write only when the file is closed. An
        // unnamed file stays open: it is linked through its descriptor.
        if (!temporary_.isEmpty() && ::close(std::exchange(fd_, -1)) != 0)
            return errno;
        return 0;
    }

    /// Gives the bytes the name `path`, which must not exist. 0 or errno.
    int link(const QString &path) {
        const QByteArray name = QFile::encodeName(path);
        if (temporary_.isEmpty()) {
            const QByteArray self = "/proc/self/fd/" + QByteArray::number(fd_);
            if (::linkat(AT_FDCWD, self.constData(), AT_FDCWD, name.constData(),
                         AT_SYMLINK_FOLLOW) == 0)
                return 0;
            if (errno != ENOENT || ::access(self.constData(), F_OK) == 0)
                return errno;
            // No /proc: only a privileged process can link by the descriptor itself.
            return ::linkat(fd_, "", AT_FDCWD, name.constData(), AT_EMPTY_PATH) == 0 ? 0 : errno;
        }
        const QByteArray temporary = QFile::encodeName(temporary_);
        if (::link(temporary.constData(), name.constData()) == 0) {
            ::unlink(QFile::encodeName(std::exchange(temporary_, QString())).constData());
            return 0;
        }
        if (!refusesLinks(errno))
            return errno;
        // FAT, exFAT and some network and FUSE file systems have no hard links: the name is
        // taken by a rename that will not replace a file, where the file system can say so.
        if (::renameat2(AT_FDCWD, temporary.constData(), AT_FDCWD, name.constData(),
                        RENAME_NOREPLACE) != 0) {
            if (errno != EINVAL && errno != ENOSYS && errno != EOPNOTSUPP)
                return errno;
            struct stat existing {};
            if (::lstat(name.constData(), &existing) == 0)
                return EEXIST;
            // Between this look and the rename another writer could make the name: no file
            // system without links and without a rename that refuses narrows that further.
            if (::rename(temporary.constData(), name.constData()) != 0)
                return errno;
        }
        temporary_.clear();
        return 0;
    }

    /// Puts the bytes in place of the file at `path`, which may exist. 0 or errno.
    int replace(const QString &path) {
        if (temporary_.isEmpty()) {
            // A name only once the bytes are whole, and only for the moment of the rename.
            QString named;
            int error = EEXIST;
            for (int attempt = 0; attempt < 10 && error == EEXIST; ++attempt) {
                named = temporaryName(path);
                error = link(named);
            }
            if (error)
                return error;
            temporary_ = named;
        }
        if (::rename(QFile::encodeName(temporary_).constData(),
                     QFile::encodeName(path).constData()) != 0)
            return errno;
        temporary_.clear();
        return 0;
    }

private:
    // What the system keeps beside the bytes: access control lists, tags, security labels.
    // Those the user may not set are left to the system.
    void copyAttributes(const QByteArray &from) {
        const ssize_t size = ::listxattr(from.constData(), nullptr, 0);
        if (size <= 0)
            return;
        QByteArray names(size, Qt::Uninitialized);
        const ssize_t listed = ::listxattr(from.constData(), names.data(), size_t(size));
        for (const QByteArray &name :
             QByteArrayView(names.constData(), std::max<ssize_t>(listed, 0))
                 .toByteArray()
                 .split('\0')) {
            if (name.isEmpty())
                continue;
            const ssize_t length = ::getxattr(from.constData(), name.constData(), nullptr, 0);
            if (length < 0)
                continue;
            QByteArray value(length, Qt::Uninitialized);
            const ssize_t read =
                ::getxattr(from.constData(), name.constData(), value.data(), size_t(length));
            if (read >= 0)
                ::fsetxattr(fd_, name.constData(), value.constData(), size_t(read), 0);
        }
    }

    int fd_ = -1;
    int error_ = 0;
    QString temporary_;
};

// For a file linked or shared on purpose, or in a folder only its bytes may change in: the
// same file gets the new bytes. The space is taken before a byte changes, and if a write still
// fails, the old bytes go back, so that the file is whole, old or new.
std::optional<QString> writeInPlace(const QString &path, QByteArrayView bytes) {
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDWR | O_CLOEXEC | O_NOFOLLOW);
    if (fd < 0)
        return describe(path, errno);
    QByteArray old;
    struct stat info {};
    int error = ::fstat(fd, &info) == 0 ? 0 : errno;
    if (!error) {
        old.resize(qsizetype(info.st_size));
        qsizetype done = 0;
        while (done < old.size()) {
            const ssize_t n = ::pread(fd, old.data() + done, size_t(old.size() - done), done);
            if (n < 0 && errno == EINTR)
                continue;
            if (n <= 0) {
                error = n < 0 ? errno : 0;
                break;
            }
            done += n;
        }
        old.truncate(done);
    }
    // File systems without fallocate find out when they write; the old bytes mend that.
    if (!error && bytes.size() > old.size() && ::fallocate(fd, 0, 0, off_t(bytes.size())) != 0 &&
        errno != EOPNOTSUPP)
        error = errno;
    const auto put = [fd](QByteArrayView content) {
        if (::lseek(fd, 0, SEEK_SET) != 0)
            return errno;
        if (int failed = writeAll(fd, content))
            return failed;
        return ::ftruncate(fd, off_t(content.size())) == 0 ? 0 : errno;
    };
    if (!error && (error = put(bytes)) != 0)
        put(old);
    if (!error && ::fsync(fd) != 0)
        error = errno;
    if (::close(fd) != 0 && !error)
        error = errno;
    return error ? std::optional(describe(path, error)) : std::nullopt;
}

} // namespace

namespace AtomicFile {

QString resolve(const QString &path) {
    QString current = QFileInfo(path).absoluteFilePath();
    for (int hop = 0; hop < 40; ++hop) {
        const QByteArray encoded = QFile::encodeName(current);
        struct stat info {};
        if (::lstat(encoded.constData(), &info) != 0 || !S_ISLNK(info.st_mode)) {
            // One spelling for one file, however its folders were reached.
            const QFileInfo file(current);
            const QString folder = file.dir().canonicalPath();
            return folder.isEmpty() ? current : QDir(folder).filePath(file.fileName());
        }
        QByteArray target(PATH_MAX, Qt::Uninitialized);
        const ssize_t length = ::readlink(encoded.constData(), target.data(), size_t(PATH_MAX));
        if (length <= 0)
            return current;
        target.truncate(length);
        // Relative to the folder the link is in, as the system reads it.
        const QFileInfo link(current);
        const QString folder = link.dir().canonicalPath();
        current = QDir::cleanPath(QDir(folder.isEmpty() ? link.absolutePath() : folder)
                                      .filePath(QFile::decodeName(target)));
    }
    return current; // a loop of links: the write fails and says so
}

std::optional<QString> refusal(const QString &path) {
    struct stat info {};
    if (::stat(QFile::encodeName(path).constData(), &info) != 0)
        return errno == ENOENT ? std::nullopt : std::optional(describe(path, errno));
    return S_ISREG(info.st_mode) ? std::nullopt : std::optional(describeKind(path, info.st_mode));
}

std::optional<QString> write(const QString &path, QByteArrayView bytes, Access access) {
    const QString target = resolve(path);
    const QByteArray encoded = QFile::encodeName(target);
    struct stat existing {};
    const bool exists = ::stat(encoded.constData(), &existing) == 0;
    if (!exists && errno != ENOENT)
        return describe(target, errno);
    if (exists && !S_ISREG(existing.st_mode))
        return describeKind(target, existing.st_mode);
    // A file its owner made read-only stays as it is, though the rename could replace it.
    if (exists && ::access(encoded.constData(), W_OK) != 0)
        return describe(target, errno);
    const bool shared =
        exists && (existing.st_nlink > 1 || (::geteuid() != 0 && existing.st_uid != ::geteuid()));
    if (shared)
        return writeInPlace(target, bytes);
    // Private from the first byte, then the existing file's permissions; a new file gets the
    // umask's choice, as any new file of the user's, or stays private.
    const mode_t mode = exists || access == Access::OwnerOnly ? 0600 : 0666;
    Pending pending(target, mode);
    // A folder the user may not add to, though the file itself may change.
    if ((pending.error() == EACCES || pending.error() == EPERM) && exists)
        return writeInPlace(target, bytes);
    if (pending.error())
        return describe(target, pending.error());
    int error = pending.fill(bytes, encoded, exists ? &existing : nullptr);
    if (error == EPERM && exists) // a group the user is not in: the file itself is rewritten
        return writeInPlace(target, bytes);
    if (!error)
        error = exists ? pending.replace(target) : pending.link(target);
    if (error == EEXIST) // made by another writer meanwhile; the caller checked what it replaces
        error = pending.replace(target);
    if (error)
        return describe(target, error);
    syncFolder(target);
    return std::nullopt;
}

Appended append(const QString &path, qint64 expectedSize, QByteArrayView tail, QString *error) {
    const QString target = resolve(path);
    // Not blocking: a FIFO put there meanwhile would hold the writer for good.
    const int fd = ::open(QFile::encodeName(target).constData(),
                          O_WRONLY | O_APPEND | O_NONBLOCK | O_CLOEXEC | O_NOFOLLOW);
    if (fd < 0)
        return Appended::No;
    struct stat before {};
    if (::fstat(fd, &before) != 0 || !S_ISREG(before.st_mode) || before.st_size != expectedSize) {
        ::close(fd);
        return Appended::No;
    }
    int failed = writeAll(fd, tail);
    if (!failed && ::fsync(fd) != 0)
        failed = errno;
    if (failed) {
        // Only bytes of ours come off: another writer's after them stay for the next check.
        struct stat after {};
        if (::fstat(fd, &after) == 0 && after.st_size > expectedSize &&
            after.st_size <= expectedSize + tail.size() && ::ftruncate(fd, expectedSize) == 0)
            ::fsync(fd);
        ::close(fd);
        *error = describe(target, failed);
        return Appended::Failed;
    }
    if (::close(fd) != 0) {
        *error = describe(target, errno);
        return Appended::Failed;
    }
    return Appended::Yes;
}

QString createNew(const std::function<QString(int attempt)> &name, QByteArrayView bytes,
                  std::optional<QString> *error) {
    const QString first = name(1);
    Pending pending(first, 0600);
    int failure = pending.error();
    if (!failure)
        failure = pending.fill(bytes, QByteArray(), nullptr);
    for (int attempt = 1; !failure && attempt <= 1000; ++attempt) {
        const QString path = name(attempt);
        failure = pending.link(path);
        if (!failure) {
            syncFolder(path);
            *error = std::nullopt;
            return path;
        }
        if (failure == EEXIST)
            failure = 0;
    }
    *error = describe(first, failure ? failure : EEXIST);
    return QString();
}

QString temporaryPattern(const QString &path) {
    return u'~' + QFileInfo(path).fileName() + QStringLiteral(".??????.tmp");
}

} // namespace AtomicFile
