// SPDX-License-Identifier: MIT
// Small helpers for tests that look at real files.
#pragma once

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>

#include <fcntl.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>

/// A file's permission bits, or -1 when it is missing.
inline int mode(const QString &path) {
    struct stat info {};
    return ::stat(QFile::encodeName(path).constData(), &info) == 0 ? int(info.st_mode & 0777) : -1;
}

inline QByteArray contents(const QString &path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

inline void writeFile(const QString &path, const QByteArray &bytes) {
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
        qFatal("cannot write %s", qPrintable(path));
}

/// Temporary files of interrupted saves left in `folder`.
inline QStringList strayFiles(const QString &folder) {
    return QDir(folder).entryList({QStringLiteral("~*.tmp")}, QDir::Files | QDir::Hidden);
}

/// Runs `program` to its end and returns its exit code, with what it printed in `output`.
inline int runProgram(const QString &program, const QStringList &arguments,
                      QByteArray *output = nullptr) {
    QProcess process;
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start(program, arguments);
    if (!process.waitForFinished(60000))
        return -1;
    if (output)
        *output = process.readAll();
    return process.exitCode();
}

// Read-only as its owner sees it. Root writes whatever the permissions say, but not a file or
// folder marked immutable.
inline bool setReadOnly(const QString &path, bool on) {
    if (::geteuid() != 0)
        return ::chmod(QFile::encodeName(path).constData(), on ? 0500 : 0700) == 0;
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK);
    int flags = 0;
    bool done = fd >= 0 && ::ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0;
    flags = on ? flags | FS_IMMUTABLE_FL : flags & ~FS_IMMUTABLE_FL;
    done = done && ::ioctl(fd, FS_IOC_SETFLAGS, &flags) == 0;
    ::close(fd);
    return done;
}
