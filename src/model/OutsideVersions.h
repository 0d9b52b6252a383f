// SPDX-License-Identifier: MIT
#pragma once

#include <QString>

#include <functional>
#include <optional>

/// What the note becomes when another program's version of it turns up: in its file, or
/// beside it as a sync engine's conflict copy. Decides only; the model carries it out.
namespace OutsideVersions {

/// Another program wrote the note's file.
struct FileChange {
    enum class Kind {
        Same,     ///< both sides hold the same words: nothing to do
        TakeIn,   ///< nothing was typed here since: `text` (the other version) is the note
        Merged,   ///< both changed other lines: `text` holds both
        Emptied,  ///< the file was emptied while the user typed: the note stays
        Conflict, ///< both changed the same lines: the note stays, the other version goes beside
    } kind;
    QString text;
    /// For Merged: the merge takes lines out of the note (the other side deleted them).
    bool takesLinesOut = false;
};
/// `current` is on disk now, `common` what both sides last agreed on, `note` the window's
/// text. `earlier` finds the version that the other side may have grown from, when that is
/// older than `common`.
FileChange ofFileChange(const QString &note, const QString &current, const QString &common,
                        const std::function<std::optional<QString>()> &earlier);

/// A conflict copy beside the note, whose words are `copy`.
struct Copy {
    enum class Kind {
        Conflicting, ///< it changes the same lines as the note: kept as it is
        Merged,      ///< `text` is the note with the copy's changes
    } kind;
    QString text;
    /// The note (`text`) holds every line the copy added: the copy may go.
    bool removable = false;
};
/// `base` is the version both grew from, when one is known.
Copy ofCopy(const QString &note, const QString &copy, const std::optional<QString> &base);

/// Whether every line of `other` stands somewhere in `note`.
bool holdsEveryLine(const QString &note, const QString &other);

} // namespace OutsideVersions
