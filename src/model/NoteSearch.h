// SPDX-License-Identifier: MIT
#pragma once

#include <QString>

#include <vector>

/// Finding a piece of text in the note: every match, and the next one from a place. It reads
/// the note and never changes it. Positions are those of the note's text.
class NoteSearch {
public:
    struct Options {
        bool matchCase = false;
        bool wholeWords = false;
        bool operator==(const Options &) const = default;
    };
    /// More matches than this are not counted one by one.
    static constexpr qsizetype countLimit = 100'000;

    /// Looks for `needle` in `text` (of revision `revision`: the matches are kept until either
    /// changes). Returns every match, in order, up to countLimit; the calls below search what
    /// this one was asked for.
    const std::vector<qsizetype> &matches(const QString &text, quint64 revision,
                                          const QString &needle, Options options);

    /// The first match at or after `from`, or before `from` going backwards, wrapping around
    /// the end; -1 when there is none. `wrapped` tells whether it went round. Beyond the
    /// matches counted too.
    qsizetype next(qsizetype from, bool backwards, bool *wrapped) const;
    /// Whether a match starts at `at`.
    bool isMatchAt(qsizetype at) const;
    /// Every match from the start, each after the end of the one before, however many: those
    /// that Replace All replaces.
    std::vector<qsizetype> replaceable() const;

private:
    bool isWholeWord(QStringView text, qsizetype at, qsizetype length) const;
    /// The first match at or after `from` going forwards, the last before it going backwards.
    qsizetype seek(qsizetype from, bool backwards) const;
    QStringView haystack() const;

    QString needle_;
    Options options_;
    quint64 revision_ = 0;
    const QString *text_ = nullptr;
    QString folded_; // the note case-folded, for searches that ignore case
    QString foldedNeedle_;
    quint64 foldedRevision_ = 0;
    bool valid_ = false;
    std::vector<qsizetype> matches_;
};
