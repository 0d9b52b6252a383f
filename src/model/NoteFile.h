// SPDX-License-Identifier: MIT
#pragma once

#include "NoteHistory.h"

#include <QObject>
#include <QString>

#include <memory>
#include <optional>

class NoteWriter;

/// The note's file on disk. Writes go to a thread of their own, newest first: a value
/// superseded before its turn is dropped, so a later save is never overtaken by an earlier one.
///
/// The file is the user's, and other programs write it too. The file remembers the version it
/// last read or wrote, and before every write it checks that the disk still holds that version;
/// when it does not, it writes nothing and announces what it found instead. It never writes
/// the bytes the disk holds already, and writes nothing but a regular file, through links.
class NoteFile : public QObject {
    Q_OBJECT
public:
    struct Options {
        /// Make the folder when it is missing (not for a remembered place on a drive that may
        /// simply be unmounted).
        bool createFolder = true;
        /// Keep the folder readable by the user alone (the app's own data folder; never a
        /// folder the user chose and shares with a sync engine).
        bool privateFolder = false;
    };

    NoteFile(const QString &path, Options options, QObject *parent = nullptr);
    /// Waits for the writes still under way; nothing handed over is dropped.
    ~NoteFile() override;

    /// The note's path as given; realPath() is the file it leads to through symbolic links.
    QString path() const;
    QString realPath() const;
    /// Reads the note; what it reads becomes the common version. Nothing when there is none.
    std::optional<QString> read();
    /// The same, for a writer that keeps the bytes as they are, and so needs no copy of bytes
    /// that are no UTF-8 kept aside.
    std::optional<QByteArray> readBytes();
    /// Writes `utf8` once the disk is known to hold the common version, then removes
    /// `supersededFile` (a copy whose words `utf8` took in), if one is named.
    void write(QByteArray utf8, const QString &supersededFile = QString());
    /// Keeps `text` in `history` (see setHistory()) before the writes handed over after it.
    void keepVersion(NoteHistory::Kind kind, QString text);
    /// Where earlier versions go: those kept, and snapshots of what is saved. None by default.
    void setHistory(NoteHistory *history);
    /// Looks for changes made outside and for sync engines' conflict copies.
    void check();
    /// Returns once every write handed over so far is done.
    void flush();
    /// The version announced by changedOutside() becomes the common one.
    void accept(quint64 version);
    /// Of the common versions, the one that two versions of the note both grew from: the
    /// newest that each keeps every line of. Nothing when there is none.
    std::optional<QString> baseOf(const QString &one, const QString &other);
    /// Writes `utf8` beside the note as a conflict copy, never over another file. Returns its
    /// path, or the reason it could not be written.
    std::pair<QString, std::optional<QString>> keepCopy(const QByteArray &utf8);
    /// From now on the note lives at `path`. With `adopt`, the file there is this note's own
    /// (just written to it); otherwise whatever stands there is taken in before any write.
    void relocate(const QString &path, Options options, bool adopt);

Q_SIGNALS:
    void writeSucceeded();
    void writeFailed(const QString &reason);
    void changedOutside(const QString &current, const QString &common, quint64 version);
    void removedOutside();
    /// A sync engine's conflict copy, or one of the app's own; `exact` is false when it is no
    /// valid UTF-8.
    void copyFound(const QString &path, const QString &text, bool exact);

private:
    std::unique_ptr<NoteWriter> writer_;
};
