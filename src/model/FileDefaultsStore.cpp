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

#include <condition_variable>
#include <map>
#include <mutex>
#include <thread>

namespace {

constexpr auto ownerOnlyFolder =
    QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner;

} // namespace

std::optional<QString> FileDefaultsStore::preparePrivateFolder(const QString &folder) {
    QDir dir(folder);
    if (!dir.exists()) {
        if (!dir.mkpath(QStringLiteral(".")))
            return QStringLiteral("%1: cannot create the folder")
                .arg(QDir::toNativeSeparators(folder));
        // mkpath follows the umask; narrowed before the note goes in.
        QFile::setPermissions(folder, ownerOnlyFolder);
    }
    return std::nullopt;
}

namespace {

// A save killed between writing its temporary file and renaming it leaves that file behind,
// named after the target with six characters added.
void sweepTemporaryFiles(const QString &folder) {
    QDir dir(folder);
    for (const QString &name :
         dir.entryList({QStringLiteral("*.txt.??????")}, QDir::Files | QDir::Hidden))
        dir.remove(name);
}

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

// Keeps an exact copy of a note that did not decode cleanly, before any save can replace it.
void keepAside(const QString &path) {
    const QString stamp = QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-HHmmss"));
    QString aside = path;
    aside.insert(aside.size() - int(std::size(".txt")) + 1, QStringLiteral(".unreadable-") + stamp);
    QFile::copy(path, aside);
}

} // namespace

/// One thread that writes string values in the order they were handed over. A value that is
/// superseded before its turn is dropped: only the newest value of a file is ever written, so a
/// later save can never be overtaken by an earlier one.
class FileDefaultsStore::Writer {
public:
    using Report = std::function<void(const std::optional<QString> &error)>;

    explicit Writer(Report report)
        : report_(std::move(report))
        , thread_([this] { run(); }) {}

    ~Writer() {
        {
            std::lock_guard lock(mutex_);
            stopping_ = true;
        }
        wake_.notify_all();
        thread_.join();
    }

    void submit(const QString &path, Value value) {
        {
            std::lock_guard lock(mutex_);
            ++issued_;
            auto [it, inserted] = pending_.insert_or_assign(path, std::move(value));
            if (!inserted)
                ++completed_; // the older value is superseded
        }
        wake_.notify_all();
    }

    void waitUntilIdle() {
        std::unique_lock lock(mutex_);
        done_.wait(lock, [this] { return completed_ == issued_; });
    }

private:
    void run() {
        std::unique_lock lock(mutex_);
        for (;;) {
            wake_.wait(lock, [this] { return stopping_ || !pending_.empty(); });
            if (pending_.empty())
                return; // stopping, and nothing is left to write
            auto node = pending_.extract(pending_.begin());
            lock.unlock();
            Value &value = node.mapped();
            const QByteArray bytes = value.encoded ? value.utf8 : noteToUtf8(value.text);
            value = Value(); // let the UI thread's text go unshared again
            const auto error = AtomicFile::write(node.key(), bytes, AtomicFile::Access::OwnerOnly);
            // The note's folder stays the user's alone, whatever widened it since.
            QFile::setPermissions(QFileInfo(node.key()).absolutePath(), ownerOnlyFolder);
            report_(error);
            lock.lock();
            ++completed_;
            done_.notify_all();
        }
    }

    Report report_;
    std::mutex mutex_;
    std::condition_variable wake_;
    std::condition_variable done_;
    std::map<QString, Value> pending_;
    quint64 issued_ = 0;
    quint64 completed_ = 0;
    bool stopping_ = false;
    std::thread thread_;
};

FileDefaultsStore::FileDefaultsStore(const QString &dataFolder,
                                     std::unique_ptr<QSettings> preferences, QObject *parent)
    : DefaultsStore(parent)
    , dataFolder_(dataFolder)
    , preferences_(std::move(preferences))
    , writer_(std::make_unique<Writer>([this](const std::optional<QString> &error) {
        // Runs on the writer thread; the outcome is announced on the store's own thread.
        QMetaObject::invokeMethod(
            this, [this, error] { report(error); }, Qt::QueuedConnection);
    })) {
    sweepTemporaryFiles(dataFolder_);
}

FileDefaultsStore::~FileDefaultsStore() {
    writer_.reset();
}

QString FileDefaultsStore::pathForKey(const QString &key) const {
    return QDir(dataFolder_).filePath(key + QStringLiteral(".txt"));
}

std::optional<QString> FileDefaultsStore::string(const QString &key) const {
    QFile file(pathForKey(key));
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    const QByteArray bytes = file.readAll();
    bool exact = false;
    QString text = noteFromUtf8(bytes, &exact);
    if (!exact || file.error() != QFileDevice::NoError)
        keepAside(file.fileName());
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

void FileDefaultsStore::setString(const QString &key, const QString &value) {
    submit(key, {value, {}, false});
}

void FileDefaultsStore::setUtf8String(const QString &key, const QByteArray &utf8) {
    submit(key, {{}, utf8, true});
}

void FileDefaultsStore::submit(const QString &key, Value value) {
    if (const auto error = preparePrivateFolder(dataFolder_)) {
        QMetaObject::invokeMethod(
            this, [this, error] { report(error); }, Qt::QueuedConnection);
        return;
    }
    writer_->submit(pathForKey(key), std::move(value));
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
        this, [this, error] { report(error); }, Qt::QueuedConnection);
}

void FileDefaultsStore::flush() {
    writer_->waitUntilIdle();
}

void FileDefaultsStore::report(const std::optional<QString> &error) {
    if (error)
        Q_EMIT writeFailed(*error);
    else
        Q_EMIT writeSucceeded();
}
