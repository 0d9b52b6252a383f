// SPDX-License-Identifier: MIT
#include "NoteLines.h"

#include "NoteText.h"
#include "Notemodel.h"

#include <QPlainTextEdit>
#include <QScrollBar>
#include <QTextBlock>

NoteLines::NoteLines(const QPlainTextEdit &editor, const NoteModel &model, const NoteText &text)
    : editor_(editor)
    , model_(model)
    , text_(text) {}

qsizetype NoteLines::startOf(qsizetype position) const {
    return position == 0 ? 0 : model_.text().lastIndexOf(u'\n', position - 1) + 1;
}

qsizetype NoteLines::endOf(qsizetype position) const {
    const qsizetype end = model_.text().indexOf(u'\n', position);
    return end < 0 ? model_.text().size() : end;
}

std::pair<qsizetype, qsizetype> NoteLines::onScreen() const {
    const QRect view = editor_.viewport()->rect();
    const QTextBlock first = editor_.cursorForPosition(view.topLeft()).block();
    const QTextBlock last = editor_.cursorForPosition(view.bottomRight()).block();
    return {text_.notePosition(first.position()),
            text_.notePosition(last.position() + last.length() - 1)};
}

void NoteLines::keepingTheView(QPlainTextEdit &editor, const std::function<void()> &change) {
    // The scroll bar counts rows as the layout knows them, and the change may lay out a block
    // above the view that was one row so far: the top is kept as a row of a block.
    const QTextDocument *document = editor.document();
    const int value = editor.verticalScrollBar()->value();
    const QTextBlock top = document->findBlockByLineNumber(value);
    const int row = value - top.firstLineNumber();
    const int left = editor.horizontalScrollBar()->value();
    change();
    editor.verticalScrollBar()->setValue(
        document->findBlockByNumber(top.blockNumber()).firstLineNumber() + row);
    editor.horizontalScrollBar()->setValue(left);
}
