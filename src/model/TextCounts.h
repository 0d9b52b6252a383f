// SPDX-License-Identifier: MIT
#pragma once

#include <QStringView>

#include <vector>

/// The words and characters of a text that changes by edits, kept in time in proportion to
/// each edit: the text is counted in blocks, and an edit counts again only the blocks it
/// touches. A word is a run of characters other than white space, as `wc -w` counts them; a
/// character is a code point, a surrogate pair counting once.
class TextCounts {
public:
    struct Counts {
        qsizetype words = 0;
        qsizetype characters = 0;
        bool operator==(const Counts &) const = default;
    };

    /// Counts `text` afresh.
    void reset(QStringView text);
    /// `removed` characters at `position` became `added` ones; `text` is the text after it.
    void replaced(QStringView text, qsizetype position, qsizetype removed, qsizetype added);
    Counts total() const { return total_; }
    /// The counts of `text` from `from` to `to`, a word cut at either end counting as one.
    /// `text` is the text given last.
    Counts range(QStringView text, qsizetype from, qsizetype to) const;

private:
    struct Block {
        qsizetype length;
        Counts counts;
    };
    void countBlocks(QStringView text, qsizetype from, qsizetype to,
                     std::vector<Block>::iterator at);

    std::vector<Block> blocks_;
    Counts total_;
};
