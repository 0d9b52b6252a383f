// SPDX-License-Identifier: MIT
#include "TextMerge.h"

#include "NoteEncoding.h"

#include <QHash>
#include <QList>

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

// A line of a side of the merge, its line break included.
struct Line {
    QStringView text;
    int base = -1;             // the base line it is, or -1 for a line a side added
    bool replaces = false;     // added in place of base lines, not only between them
    bool unterminated = false; // it was a last line without its line break
    // Where it stands in the base, in halves: 2i is the place before base line i, 2i + 1 that
    // line. Lines put in place of base lines may stand anywhere among them.
    std::pair<int, int> place;
};
using Lines = QList<Line>;

Lines splitLines(QStringView text, bool lastUnterminated, bool isBase = false) {
    Lines lines;
    for (qsizetype at = 0; at < text.size();) {
        const qsizetype feed = text.indexOf(u'\n', at);
        const qsizetype end = feed < 0 ? text.size() : feed + 1;
        const int index = int(lines.size());
        lines.append({text.sliced(at, end - at),
                      isBase ? index : -1,
                      false,
                      false,
                      {2 * index + 1, 2 * index + 1}});
        at = end;
    }
    if (lastUnterminated && !lines.isEmpty())
        lines.last().unterminated = true;
    return lines;
}

QString joined(const Lines &lines) {
    QString text;
    for (const Line &line : lines)
        text += line.text;
    return text;
}

// Where two sides put different lines at one place, in an order that does not depend on which
// side is which, so that both machines reach the same note: lines between base lines before
// those in place of one, a last line without its break last, and otherwise by their text.
bool goesFirst(const Lines &a, const Lines &b) {
    const auto rank = [](const Lines &lines) {
        return std::pair{lines.first().replaces, lines.last().unterminated};
    };
    if (rank(a) != rank(b))
        return rank(a) < rank(b);
    return joined(a) < joined(b);
}

// What one side did to each base line: kept it, took it out, or put other lines in its place;
// and the lines it put at each place, before a base line or after the last.
struct SideEdits {
    enum Fate : char { Kept, Deleted, Replaced };
    std::vector<Fate> fate;
    std::vector<Lines> added;
    std::vector<int> change;   // for a line not kept, the place where its change put lines
    std::vector<char> spanned; // the places and lines (in halves) that a change reaches
};

SideEdits editsOf(const Lines &base, const Lines &side) {
    SideEdits edits{std::vector(size_t(base.size()), SideEdits::Kept),
                    std::vector<Lines>(base.size() + 1), std::vector(size_t(base.size()), -1),
                    std::vector(size_t(2 * base.size() + 1), char(0))};
    for (const Hunk &hunk : diffHunks(noteToUtf8(joined(base)), noteToUtf8(joined(side)))) {
        const int start = hunk.oldLines == 0 ? hunk.oldStart : hunk.oldStart - 1;
        const int from = hunk.newLines == 0 ? hunk.newStart : hunk.newStart - 1;
        for (int i = start; i < start + hunk.oldLines; ++i) {
            edits.fate[size_t(i)] = hunk.newLines == 0 ? SideEdits::Deleted : SideEdits::Replaced;
            edits.change[size_t(i)] = start;
        }
        for (int half = 2 * start; half <= 2 * (start + hunk.oldLines); ++half)
            edits.spanned[size_t(half)] = 1;
        for (Line line : side.sliced(from, hunk.newLines)) {
            line.replaces = hunk.oldLines > 0;
            line.place = {2 * start, 2 * (start + hunk.oldLines)};
            edits.added[size_t(start)].append(line);
        }
    }
    return edits;
}

// Lines that only one side or only the other has, between two that both have: each side's in
// its order, by where they stand in the base, and at one place in an order that does not
// depend on which side is which.
Lines interleaved(const Lines &a, const Lines &b) {
    Lines merged;
    qsizetype ia = 0, ib = 0;
    while (ia < a.size() || ib < b.size()) {
        if (ib == b.size() || (ia < a.size() && a[ia].place < b[ib].place)) {
            merged.append(a[ia++]);
        } else if (ia == a.size() || b[ib].place < a[ia].place) {
            merged.append(b[ib++]);
        } else {
            qsizetype ja = ia, jb = ib;
            while (ja < a.size() && a[ja].place == a[ia].place)
                ++ja;
            while (jb < b.size() && b[jb].place == b[ib].place)
                ++jb;
            Lines first = a.sliced(ia, ja - ia), second = b.sliced(ib, jb - ib);
            if (goesFirst(second, first))
                std::swap(first, second);
            merged.append(first);
            merged.append(second);
            ia = ja;
            ib = jb;
        }
    }
    return merged;
}

// Both sides' lines of one stretch of the base: the lines both have once, the rest of each in
// its place, but for base lines that a side took out or put other lines in place of.
QString mergeStretch(Lines a, Lines b, const SideEdits &o, const SideEdits &t) {
    if (!a.isEmpty() && !b.isEmpty() && goesFirst(b, a))
        std::swap(a, b); // the same alignment whichever side is which
    Lines merged;
    qsizetype inA = 0;
    for (const Hunk &hunk : diffHunks(noteToUtf8(joined(a)), noteToUtf8(joined(b)))) {
        const qsizetype aStart = hunk.oldLines == 0 ? hunk.oldStart : hunk.oldStart - 1;
        const qsizetype bStart = hunk.newLines == 0 ? hunk.newStart : hunk.newStart - 1;
        merged.append(a.sliced(inA, aStart - inA)); // lines both have
        merged.append(
            interleaved(a.sliced(aStart, hunk.oldLines), b.sliced(bStart, hunk.newLines)));
        inA = aStart + hunk.oldLines;
    }
    merged.append(a.sliced(inA));
    // A line both added stands once even where the two put it in another order, as after
    // merges that each side made its own way: as often as the side that has it more.
    QHash<QStringView, std::pair<int, int>> added; // how many times in a, and in b
    for (const Line &line : a)
        added[line.text].first += line.base < 0;
    for (const Line &line : b)
        added[line.text].second += line.base < 0;
    QString text;
    std::vector<char> placed(o.fate.size());
    for (const Line &line : merged) {
        if (line.base >= 0 && (o.fate[size_t(line.base)] != SideEdits::Kept ||
                               t.fate[size_t(line.base)] != SideEdits::Kept ||
                               std::exchange(placed[size_t(line.base)], char(1))))
            continue;
        if (line.base < 0) {
            auto &[leftInA, leftInB] = added[line.text];
            if (std::max(leftInA, leftInB) <= 0)
                continue; // as many as either side has stand already
            --leftInA;
            --leftInB;
        }
        text += line.text;
    }
    return text;
}

// Both sides' changes to base: a line stays where both kept it; lines either side added stay,
// once where both added them. A line both put other lines in place of, with no line in common,
// or that one changed and the other took out, is a conflict.
std::optional<QString> mergeLines(const Lines &base, const Lines &ours, const Lines &theirs) {
    const SideEdits o = editsOf(base, ours), t = editsOf(base, theirs);
    const qsizetype n = base.size();
    for (qsizetype i = 0; i < n; ++i) {
        const auto mine = o.fate[size_t(i)], other = t.fate[size_t(i)];
        if (mine == SideEdits::Kept || other == SideEdits::Kept ||
            (mine == SideEdits::Deleted && other == SideEdits::Deleted))
            continue;
        if (mine != other)
            return std::nullopt;
        const Lines &a = o.added[size_t(o.change[size_t(i)])];
        const Lines &b = t.added[size_t(t.change[size_t(i)])];
        if (std::none_of(a.begin(), a.end(), [&b](const Line &x) {
                return std::any_of(b.begin(), b.end(),
                                   [&x](const Line &y) { return x.text == y.text; });
            }))
            return std::nullopt;
    }
    // The stretches that either side's changes reach, apart from the lines both kept: the
    // places between lines (even steps) and the lines (odd steps) in turn.
    const auto touched = [&](qsizetype step) {
        return o.spanned[size_t(step)] || t.spanned[size_t(step)];
    };
    QString merged;
    for (qsizetype step = 0; step <= 2 * n;) {
        if (!touched(step)) {
            if (step % 2 == 1)
                merged += base[step / 2].text;
            ++step;
            continue;
        }
        Lines a, b;
        for (; step <= 2 * n && touched(step); ++step) {
            const size_t at = size_t(step / 2);
            if (step % 2 == 0) {
                a.append(o.added[at]);
                b.append(t.added[at]);
                continue;
            }
            if (o.fate[at] == SideEdits::Kept)
                a.append(base[qsizetype(at)]);
            if (t.fate[at] == SideEdits::Kept)
                b.append(base[qsizetype(at)]);
        }
        merged += mergeStretch(a, b, o, t);
    }
    return merged;
}

std::optional<QString> mergeTexts(QStringView base, QStringView ours, QStringView theirs) {
    // Two notes begun apart share nothing: neither is an edit of the other.
    if (base.isEmpty() && !ours.isEmpty() && !theirs.isEmpty() && ours != theirs)
        return std::nullopt;
    // Merged as if every text ended in a line break, so that no line is glued to the next; the
    // result then ends as the side did whose last line it ends in.
    const QString b = withFinalBreak(base), o = withFinalBreak(ours), t = withFinalBreak(theirs);
    // Only the lines that the three do not all share go through the diffs.
    const Common co = commonLines(b, o), ct = commonLines(b, t);
    const qsizetype prefix = std::min(co.prefix, ct.prefix);
    const qsizetype suffix = std::min(co.suffix, ct.suffix);
    const auto middle = [prefix, suffix](QStringView text) {
        return text.sliced(prefix, text.size() - prefix - suffix);
    };
    const bool holdsLast = suffix == 0;
    std::optional<QString> merged =
        mergeLines(splitLines(middle(b), false, true),
                   splitLines(middle(o), holdsLast && lacksFinalBreak(ours)),
                   splitLines(middle(t), holdsLast && lacksFinalBreak(theirs)));
    if (!merged)
        return std::nullopt;
    merged->prepend(b.first(prefix)).append(QStringView(b).last(suffix));
    restoreEnding(*merged, {ours, theirs});
    return merged;
}

// How many times each line with words stands in `text`, its line break aside.
QHash<QStringView, int> wordLines(QStringView text, const std::vector<qsizetype> &starts) {
    QHash<QStringView, int> counts;
    for (size_t i = 0; i + 1 < starts.size(); ++i) {
        const QStringView line = text.sliced(starts[i], starts[i + 1] - starts[i]);
        if (!line.trimmed().isEmpty())
            ++counts[line.endsWith(u'\n') ? line.chopped(1) : line];
    }
    return counts;
}

std::optional<QString> addedLines(QStringView note, QStringView other) {
    const auto noteStarts = lineStarts(note);
    const auto otherStarts = lineStarts(other);
    // A line the note has elsewhere was moved, not added: as after a merge that each side
    // made its own way, it stands once.
    QHash<QStringView, int> spare = wordLines(other, otherStarts);
    for (auto [line, count] : wordLines(note, noteStarts).asKeyValueRange())
        spare[line] -= count;
    QString merged = note.toString();
    const auto hunks = diffHunks(noteToUtf8(note), noteToUtf8(other));
    for (auto hunk = hunks.rbegin(); hunk != hunks.rend(); ++hunk) {
        if (hunk->oldLines > 0 && hunk->newLines > 0)
            return std::nullopt; // both have their own words here
        if (hunk->newLines == 0)
            continue; // lines only the note has stay
        QString added;
        for (int i = hunk->newStart - 1; i < hunk->newStart - 1 + hunk->newLines; ++i) {
            const QStringView line = other.sliced(
                otherStarts[size_t(i)], otherStarts[size_t(i) + 1] - otherStarts[size_t(i)]);
            const QStringView words = line.endsWith(u'\n') ? line.chopped(1) : line;
            if (line.trimmed().isEmpty() || spare[words]-- > 0)
                added += line;
        }
        merged.insert(hunkStart(noteStarts, hunk->oldStart, 0), added);
    }
    return merged;
}

} // namespace

namespace TextMerge {

std::optional<QString> threeWay(QStringView base, QStringView ours, QStringView theirs) {
    return mergeTexts(base, ours, theirs);
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
