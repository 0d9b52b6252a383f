// SPDX-License-Identifier: MIT
#pragma once

#include "CommonVersions.h"
#include "ConflictCopies.h"
#include "DiskState.h"
#include "NoteFile.h"
#include "NoteHistory.h"

#include <QFileDevice>
#include <QStringList>

#include <condition_variable>
#include <mutex>
#include <thread>

/// The note file's writer thread, and what it knows of the disk. Writes are taken newest
/// first; before each, the disk is compared with the version both sides agree on, and what
/// differs is announced through the owning NoteFile's signals instead of being overwritten.
class NoteWriter {
public:
    NoteWriter(NoteFile &owner, const QString &path, NoteFile::Options options);
    /// Waits for the writes still under way.
    ~NoteWriter();

    QString path();
    /// The file the note's path leads to, through any symbolic links.
    QString realPath();

    std::optional<QByteArray> readBytes();
    std::optional<QString> read();
    void submit(QByteArray bytes, const QString &supersededFile);
    void keepVersion(NoteHistory::Kind kind, QString text);
    void setHistory(NoteHistory *history);
    void requestCheck();
    void waitUntilIdle();
    void accept(quint64 version);
    std::pair<QString, std::optional<QString>> keepCopy(const QByteArray &bytes);
    void relocate(const QString &path, NoteFile::Options options, bool adopt);
    std::optional<QString> baseOf(const QString &one, const QString &other);

private:
    enum class Disk { Same, Changed, Removed, Unreadable };

    void run();
    template<typename Emit> void post(Emit emit) {
        QMetaObject::invokeMethod(&owner_, std::move(emit), Qt::QueuedConnection);
    }
    Disk compare(bool writing);
    bool store(const QByteArray &bytes);
    std::optional<bool> appendInPlace(const QString &path, const QByteArray &bytes);
    void wrote(const QByteArray &bytes, const DiskState &written);
    void report(const std::optional<QString> &error);
    void scanForCopies();

    NoteFile &owner_;
    std::mutex mutex_;
    std::condition_variable wake_;
    std::condition_variable done_;
    QString path_;
    NoteFile::Options options_;
    std::optional<QFileDevice::Permissions> folderPermissions_; // as last seen
    std::optional<QByteArray> pendingWrite_;
    NoteHistory *history_ = nullptr;
    QList<std::pair<NoteHistory::Kind, QString>> pendingVersions_; // kept before the next write
    QStringList pendingRemovals_;
    bool checkRequested_ = false;
    bool busy_ = false;
    bool stopping_ = false;

    DiskState known_;            // the file as last read or written
    CommonVersions versions_;    // the version both the app and the disk agree on, and earlier
    QByteArray reencodedCommon_; // as the app holds it, when those bytes are no valid UTF-8
    quint64 nextVersion_ = 1;
    quint64 offeredVersion_ = 0; // an outside version announced and not yet taken in
    DiskState offeredState_;
    QByteArray offeredBytes_;
    QByteArray offeredReencoded_;
    ConflictCopies copies_;
    std::thread thread_;
};
