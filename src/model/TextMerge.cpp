// SPDX-License-Identifier: MIT
#include "TextMerge.h"

#include "NoteEncoding.h"

#include <git2.h>

#include <memory>

namespace {

void initialiseLibgit2() {
    // Once per process; libgit2 keeps its global state until the process ends.
    static const int initialised = git_libgit2_init();
    Q_UNUSED(initialised);
}

// Where each line starts, in UTF-16 units, as git counts lines (a line ends after each LF),
// with the text's end as a last entry.
std::vector<qsizetype> lineStarts(QStringView text) {
    std::vector<qsizetype> starts{0};
    for (qsizetype i = 0; i < text.size(); ++i)
        if (text[i] == u'\n')
            starts.push_back(i + 1);
    if (starts.back() != text.size())
        starts.push_back(text.size());
    return starts;
}

struct Hunk {
    int oldStart, oldLines, newStart, newLines;
};

std::vector<Hunk> diffHunks(const QByteArray &before, const QByteArray &after) {
    initialiseLibgit2();
    git_diff_options options = GIT_DIFF_OPTIONS_INIT;
    options.context_lines = 0;
    options.interhunk_lines = 0;
    options.flags = GIT_DIFF_FORCE_TEXT; // a NUL in a note is still text
    std::vector<Hunk> hunks;
    const auto onHunk = [](const git_diff_delta *, const git_diff_hunk *hunk, void *payload) {
        static_cast<std::vector<Hunk> *>(payload)->push_back(
            {hunk->old_start, hunk->old_lines, hunk->new_start, hunk->new_lines});
        return 0;
    };
    git_diff_buffers(before.constData(), size_t(before.size()), nullptr, after.constData(),
                     size_t(after.size()), nullptr, &options, nullptr, nullptr, onHunk, nullptr,
                     &hunks);
    return hunks;
}

// git takes a last line without its line break for a line that changes when a line is added
// after it: a merge is made as if every text ended in one, and the result then ends as the
// side did whose last line it ends in.
bool lacksFinalBreak(QStringView text) {
    return !text.isEmpty() && !text.endsWith(u'\n');
}

QString withFinalBreak(QStringView text) {
    return lacksFinalBreak(text) ? text.toString() + u'\n' : text.toString();
}

void restoreEnding(QString &merged, std::initializer_list<QStringView> sides) {
    if (!merged.endsWith(u'\n'))
        return;
    const QStringView last = QStringView(merged).chopped(1);
    const QStringView lastLine = last.sliced(last.lastIndexOf(u'\n') + 1);
    for (QStringView side : sides)
        if (lacksFinalBreak(side) && side.sliced(side.lastIndexOf(u'\n') + 1) == lastLine) {
            merged.chop(1);
            return;
        }
}

// Where a hunk's lines start in their text: an empty side stands after the line it names.
qsizetype hunkStart(const std::vector<qsizetype> &starts, int start, int lines) {
    const int index = lines == 0 ? start : start - 1;
    return starts[std::min<size_t>(size_t(std::max(index, 0)), starts.size() - 1)];
}

qsizetype hunkEnd(const std::vector<qsizetype> &starts, int start, int lines) {
    return lines == 0 ? hunkStart(starts, start, lines)
                      : starts[std::min<size_t>(size_t(start - 1 + lines), starts.size() - 1)];
}

// The lines two texts share at their start and at their end, in UTF-16 units, whole lines only
// and never overlapping: what lies between is all that a diff needs to look at.
struct Common {
    qsizetype prefix;
    qsizetype suffix;
};
Common commonLines(QStringView a, QStringView b) {
    const qsizetype limit = std::min(a.size(), b.size());
    qsizetype prefix = 0;
    while (prefix < limit && a[prefix] == b[prefix])
        ++prefix;
    if (prefix < a.size() || prefix < b.size())
        prefix = a.first(prefix).lastIndexOf(u'\n') + 1;
    qsizetype suffix = 0;
    while (suffix < limit - prefix && a[a.size() - 1 - suffix] == b[b.size() - 1 - suffix])
        ++suffix;
    if (suffix < a.size() - prefix || suffix < b.size() - prefix) {
        // Start the shared end at a line start: after the first line feed inside it.
        const qsizetype feed = a.last(suffix).indexOf(u'\n');
        suffix = feed < 0 ? 0 : suffix - feed - 1;
    }
    return {prefix, suffix};
}

std::optional<QString> mergeWithGit(QStringView base, QStringView ours, QStringView theirs) {
    initialiseLibgit2();
    // git takes a file with a NUL for binary and will not merge it: a NUL stands in the merge
    // as a private-use character that none of the three holds.
    const QChar nul(0);
    QChar standIn = nul;
    if (base.contains(nul) || ours.contains(nul) || theirs.contains(nul)) {
        for (char16_t c = 0xF8FF; c >= 0xE000 && standIn == nul; --c)
            if (!base.contains(QChar(c)) && !ours.contains(QChar(c)) && !theirs.contains(QChar(c)))
                standIn = QChar(c);
    }
    const auto encode = [nul, standIn](QStringView text) {
        return standIn == nul ? noteToUtf8(text)
                              : noteToUtf8(text.toString().replace(nul, standIn));
    };
    const QByteArray b = encode(base), o = encode(ours), t = encode(theirs);
    const auto input = [](const QByteArray &bytes) {
        git_merge_file_input in = GIT_MERGE_FILE_INPUT_INIT;
        in.ptr = bytes.constData();
        in.size = size_t(bytes.size());
        return in;
    };
    const git_merge_file_input bi = input(b), oi = input(o), ti = input(t);
    git_merge_file_result result = {};
    if (git_merge_file(&result, &bi, &oi, &ti, nullptr) != 0)
        return std::nullopt;
    const std::unique_ptr<git_merge_file_result, void (*)(git_merge_file_result *)> owned(
        &result, git_merge_file_result_free);
    if (!result.automergeable)
        return std::nullopt;
    QString merged = QString::fromUtf8(result.ptr, qsizetype(result.len));
    if (standIn != nul)
        merged.replace(standIn, nul);
    return merged;
}

std::optional<QString> mergeLines(QStringView base, QStringView ours, QStringView theirs) {
    // Where each side changed the base. Changes to different lines merge by taking both, also
    // on neighbouring lines; only the rest goes to git's merge, and only the lines that the
    // three do not all share.
    const Common o = commonLines(base, ours), t = commonLines(base, theirs);
    if (o.prefix == base.size() && o.prefix == ours.size())
        return theirs.toString();
    if (t.prefix == base.size() && t.prefix == theirs.size())
        return ours.toString();
    const auto apart = [&base](Common first, QStringView firstText, Common second,
                               QStringView secondText) -> std::optional<QString> {
        const qsizetype firstEnd = base.size() - first.suffix;
        // Two additions at one place have no order of their own: those are for the union below.
        if (firstEnd > second.prefix ||
            (firstEnd == first.prefix && second.prefix == base.size() - second.suffix &&
             firstEnd == second.prefix))
            return std::nullopt;
        QString merged = base.first(first.prefix).toString();
        merged += firstText.sliced(first.prefix, firstText.size() - first.suffix - first.prefix);
        merged +=
            base.sliced(base.size() - first.suffix, second.prefix - (base.size() - first.suffix));
        merged +=
            secondText.sliced(second.prefix, secondText.size() - second.suffix - second.prefix);
        merged += base.last(second.suffix);
        return merged;
    };
    // The change that ends first goes first, whichever side made it.
    const qsizetype oEnd = base.size() - o.suffix, tEnd = base.size() - t.suffix;
    const bool oursFirst = oEnd < tEnd || (oEnd == tEnd && o.prefix <= t.prefix);
    if (auto merged = oursFirst ? apart(o, ours, t, theirs) : apart(t, theirs, o, ours))
        return merged;
    const qsizetype prefix = std::min(o.prefix, t.prefix);
    const qsizetype suffix = std::min(o.suffix, t.suffix);
    const auto middle = [prefix, suffix](QStringView text) {
        return text.sliced(prefix, text.size() - prefix - suffix);
    };
    if (prefix + suffix == base.size() && !base.isEmpty()) {
        // Both only added lines, at the same place: two machines each writing at the end of the
        // note (two notes begun apart share nothing and stay apart). Both sets stay, in an order
        // that does not depend on which side merges, so that both machines reach the same note; a
        // last line without its line break goes last.
        QStringView first = middle(ours), second = middle(theirs);
        const bool firstEnds = first.endsWith(u'\n'), secondEnds = second.endsWith(u'\n');
        if (firstEnds == secondEnds ? second < first : !firstEnds)
            std::swap(first, second);
        if (first.endsWith(u'\n') && (second.endsWith(u'\n') || suffix == 0)) {
            QString merged = base.first(prefix).toString();
            merged.append(first).append(second).append(base.last(suffix));
            return merged;
        }
    }
    std::optional<QString> merged = mergeWithGit(middle(base), middle(ours), middle(theirs));
    if (merged)
        merged->prepend(base.first(prefix)).append(base.last(suffix));
    return merged;
}

std::optional<QString> addedLines(QStringView note, QStringView other) {
    const auto noteStarts = lineStarts(note);
    const auto otherStarts = lineStarts(other);
    QString merged = note.toString();
    const auto hunks = diffHunks(noteToUtf8(note), noteToUtf8(other));
    for (auto hunk = hunks.rbegin(); hunk != hunks.rend(); ++hunk) {
        if (hunk->oldLines > 0 && hunk->newLines > 0)
            return std::nullopt; // both have their own words here
        if (hunk->newLines == 0)
            continue; // lines only the note has stay
        const qsizetype from = hunkStart(otherStarts, hunk->newStart, hunk->newLines);
        const qsizetype to = hunkEnd(otherStarts, hunk->newStart, hunk->newLines);
        merged.insert(hunkStart(noteStarts, hunk->oldStart, 0), other.sliced(from, to - from));
    }
    return merged;
}

} // namespace

namespace TextMerge {

std::optional<QString> threeWay(QStringView base, QStringView ours, QStringView theirs) {
    std::optional<QString> merged = mergeLines(base, ours, theirs);
    if (!merged && (lacksFinalBreak(base) || lacksFinalBreak(ours) || lacksFinalBreak(theirs))) {
        merged = mergeLines(withFinalBreak(base), withFinalBreak(ours), withFinalBreak(theirs));
        if (merged)
            restoreEnding(*merged, {ours, theirs});
    }
    return merged;
}

std::optional<QString> withAddedLines(QStringView note, QStringView other) {
    std::optional<QString> merged = addedLines(note, other);
    if (!merged && (lacksFinalBreak(note) || lacksFinalBreak(other))) {
        merged = addedLines(withFinalBreak(note), withFinalBreak(other));
        if (merged)
            restoreEnding(*merged, {note, other});
    }
    return merged;
}

bool keepsEveryLine(QStringView earlier, QStringView later) {
    const std::vector<Change> found = changes(earlier, later);
    return std::none_of(found.begin(), found.end(), [](const Change &change) {
        return change.removed > 0 && change.inserted.isEmpty();
    });
}

std::vector<Change> changes(QStringView before, QStringView after) {
    // Only the lines between the shared start and end go through the diff.
    const Common common = commonLines(before, after);
    before = before.sliced(common.prefix, before.size() - common.prefix - common.suffix);
    after = after.sliced(common.prefix, after.size() - common.prefix - common.suffix);
    const auto beforeStarts = lineStarts(before);
    const auto afterStarts = lineStarts(after);
    std::vector<Change> result;
    const auto hunks = diffHunks(noteToUtf8(before), noteToUtf8(after));
    for (auto hunk = hunks.rbegin(); hunk != hunks.rend(); ++hunk) {
        const qsizetype from = hunkStart(beforeStarts, hunk->oldStart, hunk->oldLines);
        const qsizetype to = hunkEnd(beforeStarts, hunk->oldStart, hunk->oldLines);
        const qsizetype newFrom = hunkStart(afterStarts, hunk->newStart, hunk->newLines);
        const qsizetype newTo = hunkEnd(afterStarts, hunk->newStart, hunk->newLines);
        result.push_back(
            {common.prefix + from, to - from, after.sliced(newFrom, newTo - newFrom).toString()});
    }
    return result;
}

} // namespace TextMerge
