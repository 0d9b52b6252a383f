// SPDX-License-Identifier: MIT
#include "LineDirections.h"

#include "SoftBreaks.h"

#include <QTextBlock>
#include <QTextLayout>

#include <cmath>

namespace {

// A block's state holds the direction of a piece's line; that of any other block is unset.
constexpr int unset = -1;

int stateOf(Qt::LayoutDirection direction) {
    return direction == Qt::LayoutDirectionAuto ? unset : int(direction);
}

} // namespace

Qt::LayoutDirection LineDirections::of(QStringView text) {
    for (qsizetype i = 0; i < text.size(); ++i) {
        char32_t c = text[i].unicode();
        if (text[i].isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate())
            c = QChar::surrogateToUcs4(text[i], text[i + 1]), ++i;
        switch (QChar::direction(c)) {
        case QChar::DirL:
            return Qt::LeftToRight;
        case QChar::DirR:
        case QChar::DirAL:
            return Qt::RightToLeft;
        default:
            break;
        }
    }
    return Qt::LayoutDirectionAuto;
}

Qt::LayoutDirection LineDirections::of(const QTextBlock &block) {
    const int state = block.userState();
    return state == unset ? block.textDirection() : Qt::LayoutDirection(state);
}

void LineDirections::follow(QTextDocument &document, const SoftBreaks &softBreaks, int position,
                            int added) {
    if (!softBreaks.any())
        return;
    const auto startsPiece = [&](const QTextBlock &b) {
        return b.position() > 0 && softBreaks.isAt(b.position() - 1);
    };
    const auto endsPiece = [&](const QTextBlock &b) {
        return softBreaks.isAt(b.position() + b.length() - 1);
    };
    // Blocks the change reached are laid out again anyway; others are to be drawn again.
    bool redraw = false;
    const auto set = [&](QTextBlock b, Qt::LayoutDirection direction) {
        if (b.userState() == stateOf(direction))
            return;
        b.setUserState(stateOf(direction));
        redraw = redraw || b.position() + b.length() <= position || b.position() > position + added;
    };
    const int end = position + added;
    for (QTextBlock block = document.findBlock(position);
         block.isValid() && block.position() <= end;) {
        if (!startsPiece(block) && !endsPiece(block)) {
            set(block, Qt::LayoutDirectionAuto); // a line of its own block
            block = block.next();
            continue;
        }
        // A letter with a direction before the change keeps the line's direction, which the
        // pieces before it hold: the change did not reach them.
        QTextBlock first = block;
        Qt::LayoutDirection direction = Qt::LayoutDirectionAuto;
        for (int before = position - block.position();; before = first.length() - 1) {
            const QString text = first.text();
            const Qt::LayoutDirection found =
                of(QStringView(text).first(std::clamp(before, 0, int(text.size()))));
            if (found != Qt::LayoutDirectionAuto) {
                const QTextBlock holder = first == block ? block.previous() : first;
                direction = first == block && !startsPiece(block) ? found
                            : holder.userState() == unset         ? Qt::LayoutDirectionAuto
                                                          : Qt::LayoutDirection(holder.userState());
                break;
            }
            if (!startsPiece(first))
                break;
            first = first.previous();
        }
        if (direction != Qt::LayoutDirectionAuto) {
            // The pieces of the change, and after them those that held another direction: a
            // line that was joined to this one.
            for (bool more = true; more; block = block.next()) {
                set(block, direction);
                more = endsPiece(block) && (block.next().position() <= end ||
                                            block.next().userState() != stateOf(direction));
            }
            continue;
        }
        // The change reached the part that decides: every piece of the line is set again.
        while (startsPiece(first))
            first = first.previous();
        for (QTextBlock b = first; direction == Qt::LayoutDirectionAuto && b.isValid();
             b = b.next()) {
            direction = of(b.text());
            if (!endsPiece(b))
                break;
        }
        // A line without a letter that has one goes as the toolkit sends such a paragraph.
        if (direction == Qt::LayoutDirectionAuto)
            direction = first.textDirection();
        for (block = first;; block = block.next()) {
            set(block, direction);
            if (!endsPiece(block))
                break;
        }
        block = block.next();
    }
    if (QAbstractTextDocumentLayout *layout = document.documentLayout(); redraw)
        QMetaObject::invokeMethod(
            layout, [layout] { Q_EMIT layout->update(); }, Qt::QueuedConnection);
}

QRectF LineDirections::Layout::blockBoundingRect(const QTextBlock &block) const {
    const QRectF laidOut = QPlainTextDocumentLayout::blockBoundingRect(block);
    if (!block.isValid() || block.userState() == unset ||
        block.layout()->textOption().textDirection() == of(block))
        return laidOut;
    followDirection(block);
    return QPlainTextDocumentLayout::blockBoundingRect(block);
}

void LineDirections::Layout::documentChanged(int from, int removed, int added) {
    QPlainTextDocumentLayout::documentChanged(from, removed, added);
    for (QTextBlock block = document()->findBlock(from);
         block.isValid() && block.position() <= from + added; block = block.next())
        if (block.userState() != unset && block.layout()->lineCount() > 0 &&
            block.layout()->textOption().textDirection() != of(block))
            followDirection(block);
}

void LineDirections::Layout::followDirection(const QTextBlock &block) const {
    // As the toolkit's layout lays a block out, in its line's direction rather than its own.
    // The toolkit's laid it out first: its lines tell the width and the margin.
    QTextLayout *layout = block.layout();
    const qreal width = layout->lineAt(0).width();
    const qreal margin = layout->lineAt(0).position().x();
    QTextOption option = document()->defaultTextOption();
    option.setTextDirection(of(block));
    layout->setTextOption(option);
    qreal height = 0;
    layout->beginLayout();
    for (QTextLine line = layout->createLine(); line.isValid(); line = layout->createLine()) {
        line.setLeadingIncluded(true);
        line.setLineWidth(width);
        line.setPosition(QPointF(margin, height));
        height += line.height() + (line.leading() < 0 ? std::ceil(line.leading()) : 0);
    }
    layout->endLayout();
    QTextBlock(block).setLineCount(block.isVisible() ? layout->lineCount() : 0);
}
