// SPDX-License-Identifier: MIT
#include "NoteFile.h"

#include "AtomicFile.h"
#include "NoteEncoding.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QFileSystemWatcher>
#include <QSet>
#include <QTimer>

#include <condition_variable>
#include <mutex>
#include <sys/stat.h>
#include <thread>

namespace {

constexpr auto ownerOnlyFolder =
    QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner;

/// What the file system says of a file; two equal states are taken for the same content.
struct DiskState {
    bool exists = false;
    qint64 size = 0;
    qint64 modifiedNs = 0;
    quint64 inode = 0;
    quint64 device = 0;

    bool operator==(const DiskState &) const = default;
};

DiskState stateOf(const QString &path) {
    struct stat info {};
    if (::stat(QFile::encodeName(path).constData(), &info) != 0)
        return {};
#ifdef Q_OS_MACOS
    const auto &modified = info.st_mtimespec;
#else
    const auto &modified = info.st_mtim;
#endif
    return {true, qint64(info.st_size), qint64(modified.tv_sec) * 1'000'000'000 + modified.tv_nsec,
            quint64(info.st_ino), quint64(info.st_dev)};
}

std::optional<QByteArray> readAll(const QString &path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    QByteArray bytes(file.size(), Qt::Uninitialized);
    adviseLargeBuffer(bytes.data(), bytes.size());
    const qint64 read = file.read(bytes.data(), bytes.size());
    if (read < 0)
        return std::nullopt;
    bytes.truncate(read);
    bytes += file.readAll(); // what another writer added meanwhile
    if (file.error() != QFileDevice::NoError)
        return std::nullopt;
    return bytes;
}

// Keeps an exact copy of a note that did not decode cleanly, before any save can replace it.
void keepAside(const QString &path) {
    const QString stamp = QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-HHmmss"));
    const QFileInfo info(path);
    QFile::copy(path, info.dir().filePath(info.completeBaseName() + QStringLiteral(".unreadable-") +
                                          stamp + u'.' + info.suffix()));
}

QString decode(const QByteArray &bytes) {
    bool exact = false;
    return noteFromUtf8(bytes, &exact);
}

// Copies that sync engines leave beside a file after a conflict of their own: Syncthing's
// "<name>.sync-conflict-<date>-<time>-<device>.<ext>", Nextcloud's "<name> (conflicted copy
// <date> <time>).<ext>" and Dropbox's "<name> (<device>'s conflicted copy <date>).<ext>".
bool isSyncConflictCopy(const QFileInfo &note, const QString &name) {
    return name != note.fileName() && name.startsWith(note.completeBaseName()) &&
           name.endsWith(u'.' + note.suffix()) &&
           (name.contains(QLatin1String(".sync-conflict-")) ||
            name.contains(QLatin1String("conflicted copy"), Qt::CaseInsensitive));
}

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

    std::optional<QString> read() {
        const QString path = this->path();
        sweepTemporaryFiles(path);
        const std::optional<QByteArray> bytes = readAll(path);
        std::lock_guard lock(mutex_);
        known_ = bytes ? stateOf(path) : DiskState();
        common_ = bytes.value_or(QByteArray());
        if (!bytes)
            return std::nullopt;
        bool exact = false;
        QString text = noteFromUtf8(*bytes, &exact);
        if (!exact)
            keepAside(path);
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
        common_ = std::exchange(offeredBytes_, QByteArray());
        offeredVersion_ = 0;
    }

    void relocate(const QString &path, Options options, bool adopt) {
        waitUntilIdle();
        const std::optional<QByteArray> bytes = adopt ? readAll(path) : std::nullopt;
        std::lock_guard lock(mutex_);
        path_ = path;
        options_ = options;
        // A file that stood there already is no version of this note's: with nothing known,
        // the next write finds it and it is taken in first, never overwritten unseen.
        known_ = bytes ? stateOf(path) : DiskState();
        common_ = bytes.value_or(QByteArray());
        offeredVersion_ = 0;
        reportedCopies_.clear();
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

    // Whether the disk still holds the common version; announces it when it does not.
    Disk compare() {
        const QString path = this->path();
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
        if (known.exists && now == known)
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
            if (offeredVersion_ != 0 && offeredState_ == now && offeredBytes_ == *bytes)
                return Disk::Changed; // announced already, not yet taken in
            version = offeredVersion_ = nextVersion_++;
            offeredState_ = now;
            offeredBytes_ = *bytes;
        }
        post([this, current = decode(*bytes), common = decode(common), version] {
            Q_EMIT owner_.changedOutside(current, common, version);
        });
        return Disk::Changed;
    }

    // Whether the bytes are on disk now.
    bool store(const QByteArray &bytes) {
        const QString path = this->path();
        const QString folder = QFileInfo(path).absolutePath();
        if (!QFileInfo::exists(folder)) {
            if (!options_.createFolder || !QDir().mkpath(folder)) {
                report(QStringLiteral("%1: the folder is missing")
                           .arg(QDir::toNativeSeparators(folder)));
                return false;
            }
            QFile::setPermissions(folder, ownerOnlyFolder); // mkpath follows the umask
        }
        switch (compare()) {
        case Disk::Changed:
            return false; // another program's words are on disk: they are taken in first
        case Disk::Unreadable:
            report(QStringLiteral("%1: cannot read the note to check it")
                       .arg(QDir::toNativeSeparators(path)));
            return false;
        case Disk::Same:
        case Disk::Removed:
            break;
        }
        std::optional<QString> error =
            AtomicFile::write(path, bytes, AtomicFile::Access::OwnerOnly);
        if (!error) {
            std::lock_guard lock(mutex_);
            known_ = stateOf(path);
            common_ = bytes;
        }
        // The app's own folder stays the user's alone, whatever widened it since.
        if (options_.privateFolder)
            QFile::setPermissions(folder, ownerOnlyFolder);
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

    void scanForCopies() {
        const QFileInfo note(path());
        const QFileInfoList entries = note.dir().entryInfoList(QDir::Files | QDir::Hidden);
        for (const QFileInfo &entry : entries) {
            if (!isSyncConflictCopy(note, entry.fileName()))
                continue;
            const QString seen = entry.filePath() + u'|' + QString::number(entry.size()) + u'|' +
                                 QString::number(entry.lastModified().toMSecsSinceEpoch());
            if (reportedCopies_.contains(seen))
                continue;
            reportedCopies_.insert(seen);
            if (const auto bytes = readAll(entry.filePath())) {
                post([this, path = entry.filePath(), text = decode(*bytes)] {
                    Q_EMIT owner_.copyFound(path, text);
                });
            }
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

    DiskState known_;   // the file as last read or written
    QByteArray common_; // its bytes: the version both the app and the disk agree on
    quint64 nextVersion_ = 1;
    quint64 offeredVersion_ = 0; // an outside version announced and not yet taken in
    DiskState offeredState_;
    QByteArray offeredBytes_;
    QSet<QString> reportedCopies_; // worker thread only
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
        const QFileInfo note(worker_->path());
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

void NoteFile::relocate(const QString &path, Options options, bool adopt) {
    worker_->relocate(path, options, adopt);
    check();
}
