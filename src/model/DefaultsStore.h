// SPDX-License-Identifier: MIT
#pragma once

#include <QObject>
#include <QString>

#include <optional>

/// The user's defaults: a string and a 32-bit float by key, kept across launches.
///
/// Writes may complete after the call returns; their outcome arrives as writeSucceeded() or
/// writeFailed() on the thread that owns the store, in the order the writes were made.
class DefaultsStore : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;

    /// The stored string, or nothing when none is stored.
    virtual std::optional<QString> string(const QString &key) const = 0;
    /// The stored number, or nothing when none is stored or the stored value is no number.
    virtual std::optional<float> floatValue(const QString &key) const = 0;

    virtual void setString(const QString &key, const QString &value) = 0;
    virtual void setFloat(const QString &key, float value) = 0;
    /// Stores a string that the caller has already turned into UTF-8.
    virtual void setUtf8String(const QString &key, const QByteArray &utf8) {
        setString(key, QString::fromUtf8(utf8));
    }

    /// Returns once every write made so far has reached the disk or failed.
    virtual void flush() = 0;

Q_SIGNALS:
    void writeSucceeded();
    void writeFailed(const QString &reason);
};
