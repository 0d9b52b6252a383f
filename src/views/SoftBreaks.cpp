// SPDX-License-Identifier: MIT
#include "SoftBreaks.h"

#include <QTextBlock>
#include <QTextBoundaryFinder>
#include <QTextCursor>
#include <QTextDocument>

#include <algorithm>

namespace {

// Where a soft break marks the paragraph break after it.
constexpr int softBreakProperty = QTextFormat::UserProperty + 2;

bool isWrapSpace(QChar c) {
    return c == u' ' || c == u'\t';
}

} // namespace

qsizetype SoftBreaks::pieceEnd(QStringView text, qsizetype at, qsizetype reach) {
    for (qsizetype i = at; i > std::max<qsizetype>(at - reach / 4, 0); --i)
        if (isWrapSpace(text[i - 1]) && !continuesCluster(text[i])) // a mark may follow a space
            return i;
    // Text that can only wrap anywhere takes twice as long to lay out: half a piece.
    const qsizetype start = std::max<qsizetype>(at - reach, 0);
    if (std::none_of(text.begin() + start, text.begin() + at, isWrapSpace)) {
        at = std::max(start + 1, at - reach / 2);
        reach /= 2;
    }
    const qsizetype window = std::max<qsizetype>(at - reach + 1, 0);
    QTextBoundaryFinder clusters(QTextBoundaryFinder::Grapheme, text.data() + window,
                                 std::min(text.size(), at + 1) - window);
    clusters.setPosition(at - window);
    if (!clusters.isAtBoundary())
        clusters.toPreviousBoundary();
    while (clusters.position() > 0 && continuesCluster(text[window + clusters.position()]))
        clusters.toPreviousBoundary();
    if (clusters.position() > 0)
        return window + clusters.position();
    // A cluster longer than a piece stays whole: the piece goes on to its end.
    QTextBoundaryFinder rest(QTextBoundaryFinder::Grapheme, text.data() + at, text.size() - at);
    qsizetype end = 0;
    do
        end = rest.toNextBoundary();
    while (end > 0 && at + end < text.size() && continuesCluster(text[at + end]));
    return end < 0 ? text.size() : at + end;
}

bool SoftBreaks::continuesCluster(QChar c) {
    return c.isMark() || c.category() == QChar::Other_Format || c.isLowSurrogate();
}

void SoftBreaks::insert(QTextCursor &cursor) {
    seen_ = true;
    QTextCharFormat soft;
    soft.setProperty(softBreakProperty, true);
    cursor.insertBlock(QTextBlockFormat(), soft);
}

int SoftBreaks::follow(const QTextDocument &document, int position, int removed, int added) {
    if (!seen_)
        return 0;
    auto first = std::lower_bound(positions_.begin(), positions_.end(), position);
    const auto last = std::lower_bound(first, positions_.end(), position + removed);
    const int gone = int(last - first);
    first = positions_.erase(first, last);
    for (auto it = first; it != positions_.end(); ++it)
        *it += added - removed;
    // Those added come from a piece split here, or from undo bringing one back.
    std::vector<int> found;
    for (QTextBlock block = document.findBlock(position).next();
         block.isValid() && block.position() <= position + added; block = block.next())
        if (block.charFormat().hasProperty(softBreakProperty))
            found.push_back(block.position() - 1);
    positions_.insert(first, found.begin(), found.end());
    return gone;
}

void SoftBreaks::clear() {
    positions_.clear();
    seen_ = false;
}

bool SoftBreaks::isCarriedBy(const QTextCharFormat &format) const {
    return seen_ && format.hasProperty(softBreakProperty);
}

bool SoftBreaks::isAt(int documentPosition) const {
    return std::binary_search(positions_.begin(), positions_.end(), documentPosition);
}

qsizetype SoftBreaks::before(int documentPosition) const {
    return std::lower_bound(positions_.begin(), positions_.end(), documentPosition) -
           positions_.begin();
}

std::pair<std::vector<int>::const_iterator, std::vector<int>::const_iterator>
SoftBreaks::within(int from, int to) const {
    const auto first = std::lower_bound(positions_.cbegin(), positions_.cend(), from);
    return {first, std::lower_bound(first, positions_.cend(), to)};
}

int SoftBreaks::toDocument(qsizetype textPosition, bool after) const {
    // The i-th soft break stands before the text's position positions_[i] - i.
    qsizetype low = 0;
    qsizetype high = qsizetype(positions_.size());
    while (low < high) {
        const qsizetype middle = (low + high) / 2;
        const qsizetype at = positions_[size_t(middle)] - middle;
        if (at < textPosition || (at == textPosition && after))
            low = middle + 1;
        else
            high = middle;
    }
    return int(textPosition + low);
}
