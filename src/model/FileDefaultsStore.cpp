// SPDX-License-Identifier: MIT
#include "FileDefaultsStore.h"

#include "AtomicFile.h"
#include "NoteEncoding.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLockFile>
#include <QSettings>

namespace {

// The preferences are written under a lock file; one left by a process that died would hold
// every later write back for the toolkit's 30 s stale time. Only a live owner may wait us.
void clearAbandonedLock(const QString &path) {
    QLockFile lock(path);
    lock.setStaleLockTime(0); // stale means: its process is gone, however young the file
    if (lock.tryLock(0)) {
        lock.unlock();
        return;
    }
    qint64 pid = 0;
    QString host, application;
    if (!lock.getLockInfo(&pid, &host, &application))
        QFile::remove(path); // unreadable: no live process stands behind it
}

} // namespace

FileDefaultsStore::FileDefaultsStore(const QString &notePath, NoteFile::Options options,
                                     std::unique_ptr<QSettings> preferences, bool remembersMoves,
                                     QObject *parent)
    : DefaultsStore(parent)
    , note_(std::make_unique<NoteFile>(notePath, options))
    , preferences_(std::move(preferences))
    , remembersMoves_(remembersMoves) {
    // The store keeps one string, the note; the key is the model's.
    const QString key = QStringLiteral("mirt.note.autosave");
    connect(note_.get(), &NoteFile::writeSucceeded, this, [this] {
        if (!leftBehind_.isEmpty())
            QFile::remove(std::exchange(leftBehind_, QString()));
        Q_EMIT writeSucceeded();
    });
    connect(note_.get(), &NoteFile::writeFailed, this, &DefaultsStore::writeFailed);
    connect(note_.get(), &NoteFile::changedOutside, this,
            [this, key](const QString &current, const QString &common, quint64 version) {
                Q_EMIT changedOutside(key, current, common, version);
            });
    connect(note_.get(), &NoteFile::removedOutside, this,
            [this, key] { Q_EMIT removedOutside(key); });
    connect(note_.get(), &NoteFile::copyFound, this, &DefaultsStore::copyFound);
}

FileDefaultsStore::~FileDefaultsStore() = default;

std::optional<QString> FileDefaultsStore::string(const QString &) const {
    std::optional<QString> text = note_->read();
    note_->check(); // copies a sync engine left while the app was not running
    return text;
}

std::optional<float> FileDefaultsStore::floatValue(const QString &key) const {
    const QVariant value = preferences_->value(key);
    if (!value.isValid())
        return std::nullopt;
    bool ok = false;
    const double number = value.toDouble(&ok);
    if (!ok)
        return std::nullopt;
    return static_cast<float>(number);
}

void FileDefaultsStore::setString(const QString &, const QString &value) {
    note_->write(noteToUtf8(value));
}

void FileDefaultsStore::setUtf8String(const QString &, const QByteArray &utf8) {
    note_->write(utf8);
}

void FileDefaultsStore::setFloat(const QString &key, float value) {
    clearAbandonedLock(preferences_->fileName() + QStringLiteral(".lock"));
    preferences_->setValue(key, static_cast<double>(value));
    preferences_->sync();
    std::optional<QString> error;
    if (preferences_->status() != QSettings::NoError)
        error = QStringLiteral("%1: cannot write the preferences")
                    .arg(QDir::toNativeSeparators(preferences_->fileName()));
    QMetaObject::invokeMethod(
        this,
        [this, error] {
            if (error)
                Q_EMIT writeFailed(*error);
            else
                Q_EMIT writeSucceeded();
        },
        Qt::QueuedConnection);
}

void FileDefaultsStore::flush() {
    note_->flush();
}

void FileDefaultsStore::acceptOutside(const QString &, quint64 version) {
    note_->accept(version);
}

std::optional<QString> FileDefaultsStore::commonVersion(const QString &, const QString &one,
                                                        const QString &other) {
    return note_->baseOf(one, other);
}

std::pair<QString, std::optional<QString>>
FileDefaultsStore::keepConflictCopy(const QString &, const QString &text) {
    return note_->keepCopy(noteToUtf8(text));
}

void FileDefaultsStore::keepVersion(const QString &, NoteHistory::Kind kind, const QString &text) {
    note_->keepVersion(kind, text);
}

void FileDefaultsStore::setStringTakingCopy(const QString &, const QString &value,
                                            const QString &copy) {
    note_->write(noteToUtf8(value), copy);
}

std::optional<QString> FileDefaultsStore::moveTo(const QString &, const QString &folder,
                                                 const QString &text) {
    // The same folder under another spelling (a link, a trailing slash) is no move: the file
    // there is this very note, and taking it for another would remove it.
    const QString chosen = QFileInfo(folder).canonicalFilePath();
    if (chosen.isEmpty() || !QFileInfo(chosen).isDir())
        return tr("%1 is no folder that can be found").arg(QDir::toNativeSeparators(folder));
    // The name the note had goes, not a file it led to: a link's target is the user's.
    const QString old = note_->path();
    const QString target = QDir(chosen).filePath(QFileInfo(old).fileName());
    const QString realTarget = AtomicFile::resolve(target);
    if (realTarget == note_->realPath())
        return std::nullopt;
    if (auto refusal = AtomicFile::refusal(realTarget))
        return refusal;
    if (claim_ && !claim_(realTarget))
        return tr("another Mirt window keeps the note in %1").arg(QDir::toNativeSeparators(chosen));
    note_->flush();
    const NoteFile::Options chosenOptions{.createFolder = false, .privateFolder = false};
    if (QFileInfo::exists(realTarget)) {
        // A note is there already, perhaps brought by a sync engine: it is taken in at the
        // next save, and the old file goes once that save has put the words in the new place.
        note_->relocate(target, chosenOptions, false);
        leftBehind_ = old;
    } else {
        if (auto error =
                AtomicFile::write(target, noteToUtf8(text), AtomicFile::Access::OwnerOnly)) {
            if (claim_)
                claim_(note_->realPath()); // this note is still where it was
            return error;
        }
        if (QFileInfo::exists(note_->realPath())) // as private, or as shared, as it was
            QFile::setPermissions(realTarget, QFile::permissions(note_->realPath()));
        note_->relocate(target, chosenOptions, true);
        QFile::remove(old);
    }
    if (remembersMoves_) {
        preferences_->setValue(noteFolderKey, QDir(folder).absolutePath());
        preferences_->sync();
    }
    return std::nullopt;
}
