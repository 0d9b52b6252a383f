// SPDX-License-Identifier: MIT
#include "NoteWriter.h"

#include "AtomicFile.h"
#include "NoteEncoding.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace {

constexpr auto ownerOnlyFolder =
    QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner;

QString decode(const QByteArray &bytes, bool *exact = nullptr) {
    bool decodedExactly = false;
    QString text = noteFromUtf8(bytes, &decodedExactly);
    if (exact)
        *exact = decodedExactly;
    return text;
}

void keepAside(const QString &path, const QByteArray &bytes) {
    if (const auto error = ConflictCopies::keepUnreadable(path, bytes))
        qWarning("mirt: cannot keep the unreadable note aside: %s", qPrintable(*error));
}

// A save killed between writing its temporary file and renaming it leaves that file behind.
void sweepTemporaryFiles(const QString &path) {
    QDir dir = QFileInfo(path).dir();
    for (const QString &name :
         dir.entryList({AtomicFile::temporaryPattern(path)}, QDir::Files | QDir::Hidden))
        dir.remove(name);
}

} // namespace

NoteWriter::NoteWriter(NoteFile &owner, const QString &path, NoteFile::Options options)
    : owner_(owner)
    , path_(path)
    , options_(options)
    , thread_([this] { run(); }) {}

NoteWriter::~NoteWriter() {
    {
        std::lock_guard lock(mutex_);
        stopping_ = true;
    }
    wake_.notify_all();
    thread_.join();
}

QString NoteWriter::path() {
    std::lock_guard lock(mutex_);
    return path_;
}

/// The file the note's path leads to, through any symbolic links.
QString NoteWriter::realPath() {
    return AtomicFile::resolve(path());
}

std::optional<QByteArray> NoteWriter::readBytes() {
    const QString path = realPath();
    sweepTemporaryFiles(path);
    // The state before the bytes: a change while they are read shows as a change later.
    const DiskState state = DiskState::of(path);
    const std::optional<QByteArray> bytes = readRegularFile(path);
    std::lock_guard lock(mutex_);
    known_ = bytes ? state : DiskState();
    versions_.start(bytes.value_or(QByteArray()));
    reencodedCommon_.clear();
    return bytes;
}

std::optional<QString> NoteWriter::read() {
    const std::optional<QByteArray> bytes = readBytes();
    if (!bytes)
        return std::nullopt;
    bool exact = false;
    QString text = decode(*bytes, &exact);
    if (!exact) {
        keepAside(realPath(), *bytes);
        std::lock_guard lock(mutex_);
        reencodedCommon_ = noteToUtf8(text);
    }
    return text;
}

void NoteWriter::submit(QByteArray bytes, const QString &supersededFile) {
    {
        std::lock_guard lock(mutex_);
        pendingWrite_ = std::move(bytes);
        // A newer value of the note holds the words of an older one: the files that the
        // older one was to replace go with it.
        if (!supersededFile.isEmpty())
            pendingRemovals_ << supersededFile;
    }
    wake_.notify_all();
}

void NoteWriter::keepVersion(NoteHistory::Kind kind, QString text) {
    {
        std::lock_guard lock(mutex_);
        if (!history_)
            return;
        pendingVersions_.append({kind, std::move(text)});
    }
    wake_.notify_all();
}

void NoteWriter::setHistory(NoteHistory *history) {
    std::lock_guard lock(mutex_);
    history_ = history;
}

void NoteWriter::requestCheck() {
    {
        std::lock_guard lock(mutex_);
        checkRequested_ = true;
    }
    wake_.notify_all();
}

void NoteWriter::waitUntilIdle() {
    std::unique_lock lock(mutex_);
    done_.wait(lock, [this] {
        return !pendingWrite_ && pendingVersions_.isEmpty() && !checkRequested_ && !busy_;
    });
}

void NoteWriter::accept(quint64 version) {
    std::lock_guard lock(mutex_);
    if (version != offeredVersion_)
        return;
    known_ = offeredState_;
    versions_.advance(std::exchange(offeredBytes_, QByteArray()));
    reencodedCommon_ = std::exchange(offeredReencoded_, QByteArray());
    offeredVersion_ = 0;
}

std::pair<QString, std::optional<QString>> NoteWriter::keepCopy(const QByteArray &bytes) {
    return copies_.keepConflict(realPath(), bytes);
}

void NoteWriter::relocate(const QString &path, NoteFile::Options options, bool adopt) {
    waitUntilIdle();
    const std::optional<QByteArray> bytes =
        adopt ? readRegularFile(AtomicFile::resolve(path)) : std::nullopt;
    std::lock_guard lock(mutex_);
    path_ = path;
    options_ = options;
    // A file that stood there already is no version of this note's: with nothing known,
    // the next write finds it and it is taken in first, never overwritten unseen.
    known_ = bytes ? DiskState::of(AtomicFile::resolve(path)) : DiskState();
    versions_.start(bytes.value_or(QByteArray()));
    reencodedCommon_.clear();
    offeredVersion_ = 0;
    copies_.forget();
}

std::optional<QString> NoteWriter::baseOf(const QString &one, const QString &other) {
    CommonVersions versions;
    {
        std::lock_guard lock(mutex_);
        versions = versions_;
    }
    return versions.baseOf(one, other);
}

void NoteWriter::run() {
    std::unique_lock lock(mutex_);
    const auto work = [this] {
        return stopping_ || pendingWrite_ || !pendingVersions_.isEmpty() || checkRequested_;
    };
    for (;;) {
        // A large agreed version is compressed once the note has been left alone a while, not
        // between the saves of a session of typing or of lines captured one after another,
        // which would wait for it; never on the way out.
        if (const auto job = versions_.compaction()) {
            if (!wake_.wait_for(lock, std::chrono::seconds(30), work)) {
                lock.unlock();
                CommonVersions::Packed packed = CommonVersions::pack(job->raw);
                lock.lock();
                versions_.compacted(job->generation, std::move(packed));
                continue;
            }
        }
        wake_.wait(lock, work);
        if (!pendingWrite_ && pendingVersions_.isEmpty() && !checkRequested_)
            return; // stopping, and nothing is left to do
        busy_ = true;
        // Versions promised before a write are on disk before it: a note cleared and then
        // killed has its words in the history, or still in its file.
        const auto versions = std::exchange(pendingVersions_, {});
        NoteHistory *history = history_;
        std::optional<QByteArray> write = std::exchange(pendingWrite_, std::nullopt);
        const QStringList removals = write ? std::exchange(pendingRemovals_, {}) : QStringList();
        const bool check = std::exchange(checkRequested_, false);
        lock.unlock();
        for (const auto &[kind, text] : versions)
            history->keep(kind, noteToUtf8(text));
        if (write && store(*write)) {
            if (history)
                history->offerSnapshot(*write);
            for (const QString &file : removals)
                QFile::remove(file);
        } else if (!removals.isEmpty()) {
            lock.lock();
            pendingRemovals_ += removals; // for the next write that gets through
            lock.unlock();
        }
        if (check) {
            if (!write)
                compare(false);
            scanForCopies();
        }
        write.reset(); // let the caller's bytes go before the flush returns
        lock.lock();
        busy_ = false;
        done_.notify_all();
    }
}

// Whether the disk still holds the common version; announces it when it does not, and again
// for a write (`writing`) when what it announced was not taken in.
NoteWriter::Disk NoteWriter::compare(bool writing) {
    const QString path = realPath();
    DiskState known;
    CommonVersions versions; // shared bytes: compared without the lock, which the app waits for
    {
        std::lock_guard lock(mutex_);
        known = known_;
        versions = versions_;
    }
    DiskState now = DiskState::of(path);
    // A writer that empties the file and then fills it again saves in two steps: the file is
    // read once it has settled, never taken for a deletion of every word.
    constexpr qint64 settleNs = 1'500'000'000;
    while (now.exists && now.size == 0 && versions.currentSize() > 0 && now.ageNs() < settleNs) {
        std::unique_lock lock(mutex_);
        if (wake_.wait_for(lock, std::chrono::nanoseconds(settleNs - now.ageNs()),
                           [this] { return stopping_; }))
            break;
        lock.unlock();
        now = DiskState::of(path);
    }
    if (!now.exists) {
        if (!known.exists)
            return Disk::Same;
        {
            std::lock_guard lock(mutex_);
            known_ = DiskState(); // the next write stores the note again
        }
        post([this] { Q_EMIT owner_.removedOutside(); });
        return Disk::Removed;
    }
    // Size, times and inode prove the content unchanged only outside the doubt of the file
    // system's clock; otherwise the bytes decide.
    if (known.exists && now.sameAs(known) && !known.racy)
        return Disk::Same;
    const std::optional<QByteArray> bytes = readRegularFile(path);
    if (!bytes)
        return Disk::Unreadable;
    if (versions.isCurrent(*bytes)) { // touched, or written back with the same words
        std::lock_guard lock(mutex_);
        known_ = now;
        return Disk::Same;
    }
    const QByteArray common = versions.current();
    quint64 version;
    {
        std::lock_guard lock(mutex_);
        if (offeredVersion_ != 0 && offeredState_.sameAs(now) && offeredBytes_ == *bytes) {
            // Announced already, and not yet taken in: the app may not have been able to keep
            // it, and tries again when it writes.
            if (!writing)
                return Disk::Changed;
            version = offeredVersion_;
        } else {
            version = offeredVersion_ = nextVersion_++;
        }
        offeredState_ = now;
        offeredBytes_ = *bytes;
    }
    bool exact = false;
    QString current = decode(*bytes, &exact);
    if (!exact) { // the bytes as they are, before the note can be saved over them
        keepAside(path, *bytes);
        std::lock_guard lock(mutex_);
        offeredReencoded_ = noteToUtf8(current);
    }
    post([this, current = std::move(current), common = decode(common), version] {
        Q_EMIT owner_.changedOutside(current, common, version);
    });
    return Disk::Changed;
}

// Whether the bytes are on disk now.
bool NoteWriter::store(const QByteArray &bytes) {
    const QString folder = QFileInfo(path()).absolutePath();
    if (QFileInfo::exists(folder)) {
        folderPermissions_ = QFile::permissions(folder);
    } else {
        if (!options_.createFolder || !QDir().mkpath(folder)) {
            report(
                QStringLiteral("%1: the folder is missing").arg(QDir::toNativeSeparators(folder)));
            return false;
        }
        // mkpath follows the umask: a folder removed meanwhile comes back as it was.
        if (options_.privateFolder)
            QFile::setPermissions(folder, ownerOnlyFolder);
        else if (folderPermissions_)
            QFile::setPermissions(folder, *folderPermissions_);
    }
    const QString path = realPath();
    if (const std::optional<QString> refusal = AtomicFile::refusal(path)) {
        report(refusal);
        return false;
    }
    switch (compare(true)) {
    case Disk::Changed:
        return false; // another program's words are on disk: they are taken in first
    case Disk::Unreadable:
        report(QStringLiteral("%1: cannot read the note to check it")
                   .arg(QDir::toNativeSeparators(path)));
        return false;
    case Disk::Same: {
        // A sync engine takes every write for an edit, and a conflict with another
        // machine's: the same words are never written again, nor a file that is no UTF-8
        // only to spell it as the window shows it, until something is typed.
        std::unique_lock lock(mutex_);
        const bool exists = known_.exists;
        const CommonVersions versions = versions_;
        const QByteArray reencoded = reencodedCommon_;
        lock.unlock();
        if (exists && (versions.isCurrent(bytes) || (!reencoded.isEmpty() && reencoded == bytes))) {
            report(std::nullopt);
            return true;
        }
        break;
    }
    case Disk::Removed:
        break;
    }
    // The app's own folder stays the user's alone, whatever changed it since.
    if (options_.privateFolder)
        QFile::setPermissions(folder, ownerOnlyFolder);
    if (const std::optional<bool> appended = appendInPlace(path, bytes))
        return *appended;
    std::optional<QString> error = AtomicFile::write(path, bytes, AtomicFile::Access::OwnerOnly);
    if (!error)
        wrote(bytes, DiskState::of(path));
    report(error);
    return !error;
}

// A save that only adds at the end of the version on disk writes only what it adds: a line
// captured into a large note costs the line, not the note. Nothing where a whole write is the
// way; else whether the bytes are on disk now.
std::optional<bool> NoteWriter::appendInPlace(const QString &path, const QByteArray &bytes) {
    constexpr qsizetype largestTail = 64 * 1024; // larger ones are rare, and slow anyway
    std::unique_lock lock(mutex_);
    const CommonVersions versions = versions_;
    const bool exists = known_.exists;
    lock.unlock();
    const qsizetype size = versions.currentSize();
    if (!exists || size == 0 || bytes.size() <= size || bytes.size() - size > largestTail ||
        !bytes.startsWith(versions.current()))
        return std::nullopt;
    QString error;
    switch (AtomicFile::append(path, size, QByteArrayView(bytes).sliced(size), &error)) {
    case AtomicFile::Appended::No:
        // Changed since the check: another writer's words are taken in before anything is
        // written over them.
        return compare(true) == Disk::Same ? std::nullopt : std::optional(false);
    case AtomicFile::Appended::Failed:
        report(error);
        return false;
    case AtomicFile::Appended::Yes:
        break;
    }
    const DiskState written = DiskState::of(path);
    // Another writer that added after us meanwhile: the next check reads what it wrote.
    wrote(bytes, written.size == bytes.size() ? written : DiskState{});
    report(std::nullopt);
    return true;
}

// `bytes` are on disk, as `written` shows them (or nothing, to be read at the next check).
void NoteWriter::wrote(const QByteArray &bytes, const DiskState &written) {
    // The step back to the version before is worked out without the lock the app waits for.
    std::unique_lock lock(mutex_);
    CommonVersions next = versions_;
    lock.unlock();
    next.advance(bytes);
    lock.lock();
    if (next.generation() == versions_.generation() + 1)
        versions_ = std::move(next);
    else // accepted another program's version meanwhile
        versions_.advance(bytes);
    known_ = written;
    reencodedCommon_.clear();
}

void NoteWriter::report(const std::optional<QString> &error) {
    post([this, error] {
        if (error)
            Q_EMIT owner_.writeFailed(*error);
        else
            Q_EMIT owner_.writeSucceeded();
    });
}

void NoteWriter::scanForCopies() {
    for (ConflictCopies::Found &copy : copies_.newlyFound(realPath())) {
        bool exact = false;
        QString text = decode(copy.bytes, &exact);
        post([this, path = std::move(copy.path), text = std::move(text), exact] {
            Q_EMIT owner_.copyFound(path, text, exact);
        });
    }
}
