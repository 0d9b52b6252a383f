// SPDX-License-Identifier: MIT
#include "NoteClaim.h"

#include <QFile>

#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

NoteClaim::NoteClaim(QString path)
    : path_(std::move(path)) {}

NoteClaim::~NoteClaim() {
    release();
}

NoteClaim::Outcome NoteClaim::take() {
    if (fd_ >= 0)
        return Outcome::Taken;
    const QByteArray name = QFile::encodeName(path_);
    // A holder that lets go removes the file: whoever opened it just before then holds a lock
    // on a file nobody else can find, and tries the new one instead.
    for (int attempt = 0; attempt < 8; ++attempt) {
        const int fd = ::open(name.constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
        if (fd < 0)
            return Outcome::Impossible;
        if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
            const int error = errno;
            ::close(fd);
            return error == EWOULDBLOCK ? Outcome::HeldElsewhere : Outcome::Impossible;
        }
        struct stat held {
        }, named{};
        if (::fstat(fd, &held) == 0 && ::stat(name.constData(), &named) == 0 &&
            held.st_ino == named.st_ino && held.st_dev == named.st_dev) {
            fd_ = fd;
            return Outcome::Taken;
        }
        ::close(fd);
    }
    return Outcome::HeldElsewhere;
}

void NoteClaim::release() {
    if (fd_ < 0)
        return;
    // Removed while still held, so that nobody takes the old file after it is let go.
    ::unlink(QFile::encodeName(path_).constData());
    ::close(fd_);
    fd_ = -1;
}

bool NoteClaim::isHeldAt(const QString &path) {
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return false;
    const bool held = ::flock(fd, LOCK_SH | LOCK_NB) != 0 && errno == EWOULDBLOCK;
    ::close(fd); // and with it the shared lock, if it was had
    return held;
}
