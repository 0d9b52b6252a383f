// SPDX-License-Identifier: MIT
#include "NoteFile.h"

#include "AtomicFile.h"
#include "NoteEncoding.h"
#include "TextMerge.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QFileSystemWatcher>
#include <QRegularExpression>
#include <QTimer>

#include <cerrno>
#include <condition_variable>
#include <cstring>
#include <ctime>
#include <deque>
#include <fcntl.h>
#include <mutex>
#include <set>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

namespace {

constexpr auto ownerOnlyFolder =
    QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner;

qint64 nanoseconds(const struct timespec &t) {
    return qint64(t.tv_sec) * 1'000'000'000 + t.tv_nsec;
}

/// What the file system says of a file. Two equal states are taken for the same content, unless
/// the state is `racy`: read so soon after its last change that a change in the same tick of
/// the file system's clock would leave every field as it is.
struct DiskState {
    bool exists = false;
    qint64 size = 0;
    qint64 modifiedNs = 0;
    qint64 changedNs = 0; // no program can set it back, as it can the modification time
    quint64 inode = 0;
    quint64 device = 0;
    bool racy = false;

    bool sameAs(const DiskState &o) const {
        return exists == o.exists && size == o.size && modifiedNs == o.modifiedNs &&
               changedNs == o.changedNs && inode == o.inode && device == o.device;
    }
};

DiskState stateOf(const QString &path) {
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
    struct timespec now {};
    ::clock_gettime(CLOCK_REALTIME, &now);
    // Some file systems keep whole seconds, FAT two of them: within that, a state proves nothing.
    constexpr qint64 doubt = 2'000'000'000;
    return {true,
            qint64(info.st_size),
            modified,
            changed,
            quint64(info.st_ino),
            quint64(info.st_dev),
            nanoseconds(now) - std::max(modified, changed) < doubt};
}

/// The bytes of a regular file; nothing for a missing file, and nothing, at once, for a FIFO,
/// a device or a folder, which a plain read would block on or fail at.
std::optional<QByteArray> readAll(const QString &path) {
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return std::nullopt;
    struct stat info {};
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        ::close(fd);
        return std::nullopt;
    }
    QByteArray bytes(qsizetype(info.st_size), Qt::Uninitialized);
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

QString fileNameWith(const QFileInfo &note, const QString &tag) {
    // A note without a suffix gets none, rather than a name ending in a dot.
    const QString suffix = note.suffix();
    return note.completeBaseName() + tag + (suffix.isEmpty() ? QString() : u'.' + suffix);
}

// Keeps an exact copy of bytes that did not decode cleanly, before any save can replace them.
void keepAside(const QString &path, const QByteArray &bytes) {
    const QFileInfo note(path);
    const QString stamp = QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-HHmmss"));
    std::optional<QString> error;
    AtomicFile::createNew(
        [&](int n) {
            return note.dir().filePath(
                fileNameWith(note, QStringLiteral(".unreadable-") + stamp +
                                       (n > 1 ? u'-' + QString::number(n) : QString())));
        },
        bytes, &error);
    if (error)
        qWarning("mirt: cannot keep the unreadable note aside: %s", qPrintable(*error));
}

QString decode(const QByteArray &bytes, bool *exact = nullptr) {
    bool decodedExactly = false;
    QString text = noteFromUtf8(bytes, &decodedExactly);
    if (exact)
        *exact = decodedExactly;
    return text;
}

// Copies that sync engines leave beside a file after a conflict of their own: Syncthing's
// "<name>.sync-conflict-<date>-<time>-<device>.<ext>", Nextcloud's "<name> (conflicted copy
// <date> <time>).<ext>" and Dropbox's "<name> (<device>'s conflicted copy <date>).<ext>"; and
// the app's own "<name>.conflict-<date>-<time>.<ext>".
QRegularExpression conflictCopyPattern(const QFileInfo &note) {
    const QString suffix = note.suffix();
    return QRegularExpression(
        u'^' + QRegularExpression::escape(note.completeBaseName()) +
            QStringLiteral(R"((?:\.sync-conflict-\d{8}-\d{6}-\w+|\.conflict-\d{4}-\d{2}-\d{2}-)"
                           R"(\d{6}(?:-\d+)?| \(.*conflicted copy.*\)))") +
            (suffix.isEmpty() ? QString() : QRegularExpression::escape(u'.' + suffix)) + u'$',
        QRegularExpression::CaseInsensitiveOption);
}

// How long a start, or an end, two byte arrays share: a block at a time, then byte by byte.
qsizetype sharedStart(QByteArrayView a, QByteArrayView b) {
    const qsizetype limit = std::min(a.size(), b.size());
    constexpr qsizetype block = 4096;
    qsizetype at = 0;
    while (at + block <= limit && std::memcmp(a.data() + at, b.data() + at, block) == 0)
        at += block;
    while (at < limit && a[at] == b[at])
        ++at;
    return at;
}

qsizetype sharedEnd(QByteArrayView a, QByteArrayView b) {
    const qsizetype limit = std::min(a.size(), b.size());
    constexpr qsizetype block = 4096;
    qsizetype at = 0;
    while (at + block <= limit && std::memcmp(a.data() + a.size() - at - block,
                                              b.data() + b.size() - at - block, block) == 0)
        at += block;
    while (at < limit && a[a.size() - 1 - at] == b[b.size() - 1 - at])
        ++at;
    return at;
}

/// How to turn one version of the note into the one before it: the earlier bytes between the
/// start and the end both share. Saves differ by what was typed between them, so a step is
/// small where a whole copy of a large note would not be.
struct Step {
    qsizetype prefix = 0;
    qsizetype newerLength = 0;
    QByteArray olderMiddle;

    static Step back(const QByteArray &newer, const QByteArray &older) {
        const qsizetype prefix = sharedStart(newer, older);
        const qsizetype suffix =
            sharedEnd(QByteArrayView(newer).sliced(prefix), QByteArrayView(older).sliced(prefix));
        return {prefix, newer.size() - prefix - suffix,
                older.sliced(prefix, older.size() - prefix - suffix)};
    }
    /// The newer version's bytes around what the step changed, whole characters only.
    QByteArray around(const QByteArray &newer) const {
        constexpr qsizetype context = 24;
        qsizetype from = std::max<qsizetype>(0, prefix - context);
        qsizetype to = std::min(newer.size(), prefix + newerLength + context);
        const auto continues = [&newer](qsizetype at) {
            return at < newer.size() && (uchar(newer[at]) & 0xC0) == 0x80;
        };
        while (continues(from))
            ++from;
        while (to > from && continues(to))
            --to;
        return newer.sliced(from, to - from);
    }
    QByteArray applyTo(const QByteArray &newer) const {
        QByteArray older;
        older.reserve(newer.size() - newerLength + olderMiddle.size());
        older.append(newer.first(prefix))
            .append(olderMiddle)
            .append(newer.sliced(prefix + newerLength));
        return older;
    }
};

} // namespace

class NoteFile::Worker {
public:
    Worker(NoteFile &owner, const QString &path, Options options)
        : owner_(owner)
        , path_(path)
        , options_(options)
        , thread_([this] { run(); }) {}

    ~Worker() {
        {
            std::lock_guard lock(mutex_);
            stopping_ = true;
        }
        wake_.notify_all();
        thread_.join();
    }

    QString path() {
        std::lock_guard lock(mutex_);
        return path_;
    }

    /// The file the note's path leads to, through any symbolic links.
    QString realPath() { return AtomicFile::resolve(path()); }

    std::optional<QString> read() {
        const QString path = realPath();
        sweepTemporaryFiles(path);
        // The state before the bytes: a change while they are read shows as a change later.
        const DiskState state = stateOf(path);
        const std::optional<QByteArray> bytes = readAll(path);
        {
            std::lock_guard lock(mutex_);
            known_ = bytes ? state : DiskState();
            startCommon(bytes.value_or(QByteArray()));
        }
        if (!bytes)
            return std::nullopt;
        bool exact = false;
        QString text = decode(*bytes, &exact);
        if (!exact) {
            keepAside(path, *bytes);
            std::lock_guard lock(mutex_);
            reencodedCommon_ = noteToUtf8(text);
        }
        return text;
    }

    void submit(QByteArray bytes, const QString &supersededFile) {
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

    void requestCheck() {
        {
            std::lock_guard lock(mutex_);
            checkRequested_ = true;
        }
        wake_.notify_all();
    }

    void waitUntilIdle() {
        std::unique_lock lock(mutex_);
        done_.wait(lock, [this] { return !pendingWrite_ && !checkRequested_ && !busy_; });
    }

    void accept(quint64 version) {
        std::lock_guard lock(mutex_);
        if (version != offeredVersion_)
            return;
        known_ = offeredState_;
        setCommon(std::exchange(offeredBytes_, QByteArray()));
        reencodedCommon_ = std::exchange(offeredReencoded_, QByteArray());
        offeredVersion_ = 0;
    }

    std::pair<QString, std::optional<QString>> keepCopy(const QByteArray &bytes) {
        const QFileInfo note(realPath());
        const QString stamp =
            QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-dd-HHmmss"));
        std::optional<QString> error;
        const QString copy = AtomicFile::createNew(
            [&](int n) {
                return note.dir().filePath(
                    fileNameWith(note, QStringLiteral(".conflict-") + stamp +
                                           (n > 1 ? u'-' + QString::number(n) : QString())));
            },
            bytes, &error);
        std::lock_guard lock(mutex_);
        if (!error) // named already by whoever kept it
            reportedCopies_.insert(seenKey(QFileInfo(copy)));
        return {copy, error};
    }

    void relocate(const QString &path, Options options, bool adopt) {
        waitUntilIdle();
        const std::optional<QByteArray> bytes =
            adopt ? readAll(AtomicFile::resolve(path)) : std::nullopt;
        std::lock_guard lock(mutex_);
        path_ = path;
        options_ = options;
        // A file that stood there already is no version of this note's: with nothing known,
        // the next write finds it and it is taken in first, never overwritten unseen.
        known_ = bytes ? stateOf(AtomicFile::resolve(path)) : DiskState();
        startCommon(bytes.value_or(QByteArray()));
        offeredVersion_ = 0;
        reportedCopies_.clear();
    }

    // The version two versions of the note both grew from: the newest remembered one that
    // both have seen. A version is known by the text around the change that made it; one
    // too new would have either side take out, or take back, what the other never had.
    std::optional<QString> baseOf(const QString &one, const QString &other) {
        QByteArray version;
        std::deque<Step> steps;
        {
            std::lock_guard lock(mutex_);
            version = common_;
            steps = steps_;
        }
        for (const Step &step : steps) { // newest first
            const QByteArray older = step.applyTo(version);
            if (older.isEmpty())
                break; // a version made from nothing: all of it is what made it
            const QString mark = decode(step.around(version));
            if (one.contains(mark) && other.contains(mark))
                return decode(version);
            version = older;
        }
        // The oldest one remembered, or the first: nothing tells what made it, but it may be
        // no base of a version that lacks one of its lines; and were it one of the two, the
        // other would simply replace it, on no evidence that it grew from it.
        const QString oldest = decode(version);
        if (oldest != one && oldest != other && TextMerge::keepsEveryLine(oldest, one) &&
            TextMerge::keepsEveryLine(oldest, other))
            return oldest;
        return std::nullopt;
    }

private:
    enum class Disk { Same, Changed, Removed, Unreadable };

    void run() {
        std::unique_lock lock(mutex_);
        for (;;) {
            wake_.wait(lock, [this] { return stopping_ || pendingWrite_ || checkRequested_; });
            if (!pendingWrite_ && !checkRequested_)
                return; // stopping, and nothing is left to do
            busy_ = true;
            std::optional<QByteArray> write = std::exchange(pendingWrite_, std::nullopt);
            const QStringList removals =
                write ? std::exchange(pendingRemovals_, {}) : QStringList();
            const bool check = std::exchange(checkRequested_, false);
            lock.unlock();
            if (write && store(*write)) {
                for (const QString &file : removals)
                    QFile::remove(file);
            } else if (!removals.isEmpty()) {
                lock.lock();
                pendingRemovals_ += removals; // for the next write that gets through
                lock.unlock();
            }
            if (check) {
                if (!write)
                    compare();
                scanForCopies();
            }
            write.reset(); // let the caller's bytes go before the flush returns
            lock.lock();
            busy_ = false;
            done_.notify_all();
        }
    }

    template<typename Emit> void post(Emit emit) {
        QMetaObject::invokeMethod(&owner_, std::move(emit), Qt::QueuedConnection);
    }

    // With the mutex held. Earlier common versions are kept too, as the steps back to them: a
    // sync engine's conflict copy was made from one of them, and merging it needs that one.
    void setCommon(const QByteArray &bytes) {
        if (bytes != common_) {
            steps_.push_front(Step::back(bytes, common_));
            constexpr size_t versions = 8;
            constexpr qsizetype budget = 16 * 1024 * 1024;
            qsizetype total = 0;
            for (auto step = steps_.begin(); step != steps_.end(); ++step) {
                total += step->olderMiddle.size();
                if (size_t(step - steps_.begin()) == versions || total > budget) {
                    steps_.erase(step, steps_.end());
                    break;
                }
            }
        }
        common_ = bytes;
        reencodedCommon_.clear();
    }

    // With the mutex held: `bytes` are the one version known, as at a start or in a new place.
    void startCommon(const QByteArray &bytes) {
        steps_.clear();
        common_ = bytes;
        reencodedCommon_.clear();
    }

    // Whether the disk still holds the common version; announces it when it does not.
    Disk compare() {
        const QString path = realPath();
        const DiskState now = stateOf(path);
        DiskState known;
        QByteArray common;
        {
            std::lock_guard lock(mutex_);
            known = known_;
            common = common_;
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
        const std::optional<QByteArray> bytes = readAll(path);
        if (!bytes)
            return Disk::Unreadable;
        if (*bytes == common) { // touched, or written back with the same words
            std::lock_guard lock(mutex_);
            known_ = now;
            return Disk::Same;
        }
        quint64 version;
        {
            std::lock_guard lock(mutex_);
            if (offeredVersion_ != 0 && offeredState_.sameAs(now) && offeredBytes_ == *bytes)
                return Disk::Changed; // announced already, not yet taken in
            version = offeredVersion_ = nextVersion_++;
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
    bool store(const QByteArray &bytes) {
        const QString folder = QFileInfo(path()).absolutePath();
        if (!QFileInfo::exists(folder)) {
            if (!options_.createFolder || !QDir().mkpath(folder)) {
                report(QStringLiteral("%1: the folder is missing")
                           .arg(QDir::toNativeSeparators(folder)));
                return false;
            }
            QFile::setPermissions(folder, ownerOnlyFolder); // mkpath follows the umask
        }
        const QString path = realPath();
        if (const std::optional<QString> refusal = AtomicFile::refusal(path)) {
            report(refusal);
            return false;
        }
        switch (compare()) {
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
            std::lock_guard lock(mutex_);
            if (known_.exists &&
                (common_ == bytes || (!reencodedCommon_.isEmpty() && reencodedCommon_ == bytes))) {
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
        std::optional<QString> error =
            AtomicFile::write(path, bytes, AtomicFile::Access::OwnerOnly);
        if (!error) {
            std::lock_guard lock(mutex_);
            known_ = stateOf(path);
            setCommon(bytes);
        }
        report(error);
        return !error;
    }

    void report(const std::optional<QString> &error) {
        post([this, error] {
            if (error)
                Q_EMIT owner_.writeFailed(*error);
            else
                Q_EMIT owner_.writeSucceeded();
        });
    }

    static QString seenKey(const QFileInfo &copy) {
        return copy.filePath() + u'|' + QString::number(copy.size()) + u'|' +
               QString::number(copy.lastModified().toMSecsSinceEpoch());
    }

    void scanForCopies() {
        const QFileInfo note(realPath());
        const QRegularExpression pattern = conflictCopyPattern(note);
        const QFileInfoList entries = note.dir().entryInfoList(QDir::Files | QDir::Hidden);
        for (const QFileInfo &entry : entries) {
            if (!pattern.match(entry.fileName()).hasMatch())
                continue;
            {
                std::lock_guard lock(mutex_);
                if (!reportedCopies_.insert(seenKey(entry)).second)
                    continue;
            }
            const std::optional<QByteArray> bytes = readAll(entry.filePath());
            if (!bytes)
                continue;
            bool exact = false;
            QString text = decode(*bytes, &exact);
            post([this, path = entry.filePath(), text = std::move(text), exact] {
                Q_EMIT owner_.copyFound(path, text, exact);
            });
        }
    }

    // A save killed between writing its temporary file and renaming it leaves that file behind.
    static void sweepTemporaryFiles(const QString &path) {
        QDir dir = QFileInfo(path).dir();
        for (const QString &name :
             dir.entryList({AtomicFile::temporaryPattern(path)}, QDir::Files | QDir::Hidden))
            dir.remove(name);
    }

    NoteFile &owner_;
    std::mutex mutex_;
    std::condition_variable wake_;
    std::condition_variable done_;
    QString path_;
    Options options_;
    std::optional<QByteArray> pendingWrite_;
    QStringList pendingRemovals_;
    bool checkRequested_ = false;
    bool busy_ = false;
    bool stopping_ = false;

    DiskState known_;            // the file as last read or written
    QByteArray common_;          // its bytes: the version both the app and the disk agree on
    QByteArray reencodedCommon_; // as the app holds it, when those bytes are no valid UTF-8
    std::deque<Step> steps_;     // back from the common version to earlier ones, newest first
    quint64 nextVersion_ = 1;
    quint64 offeredVersion_ = 0; // an outside version announced and not yet taken in
    DiskState offeredState_;
    QByteArray offeredBytes_;
    QByteArray offeredReencoded_;
    std::set<QString> reportedCopies_;
    std::thread thread_;
};

NoteFile::NoteFile(const QString &path, Options options, QObject *parent)
    : QObject(parent)
    , worker_(std::make_unique<Worker>(*this, path, options)) {
    // Watchers miss events on some network and FUSE file systems; every write checks anew.
    auto *watcher = new QFileSystemWatcher(this);
    auto *settle = new QTimer(this);
    settle->setSingleShot(true);
    settle->setInterval(150); // a burst of events, such as a sync engine's rename, is one change
    const auto watch = [this, watcher] {
        // A rename over the note replaces the file that was watched: watch the new one. A
        // folder that does not exist yet is watched for through the nearest one that does.
        const QFileInfo note(worker_->realPath());
        QString folder = note.absolutePath();
        while (!QFileInfo(folder).isDir() && QFileInfo(folder).absolutePath() != folder)
            folder = QFileInfo(folder).absolutePath();
        for (const QString &watched : watcher->directories())
            if (watched != folder)
                watcher->removePath(watched);
        if (!watcher->directories().contains(folder))
            watcher->addPath(folder);
        if (!watcher->files().contains(note.filePath()) && note.exists())
            watcher->addPath(note.filePath());
    };
    connect(watcher, &QFileSystemWatcher::fileChanged, settle, qOverload<>(&QTimer::start));
    connect(watcher, &QFileSystemWatcher::directoryChanged, settle, qOverload<>(&QTimer::start));
    connect(settle, &QTimer::timeout, this, [this, watch] {
        watch();
        check();
    });
    connect(this, &NoteFile::writeSucceeded, this, watch);
    watch();
}

NoteFile::~NoteFile() {
    worker_.reset();
}

QString NoteFile::path() const {
    return worker_->path();
}

QString NoteFile::realPath() const {
    return worker_->realPath();
}

std::optional<QString> NoteFile::read() {
    return worker_->read();
}

void NoteFile::write(QByteArray utf8, const QString &supersededFile) {
    worker_->submit(std::move(utf8), supersededFile);
}

void NoteFile::check() {
    worker_->requestCheck();
}

void NoteFile::flush() {
    worker_->waitUntilIdle();
}

void NoteFile::accept(quint64 version) {
    worker_->accept(version);
}

std::optional<QString> NoteFile::baseOf(const QString &one, const QString &other) {
    return worker_->baseOf(one, other);
}

std::pair<QString, std::optional<QString>> NoteFile::keepCopy(const QByteArray &utf8) {
    return worker_->keepCopy(utf8);
}

void NoteFile::relocate(const QString &path, Options options, bool adopt) {
    worker_->relocate(path, options, adopt);
    check();
}
