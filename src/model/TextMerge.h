// SPDX-License-Identifier: MIT
#pragma once

#include <QString>

#include <optional>
#include <vector>

/// Line-by-line comparison and merging of two versions of the note, done by libgit2's diff and
/// merge, the ones git itself uses.
namespace TextMerge {

/// Both sides' changes against `base`, merged; nothing when they change the same lines.
std::optional<QString> threeWay(QStringView base, QStringView ours, QStringView theirs);

/// `note` with the lines that `other` adds to it; nothing when `other` also changes lines of
/// `note`. Lines that only `note` has stay: a copy left beside the note never takes words out.
std::optional<QString> withAddedLines(QStringView note, QStringView other);

/// Whether `later` has every line of `earlier`, changed or not: none taken out outright.
bool keepsEveryLine(QStringView earlier, QStringView later);

/// One replacement that turns part of the old text into the new one (UTF-16 positions).
struct Change {
    qsizetype position;
    qsizetype removed;
    QString inserted;
};
/// The changed lines between `before` and `after`, last first, so that each can be applied in
/// turn without moving the positions of the ones still to come.
std::vector<Change> changes(QStringView before, QStringView after);

} // namespace TextMerge
