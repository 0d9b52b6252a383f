// SPDX-License-Identifier: MIT
#pragma once

#include <QByteArray>
#include <QRegularExpression>
#include <QString>

#include <mutex>
#include <optional>
#include <set>
#include <vector>

/// The copies beside the note: those the app keeps (the exact bytes of a note that is no UTF-8,
/// the other version of a conflict), and those a sync engine leaves after a conflict of its own:
/// Syncthing's "<name>.sync-conflict-<date>-<time>-<device>.<ext>", Nextcloud's "<name>
/// (conflicted copy <date> <time>).<ext>", Dropbox's "<name> (<device>'s conflicted copy
/// <date>).<ext>", and the app's own "<name>.conflict-<date>-<time>.<ext>".
class ConflictCopies {
public:
    /// Keeps `bytes`, read from the note at `note` and no valid UTF-8, exactly as they are
    /// beside it, before any save can replace them. The reason when it could not.
    static std::optional<QString> keepUnreadable(const QString &note, const QByteArray &bytes);
    /// Writes `bytes` beside the note at `note` as a conflict copy, never over another file.
    /// Returns its path, or the reason it could not be written.
    std::pair<QString, std::optional<QString>> keepConflict(const QString &note,
                                                            const QByteArray &bytes);

    struct Found {
        QString path;
        QByteArray bytes;
    };
    /// The conflict copies of the note at `note` that were not found before, or changed since.
    std::vector<Found> newlyFound(const QString &note);
    /// The note lives elsewhere now: every copy there is new.
    void forget();

private:
    /// The names of conflict copies of the note at `note`, by the case rules of its file system.
    static QRegularExpression namePattern(const QString &note);

    std::mutex mutex_;
    std::set<QString> reported_;
};
