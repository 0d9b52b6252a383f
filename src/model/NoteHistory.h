// SPDX-License-Identifier: MIT
#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QList>
#include <QObject>
#include <QString>

#include <mutex>
#include <optional>

class Clock;

/// The note's earlier versions, kept on this machine so that nothing cleared or overwritten is
/// lost: each a plain UTF-8 file in a private folder of the user's data, never beside the note,
/// where a sync engine would carry it to other machines.
///
/// Versions are kept from the note file's writer thread, in the order of the writes, so that a
/// version promised before a write is on disk before it; they are listed and read from any
/// thread. Kept like a backup, not like a cache: every version of the last day, one an hour
/// for a week, one a day for a year, and every cleared note and meeting, until the size budget
/// forces the oldest out. A version that no newer one contains is never thinned out.
class NoteHistory : public QObject {
    Q_OBJECT
public:
    enum class Kind {
        Snapshot,        ///< taken while the user types, at most one per five minutes
        BeforeClear,     ///< the note as it was before Clear Note
        Meeting,         ///< a meeting's notes, cleared for the next (they start with its header)
        BeforeMerge,     ///< before another writer's version was taken in or merged
        BeforeChange,    ///< before one change took out more than half of the note
        BeforeBringBack, ///< the note as it was before an earlier one was brought back
    };
    Q_ENUM(Kind)

    struct Version {
        QString path;
        QDateTime time;
        Kind kind;
        qint64 size;
    };

    static constexpr qint64 defaultBudget = 200 * 1024 * 1024;
    static constexpr qint64 snapshotIntervalSecs = 5 * 60;

    NoteHistory(const QString &folder, const Clock &clock, qint64 budget = defaultBudget,
                QObject *parent = nullptr);

    /// The folder where the history of the note at `notePath` is kept, in the user's data;
    /// the usual note's (an empty path) stays where it is when the note is moved.
    static QString folderFor(const QString &dataFolder, const QString &notePath);
    QString folder() const { return folder_; }

    bool isEnabled() const;
    /// Turning the history off keeps what is kept; clear() removes it.
    void setEnabled(bool enabled);

    /// Keeps `utf8` as a version of `kind`, written whole and synced before this returns.
    /// A version that cannot be written waits for the next, and the first failure of a run is
    /// told through failed().
    void keep(Kind kind, const QByteArray &utf8);
    /// A snapshot of the note just saved, when the last is five minutes old and the note
    /// changed since.
    void offerSnapshot(const QByteArray &utf8);

    /// How `kind` is named in the names of the files: "before-clear", "meeting".
    static QString kindName(Kind kind);

    /// Every version kept, newest first.
    QList<Version> versions() const;
    std::optional<QByteArray> read(const Version &version) const;
    /// The first line of a version that holds any, for a list of them.
    static QString firstLine(const Version &version);
    /// Removes every version kept.
    void clear();

Q_SIGNALS:
    /// A version was kept (emitted on the thread that kept it).
    void kept();
    /// Versions cannot be written, for `reason`; said once until one can.
    void failed(const QString &reason);

private:
    std::optional<QString> write(Kind kind, const QByteArray &utf8, const QDateTime &when);
    void thin();

    const QString folder_;
    const Clock &clock_;
    const qint64 budget_;
    mutable std::mutex mutex_;
    bool enabled_ = true;
    bool failing_ = false;
    struct Waiting {
        Kind kind;
        QByteArray utf8;
        QDateTime when;
    };
    QList<Waiting> waiting_; // versions that could not be written yet
    QDateTime lastSnapshot_;
    size_t lastKeptHash_ = 0;
};
