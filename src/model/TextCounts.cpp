// SPDX-License-Identifier: MIT
#include "TextCounts.h"

namespace {

// Small enough that an edit costs microseconds, large enough that a 10 MB note has a few
// thousand blocks to walk.
constexpr qsizetype blockSize = 4096;

// The counts of text[from, to). With `lookBack`, a word that runs into `from` from before it
// is counted where it starts, not here.
TextCounts::Counts count(QStringView text, qsizetype from, qsizetype to, bool lookBack) {
    TextCounts::Counts counts;
    bool inWord = lookBack && from > 0 && !text[from - 1].isSpace();
    for (qsizetype i = from; i < to; ++i) {
        const QChar c = text[i];
        const bool space = c.isSpace();
        counts.words += !space && !inWord;
        inWord = !space;
        counts.characters += !(c.isLowSurrogate() && i > 0 && text[i - 1].isHighSurrogate());
    }
    return counts;
}

void add(TextCounts::Counts &to, const TextCounts::Counts &counts, int sign = 1) {
    to.words += sign * counts.words;
    to.characters += sign * counts.characters;
}

} // namespace

void TextCounts::countBlocks(QStringView text, qsizetype from, qsizetype to,
                             std::vector<Block>::iterator at) {
    std::vector<Block> counted;
    for (qsizetype start = from; start < to; start += blockSize) {
        const qsizetype end = std::min(start + blockSize, to);
        counted.push_back({end - start, count(text, start, end, true)});
        add(total_, counted.back().counts);
    }
    blocks_.insert(at, counted.begin(), counted.end());
}

void TextCounts::reset(QStringView text) {
    blocks_.clear();
    total_ = {};
    countBlocks(text, 0, text.size(), blocks_.end());
}

void TextCounts::replaced(QStringView text, qsizetype position, qsizetype removed,
                          qsizetype added) {
    // From the block the edit starts in to the one that holds the first character after it,
    // whose word may have begun or ended with the edit.
    auto first = blocks_.begin();
    qsizetype start = 0;
    while (first != blocks_.end() && start + first->length < position)
        start += (first++)->length;
    auto last = first;
    qsizetype end = start;
    while (last != blocks_.end() && end <= position + removed)
        end += (last++)->length;
    for (auto it = first; it != last; ++it)
        add(total_, it->counts, -1);
    countBlocks(text, start, end - removed + added, blocks_.erase(first, last));
}

TextCounts::Counts TextCounts::range(QStringView text, qsizetype from, qsizetype to) const {
    Counts counts;
    qsizetype start = 0;
    for (const Block &block : blocks_) {
        const qsizetype end = start + block.length;
        if (start > from && end <= to)
            add(counts, block.counts);
        else if (end > from && start < to)
            add(counts, count(text, std::max(start, from), std::min(end, to), start > from));
        start = end;
        if (start >= to)
            break;
    }
    return counts;
}
