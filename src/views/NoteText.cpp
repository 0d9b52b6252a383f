// SPDX-License-Identifier: MIT
#include "NoteText.h"

#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>

NoteText::NoteText(QTextDocument *document)
    : document_(document) {}

void NoteText::setDocument(QTextDocument *document) {
    document_ = document;
    softBreaks_.clear();
    missing_ = 0;
}

qsizetype NoteText::notePosition(int documentPosition) const {
    return missing_ + documentPosition - softBreaks_.before(documentPosition);
}

int NoteText::documentPosition(qsizetype notePosition, Side side) const {
    return softBreaks_.toDocument(notePosition - missing_, side == Side::After);
}

QString NoteText::read(int from, int to) const {
    if (from >= to)
        return QString();
    QString text;
    if (to - from == 1) {
        text = QString(document_->characterAt(from)); // a typed key: no cursor needed
    } else {
        QTextCursor cursor(document_);
        cursor.setPosition(from);
        cursor.setPosition(to, QTextCursor::KeepAnchor);
        // Raw text: paragraph breaks come as U+2029 and nothing else is converted.
        text = cursor.selectedText();
    }
    text.replace(QChar::ParagraphSeparator, u'\n');
    standIns_.restore(document_, from, text);
    const auto [first, last] = softBreaks_.within(from, to);
    if (first == last)
        return text;
    QString note; // without the soft breaks
    note.reserve(text.size() - (last - first));
    qsizetype copied = 0;
    for (auto it = first; it != last; ++it) {
        note += QStringView(text).sliced(copied, *it - from - copied);
        copied = *it - from + 1;
    }
    note += QStringView(text).sliced(copied);
    return note;
}

void NoteText::write(QTextCursor &cursor, QStringView text, bool softBreakAtEnd) {
    constexpr qsizetype pieceSize = SoftBreaks::pieceSize;
    // One change for the document to lay out, and within an edit of the user's one undo step.
    cursor.beginEditBlock();
    if (cursor.hasSelection())
        cursor.removeSelectedText();
    const int start = cursor.position();
    qsizetype run = 0; // where the text not yet inserted starts
    const auto insertRun = [&](qsizetype end) {
        standIns_.insert(cursor, text.sliced(run, end - run));
        run = end;
    };
    qsizetype column = cursor.positionInBlock();
    for (qsizetype lineStart = 0; lineStart <= text.size();) {
        qsizetype lineEnd = text.indexOf(u'\n', lineStart);
        if (lineEnd < 0)
            lineEnd = text.size();
        if (column + lineEnd - lineStart > SoftBreaks::longLineSize) {
            qsizetype room = pieceSize - column;
            if (room < pieceSize / 4) { // the paragraph is about full already
                insertRun(lineStart);
                softBreaks_.insert(cursor);
                room = pieceSize;
            }
            const QStringView line = text.sliced(lineStart, lineEnd - lineStart);
            for (qsizetype at = lineStart; lineEnd - at > room; room = pieceSize) {
                at = lineStart + SoftBreaks::pieceEnd(line, at - lineStart + room, room);
                if (at == lineEnd)
                    break;
                insertRun(at);
                softBreaks_.insert(cursor);
            }
        }
        column = 0;
        lineStart = lineEnd + 1;
    }
    insertRun(text.size());
    if (softBreakAtEnd)
        softBreaks_.insert(cursor);
    // The text may go on with a cluster of characters across a soft break at either end.
    const int end = cursor.position();
    for (const int at : {end + 1, end, start + 1, start})
        keepClusterWhole(at);
    cursor.endEditBlock();
}

void NoteText::keepClusterWhole(int position) {
    const QTextBlock block = document_->findBlock(position);
    if (block.position() != position || block.length() < 2 || block.previous().length() < 2 ||
        !softBreaks_.isCarriedBy(block.charFormat()) ||
        !SoftBreaks::continuesCluster(block.text().front()))
        return;
    QTextCursor join(document_);
    join.setPosition(position - 1);
    join.setPosition(position, QTextCursor::KeepAnchor);
    join.removeSelectedText();
}

int NoteText::follow(int position, int removed, int added) {
    const int gone = softBreaks_.follow(*document_, position, removed, added);
    LineDirections::follow(*document_, softBreaks_, position, added);
    return gone;
}

bool NoteText::isMarked(const QTextCharFormat &format) const {
    return standIns_.isCarriedBy(format) || softBreaks_.isCarriedBy(format);
}

bool NoteText::isPlainLines(QStringView text) {
    qsizetype lineStart = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i] == u'\n')
            lineStart = i + 1;
        else if (StandIns::isNeeded(text[i]) || i - lineStart >= SoftBreaks::longLineSize)
            return false;
    }
    return true;
}
