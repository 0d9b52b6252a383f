// SPDX-License-Identifier: MIT
#include "ConflictCopies.h"

#include "AtomicFile.h"
#include "DiskState.h"

#include <QDateTime>
#include <QDir>
#include <QFileInfo>

#include <sys/stat.h>
#include <unistd.h>

namespace {

QString fileNameWith(const QFileInfo &note, const QString &tag) {
    // A note without a suffix gets none, rather than a name ending in a dot.
    const QString suffix = note.suffix();
    return note.completeBaseName() + tag + (suffix.isEmpty() ? QString() : u'.' + suffix);
}

std::pair<QString, std::optional<QString>> keepBeside(const QString &path, const QString &tag,
                                                      const QString &stampFormat,
                                                      const QByteArray &bytes) {
    const QFileInfo note(path);
    const QString stamp = QDateTime::currentDateTime().toString(stampFormat);
    std::optional<QString> error;
    const QString copy = AtomicFile::createNew(
        [&](int n) {
            return note.dir().filePath(
                fileNameWith(note, tag + stamp + (n > 1 ? u'-' + QString::number(n) : QString())));
        },
        bytes, &error);
    return {copy, error};
}

// Whether the folder of the note at `path` takes "Notes.txt" and "notes.txt" for one file, as
// the file systems of Windows and macOS do: asked of the file system itself, through the note.
bool ignoresCase(const QString &path) {
#ifdef _PC_CASE_SENSITIVE
    const long sensitive = ::pathconf(QFile::encodeName(path).constData(), _PC_CASE_SENSITIVE);
    if (sensitive >= 0)
        return sensitive == 0;
#endif
    const QFileInfo note(path);
    const QString name = note.fileName();
    QString other = name;
    for (QChar &c : other)
        c = c.isUpper() ? c.toLower() : c.toUpper();
    if (other == name)
        return false; // no letters with case: either rule reads the name alike
    struct stat one {
    }, two{};
    return ::stat(QFile::encodeName(path).constData(), &one) == 0 &&
           ::stat(QFile::encodeName(note.dir().filePath(other)).constData(), &two) == 0 &&
           one.st_ino == two.st_ino && one.st_dev == two.st_dev;
}

QString seenKey(const QFileInfo &copy) {
    return copy.filePath() + u'|' + QString::number(copy.size()) + u'|' +
           QString::number(copy.lastModified().toMSecsSinceEpoch());
}

} // namespace

std::optional<QString> ConflictCopies::keepUnreadable(const QString &note,
                                                      const QByteArray &bytes) {
    return keepBeside(note, QStringLiteral(".unreadable-"), QStringLiteral("yyyyMMdd-HHmmss"),
                      bytes)
        .second;
}

std::pair<QString, std::optional<QString>> ConflictCopies::keepConflict(const QString &note,
                                                                        const QByteArray &bytes) {
    auto kept =
        keepBeside(note, QStringLiteral(".conflict-"), QStringLiteral("yyyy-MM-dd-HHmmss"), bytes);
    if (!kept.second) { // named already by whoever kept it
        std::lock_guard lock(mutex_);
        reported_.insert(seenKey(QFileInfo(kept.first)));
    }
    return kept;
}

QRegularExpression ConflictCopies::namePattern(const QString &note) {
    const QFileInfo info(note);
    const QString suffix = info.suffix();
    return QRegularExpression(
        u'^' + QRegularExpression::escape(info.completeBaseName()) +
            QStringLiteral(R"((?:\.sync-conflict-\d{8}-\d{6}-\w+|\.conflict-\d{4}-\d{2}-\d{2}-)"
                           R"(\d{6}(?:-\d+)?| \(.*conflicted copy.*\)))") +
            (suffix.isEmpty() ? QString() : QRegularExpression::escape(u'.' + suffix)) + u'$',
        ignoresCase(note) ? QRegularExpression::CaseInsensitiveOption
                          : QRegularExpression::NoPatternOption);
}

std::vector<ConflictCopies::Found> ConflictCopies::newlyFound(const QString &note) {
    std::vector<Found> found;
    const QRegularExpression pattern = namePattern(note);
    for (const QFileInfo &entry : QFileInfo(note).dir().entryInfoList(QDir::Files | QDir::Hidden)) {
        if (!pattern.match(entry.fileName()).hasMatch())
            continue;
        {
            std::lock_guard lock(mutex_);
            if (!reported_.insert(seenKey(entry)).second)
                continue;
        }
        if (std::optional<QByteArray> bytes = readRegularFile(entry.filePath()))
            found.push_back({entry.filePath(), std::move(*bytes)});
    }
    return found;
}

void ConflictCopies::forget() {
    std::lock_guard lock(mutex_);
    reported_.clear();
}
