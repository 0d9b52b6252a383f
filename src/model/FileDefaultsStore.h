// SPDX-License-Identifier: MIT
#pragma once

#include "DefaultsStore.h"

#include <memory>

class QSettings;

/// The defaults on disk. A string value is a plain UTF-8 file named after its key in the data
/// folder, so that the user can find, read and back up the note; it is written atomically and
/// off the UI thread, private to the user. Numbers go to the platform's preferences.
class FileDefaultsStore final : public DefaultsStore {
    Q_OBJECT
public:
    FileDefaultsStore(const QString &dataFolder, std::unique_ptr<QSettings> preferences,
                      QObject *parent = nullptr);
    /// Waits for the writes still under way; nothing handed to the store is dropped.
    ~FileDefaultsStore() override;

    std::optional<QString> string(const QString &key) const override;
    std::optional<float> floatValue(const QString &key) const override;
    void setString(const QString &key, const QString &value) override;
    void setFloat(const QString &key, float value) override;
    void setUtf8String(const QString &key, const QByteArray &utf8) override;
    void flush() override;

    /// Makes `folder` if it is missing, readable by the user alone.
    static std::optional<QString> preparePrivateFolder(const QString &folder);

    /// The file that holds the string stored under `key`.
    QString pathForKey(const QString &key) const;

private:
    /// A string to write, or its UTF-8 when the caller has encoded it already.
    struct Value {
        QString text;
        QByteArray utf8;
        bool encoded = false;
    };
    class Writer;
    void submit(const QString &key, Value value);
    void report(const std::optional<QString> &error);

    QString dataFolder_;
    std::unique_ptr<QSettings> preferences_;
    std::unique_ptr<Writer> writer_;
};
