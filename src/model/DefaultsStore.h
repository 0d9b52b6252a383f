// SPDX-License-Identifier: MIT
#pragma once

#include "NoteHistory.h"

#include <QObject>
#include <QString>

#include <optional>

/// The user's defaults: a string and a 32-bit float by key, kept across launches.
///
/// Writes may complete after the call returns; their outcome arrives as writeSucceeded() or
/// writeFailed() on the thread that owns the store, in the order the writes were made. A stored
/// string is the user's file, and other programs may write it too: the store never overwrites
/// a version it has not seen, and tells what it found instead.
class DefaultsStore : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;

    /// The stored string, or nothing when none is stored.
    virtual std::optional<QString> string(const QString &key) const = 0;
    /// The stored number, or nothing when none is stored or the stored value is no number.
    virtual std::optional<float> floatValue(const QString &key) const = 0;

    virtual void setString(const QString &key, const QString &value) = 0;
    /// Stores a string that the caller has already turned into UTF-8.
    virtual void setUtf8String(const QString &key, const QByteArray &utf8) = 0;
    virtual void setFloat(const QString &key, float value) = 0;

    /// Returns once every write made so far has reached the disk or failed.
    virtual void flush() = 0;

    /// The version that changedOutside() announced as `version` has been taken in: it becomes
    /// the store's own, and the next write may replace it.
    virtual void acceptOutside(const QString &key, quint64 version) = 0;
    /// Of the versions stored under `key`, the one that `one` and `other` both grew from: the
    /// newest that each keeps every line of. Another machine's version may have grown from an
    /// older one than the last.
    virtual std::optional<QString> commonVersion(const QString &key, const QString &one,
                                                 const QString &other) = 0;
    /// Keeps `text` in a file beside the string stored under `key`, named as a conflict copy.
    /// Returns its path, or the reason it could not be written.
    virtual std::pair<QString, std::optional<QString>> keepConflictCopy(const QString &key,
                                                                        const QString &text) = 0;
    /// Stores `value`, which took in the words of `copy` (announced by copyFound()), and
    /// removes that copy once `value` is on disk.
    virtual void setStringTakingCopy(const QString &key, const QString &value,
                                     const QString &copy) = 0;
    /// Keeps `text`, what was stored under `key` or was about to be, as an earlier version of
    /// `kind`, on disk before any later write under `key`; never on the caller's time.
    virtual void keepVersion(const QString &key, NoteHistory::Kind kind, const QString &text) = 0;
    /// Moves the string stored under `key` into `folder`, holding `text`, and keeps it there
    /// from now on. Returns the reason when it could not.
    virtual std::optional<QString> moveTo(const QString &key, const QString &folder,
                                          const QString &text) = 0;

Q_SIGNALS:
    void writeSucceeded();
    void writeFailed(const QString &reason);
    /// Another program wrote the string: `current` is what is stored now, `common` the version
    /// that the app last read or wrote. Nothing more is written until acceptOutside().
    void changedOutside(const QString &key, const QString &current, const QString &common,
                        quint64 version);
    /// Another program removed the stored string; the next write stores it again.
    void removedOutside(const QString &key);
    /// A conflict copy of the string beside it, left by a file-sync engine or by the app;
    /// `exact` is false when it is no valid text.
    void copyFound(const QString &path, const QString &text, bool exact);
};
