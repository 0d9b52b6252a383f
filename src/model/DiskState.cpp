// SPDX-License-Identifier: MIT
#include "DiskState.h"

#include "NoteEncoding.h"

#include <QFile>

#include <algorithm>
#include <cerrno>
#include <ctime>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

qint64 nanoseconds(const struct timespec &t) {
    return qint64(t.tv_sec) * 1'000'000'000 + t.tv_nsec;
}

qint64 nowNs() {
    struct timespec now {};
    ::clock_gettime(CLOCK_REALTIME, &now);
    return nanoseconds(now);
}

} // namespace

DiskState DiskState::of(const QString &path) {
    struct stat info {};
    if (::stat(QFile::encodeName(path).constData(), &info) != 0)
        return {};
#ifdef Q_OS_MACOS
    const qint64 modified = nanoseconds(info.st_mtimespec);
    const qint64 changed = nanoseconds(info.st_ctimespec);
#else
    const qint64 modified = nanoseconds(info.st_mtim);
    const qint64 changed = nanoseconds(info.st_ctim);
#endif
    // Some file systems keep whole seconds, FAT two of them: within that, a state proves nothing.
    constexpr qint64 doubt = 2'000'000'000;
    return {true,
            qint64(info.st_size),
            modified,
            changed,
            quint64(info.st_ino),
            quint64(info.st_dev),
            nowNs() - std::max(modified, changed) < doubt};
}

qint64 DiskState::ageNs() const {
    return nowNs() - std::max(modifiedNs, changedNs);
}

std::optional<QByteArray> readRegularFile(const QString &path) {
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return std::nullopt;
    struct stat info {};
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        ::close(fd);
        return std::nullopt;
    }
    // A byte more than the file holds, so that the read that finds its end needs no room more:
    // growing the buffer would copy the note into one twice its size.
    QByteArray bytes(qsizetype(info.st_size) + 1, Qt::Uninitialized);
    adviseLargeBuffer(bytes.data(), bytes.size());
    qsizetype done = 0;
    for (;;) {
        if (done == bytes.size()) // what another writer added meanwhile
            bytes.resize(bytes.size() + 64 * 1024);
        const ssize_t n = ::read(fd, bytes.data() + done, size_t(bytes.size() - done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0) {
            ::close(fd);
            return std::nullopt;
        }
        if (n == 0)
            break;
        done += n;
    }
    ::close(fd);
    bytes.truncate(done);
    return bytes;
}
