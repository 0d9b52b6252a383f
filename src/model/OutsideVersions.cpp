// SPDX-License-Identifier: MIT
#include "OutsideVersions.h"

#include "Notemodel.h"
#include "TextMerge.h"

#include <QSet>

namespace OutsideVersions {

bool holdsEveryLine(const QString &note, const QString &other) {
    QSet<QStringView> lines;
    for (const QStringView line : QStringView(note).tokenize(u'\n'))
        lines.insert(line);
    for (const QStringView line : QStringView(other).tokenize(u'\n'))
        if (!lines.contains(line))
            return false;
    return true;
}

FileChange ofFileChange(const QString &note, const QString &current, const QString &common,
                        const std::function<std::optional<QString>()> &earlier) {
    using Kind = FileChange::Kind;
    if (current == note)
        return {Kind::Same, {}};
    if (note == common)
        return {Kind::TakeIn, current};
    // A file emptied while the user typed holds no words of anyone's: a writer that empties a
    // file and fills it again has had its time to settle before this is seen.
    if (NoteModel::isBlank(current) && !NoteModel::isBlank(common))
        return {Kind::Emptied, {}};
    std::optional<QString> merged = TextMerge::threeWay(common, note, current);
    if (!merged) {
        // The other machine may have made its version from an earlier one than the last that
        // both sides share: merged against that one, its changes are its own.
        const std::optional<QString> base = earlier();
        if (base && *base != common)
            merged = TextMerge::threeWay(*base, note, current);
        // No line of the window's may go on that guess: there is no copy of them elsewhere.
        if (merged && !holdsEveryLine(*merged, note))
            merged.reset();
    }
    if (!merged)
        return {Kind::Conflict, {}};
    return {Kind::Merged, *merged, !TextMerge::keepsEveryLine(note, *merged)};
}

Copy ofCopy(const QString &note, const QString &copy, const std::optional<QString> &base) {
    // Against the version both grew from, both sides' changes go in.
    std::optional<QString> merged = base ? TextMerge::threeWay(*base, note, copy) : std::nullopt;
    // A copy is the version that lost to another at a sync engine, not a choice to take lines
    // out: one that would take lines out of the note only adds its own.
    if (merged && !TextMerge::keepsEveryLine(note, *merged))
        merged.reset();
    if (!merged)
        merged = TextMerge::withAddedLines(note, copy);
    if (!merged)
        return {Copy::Kind::Conflicting, {}};
    // A line of the copy's that the note lacks would be lost with it, also one that the merge
    // takes for changed on this side: the base may be only a guess, older than the other
    // side's own, which never had the line.
    return {Copy::Kind::Merged, *merged, holdsEveryLine(*merged, copy)};
}

} // namespace OutsideVersions
