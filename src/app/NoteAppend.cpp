// SPDX-License-Identifier: MIT
#include "NoteAppend.h"

#include "AtomicFile.h"
#include "NoteEncoding.h"
#include "Notemodel.h"

#include <QFile>

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// Larger texts are rare, and slow anyway: written whole, no engine ever sees them half done.
constexpr qsizetype inPlaceLimit = 64 * 1024;

struct Descriptor {
    int fd;
    ~Descriptor() { ::close(fd); }
};

QString systemError() {
    return qt_error_string(errno);
}

} // namespace

std::optional<QString> NoteAppend::append(const QString &path, NoteFile::Options options,
                                          const QString &lines) {
    QString reason;
    switch (inPlace(path, lines, &reason)) {
    case Outcome::Done:
        return std::nullopt;
    case Outcome::Failed:
        return tr("the note cannot be saved, nothing was added: %1").arg(reason);
    case Outcome::Whole:
        break;
    }
    return whole(path, options, lines);
}

NoteAppend::Outcome NoteAppend::inPlace(const QString &path, const QString &lines,
                                        QString *reason) {
    // The lines as they follow a line break; the one that ends the note's last line, if it
    // lacks one, is decided against the bytes the file ends with.
    const QByteArray text = noteToUtf8(NoteModel::appendix(u"\n", lines));
    if (text.size() > inPlaceLimit)
        return Outcome::Whole;
    const QByteArray name = QFile::encodeName(AtomicFile::resolve(path));
    for (int attempt = 0; attempt < 10; ++attempt) {
        // Not blocking: a FIFO put there meanwhile would hold the command for good.
        const Descriptor file{::open(name.constData(), O_RDWR | O_APPEND | O_NONBLOCK | O_CLOEXEC)};
        struct stat before {};
        if (file.fd < 0 || ::fstat(file.fd, &before) != 0 || !S_ISREG(before.st_mode) ||
            before.st_size == 0)
            return errno == EACCES || errno == EROFS ? (*reason = systemError(), Outcome::Failed)
                                                     : Outcome::Whole;
        char last = 0;
        if (::pread(file.fd, &last, 1, before.st_size - 1) != 1)
            return *reason = systemError(), Outcome::Failed;
        const bool separated = last != '\n';
        const QByteArray bytes = (separated ? QByteArray("\n") : QByteArray()) + text;
        // Appended where the file ends at the moment of writing, after whatever another
        // program wrote meanwhile, never over it.
        const ssize_t written = ::write(file.fd, bytes.constData(), size_t(bytes.size()));
        const int error = written < 0 ? errno : written < bytes.size() ? ENOSPC : 0;
        const bool synced = error == 0 && ::fsync(file.fd) == 0;
        const int syncError = errno;
        // Where the bytes landed, and after what.
        struct stat after {
        }, named{};
        if (::fstat(file.fd, &after) != 0)
            return *reason = systemError(), Outcome::Failed;
        const off_t start = after.st_size - (written > 0 ? written : 0);
        QByteArray landed(bytes.size() + 1, '\0');
        const bool ours =
            written == bytes.size() && start >= 1 &&
            ::pread(file.fd, landed.data(), size_t(landed.size()), start - 1) == landed.size() &&
            landed.sliced(1) == bytes;
        if (!synced) { // the note as it was
            if (written > 0)
                static_cast<void>(::ftruncate(file.fd, start));
            errno = error ? error : syncError;
            return *reason = systemError(), Outcome::Failed;
        }
        const bool fits = (landed.front() != '\n') == separated;
        const bool kept = ::stat(name.constData(), &named) == 0 && named.st_ino == after.st_ino &&
                          named.st_dev == after.st_dev;
        if (!ours || (fits && kept))
            return Outcome::Done; // or another writer went on after them: they are in the note
        // The file was replaced, or its end changed, between the look and the write: the
        // bytes are taken off again and written anew after the note as it is now.
        if (::ftruncate(file.fd, start) != 0 || ::fsync(file.fd) != 0)
            return *reason = systemError(), Outcome::Failed;
    }
    *reason = tr("the note keeps changing");
    return Outcome::Failed;
}

/// Through NoteFile, as it writes for the app: atomically, and never over a version it has not
/// read.
std::optional<QString> NoteAppend::whole(const QString &path, NoteFile::Options options,
                                         const QString &lines) {
    NoteFile note(path, options);
    std::optional<QString> failure;
    bool changed = false;
    QObject::connect(&note, &NoteFile::writeFailed, &note,
                     [&failure](const QString &reason) { failure = reason; });
    QObject::connect(&note, &NoteFile::changedOutside, &note, [&changed] { changed = true; });
    // Another program that writes between the read and the write keeps its words: nothing is
    // written then, and the lines go after what it wrote.
    for (int round = 0; round < 10; ++round) {
        changed = false;
        const QByteArray bytes = note.readBytes().value_or(QByteArray());
        note.write(bytes +
                   noteToUtf8(NoteModel::appendix(QString::fromUtf8(bytes.right(1)), lines)));
        note.flush();
        QCoreApplication::sendPostedEvents(&note, QEvent::MetaCall);
        if (failure)
            return tr("the note cannot be saved, nothing was added: %1").arg(*failure);
        if (!changed)
            return std::nullopt;
    }
    return tr("the note keeps changing; nothing was added");
}
