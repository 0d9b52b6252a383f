// SPDX-License-Identifier: MIT
#include "NotePages.h"

#include "SoftBreaks.h"
#include "StandIns.h"

#include <QPainter>
#include <QTextLayout>

namespace {

// Pieces a page of a long line is laid out in: a few milliseconds each.
constexpr qsizetype pieceSize = SoftBreaks::longLineSize;

} // namespace

NotePages::NotePages(const QString &note, const QFont &font, qreal width, qreal pageHeight)
    : text_(StandIns::shown(note))
    , width_(width)
    , pageHeight_(pageHeight)
    , pointDevice_(1, 1, QImage::Format_Mono)
    , pages_{{0, 0}} {
    pointDevice_.setDotsPerMeterX(qRound(72 / 0.0254));
    pointDevice_.setDotsPerMeterY(qRound(72 / 0.0254));
    font_ = QFont(font, &pointDevice_);
}

std::pair<qsizetype, qsizetype> NotePages::pieceAt(qsizetype start) const {
    qsizetype end = text_.indexOf(u'\n', start);
    if (end < 0)
        end = text_.size();
    if (end - start <= pieceSize)
        return {end, end + 1};
    const qsizetype cut = SoftBreaks::pieceEnd(text_, start + pieceSize, pieceSize);
    return cut < end ? std::pair(cut, cut) : std::pair(end, end + 1);
}

void NotePages::layOut(QTextLayout &layout, qsizetype start, qsizetype end) const {
    layout.setText(text_.mid(start, end - start));
    QTextOption option;
    // A word wider than the page breaks anywhere instead of running off the paper.
    option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    layout.setTextOption(option);
    qreal y = 0;
    layout.beginLayout();
    for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
        line.setLineWidth(width_);
        line.setPosition(QPointF(0, y));
        y += line.height();
    }
    layout.endLayout();
}

bool NotePages::layOutMore() {
    if (isComplete())
        return false;
    QTextLayout layout(QString(), font_, &pointDevice_);
    for (qsizetype sliceEnd = next_ + pieceSize; next_ <= text_.size() && next_ < sliceEnd;) {
        const auto [end, following] = pieceAt(next_);
        layOut(layout, next_, end);
        // A row goes on the page where it fits whole, or starts the next one.
        for (int i = 0; i < layout.lineCount(); ++i) {
            const qreal height = layout.lineAt(i).height();
            if (y_ > 0 && y_ + height > pageHeight_) {
                pages_.push_back({next_, i});
                y_ = 0;
            }
            y_ += height;
        }
        next_ = following;
    }
    return !isComplete();
}

bool NotePages::reach(int page) {
    while (knownPages() <= page + 1 && layOutMore()) {
    }
    return page < knownPages();
}

double NotePages::progress() const {
    return text_.isEmpty() ? 1.0 : std::min(1.0, double(next_) / double(text_.size()));
}

void NotePages::draw(QPainter &painter, int page) const {
    // Up to where the next page starts, or as far as the note is laid out.
    const Place end = page + 1 < knownPages() ? pages_[size_t(page + 1)] : Place{next_, 0};
    QTextLayout layout(QString(), font_, &pointDevice_);
    qreal y = 0;
    for (Place at = pages_[size_t(page)];
         at.piece < end.piece || (at.piece == end.piece && at.line < end.line);) {
        const auto [pieceEnd, following] = pieceAt(at.piece);
        layOut(layout, at.piece, pieceEnd);
        const int last = at.piece == end.piece ? end.line : layout.lineCount();
        for (int i = at.line; i < last; ++i) {
            const QTextLine line = layout.lineAt(i);
            line.draw(&painter, QPointF(0, y - line.y()));
            y += line.height();
        }
        at = {following, 0};
    }
}
