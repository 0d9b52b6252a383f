// SPDX-License-Identifier: MIT
#pragma once

#include "DefaultsStore.h"
#include "NoteFile.h"

#include <functional>
#include <memory>

class QSettings;

/// The defaults on disk. The note is a plain UTF-8 file (NoteFile) that the user can find, read,
/// back up and keep in a sync folder; numbers go to the platform's preferences.
class FileDefaultsStore final : public DefaultsStore {
    Q_OBJECT
public:
    /// Where a note moved with moveTo() lives, remembered for later launches.
    static inline const QString noteFolderKey = QStringLiteral("mirt.note.folder");

    /// `remembersMoves`: a move of the note is kept for later launches (the usual note; never
    /// a file named for one run).
    FileDefaultsStore(const QString &notePath, NoteFile::Options options,
                      std::unique_ptr<QSettings> preferences, bool remembersMoves = true,
                      QObject *parent = nullptr);
    ~FileDefaultsStore() override;

    std::optional<QString> string(const QString &key) const override;
    std::optional<float> floatValue(const QString &key) const override;
    void setString(const QString &key, const QString &value) override;
    void setUtf8String(const QString &key, const QByteArray &utf8) override;
    void setFloat(const QString &key, float value) override;
    void flush() override;
    void acceptOutside(const QString &key, quint64 version) override;
    std::optional<QString> commonVersion(const QString &key, const QString &one,
                                         const QString &other) override;
    std::pair<QString, std::optional<QString>> keepConflictCopy(const QString &key,
                                                                const QString &text) override;
    void setStringTakingCopy(const QString &key, const QString &value,
                             const QString &copy) override;
    std::optional<QString> moveTo(const QString &key, const QString &folder,
                                  const QString &text) override;
    void keepVersion(const QString &key, NoteHistory::Kind kind, const QString &text) override;

    /// Where the note's earlier versions are kept; none by default.
    void setHistory(NoteHistory *history) { note_->setHistory(history); }

    QString notePath() const { return note_->path(); }

    /// Asked before the note moves to a file (its real path): whether this process may be its
    /// one writer. Without it, every move may go ahead.
    void setClaim(std::function<bool(const QString &realPath)> claim) { claim_ = std::move(claim); }

private:
    std::unique_ptr<NoteFile> note_;
    std::unique_ptr<QSettings> preferences_;
    bool remembersMoves_;
    std::function<bool(const QString &)> claim_;
    QString leftBehind_; // the note's old file after a move, removed once the new one is written
};
