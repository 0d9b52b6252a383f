// SPDX-License-Identifier: MIT
#include "NoteLines.h"

#include "NoteText.h"
#include "Notemodel.h"

#include <QPlainTextEdit>
#include <QTextBlock>

NoteLines::NoteLines(const QPlainTextEdit &editor, const NoteModel &model, const NoteText &text)
    : editor_(editor)
    , model_(model)
    , text_(text) {}

std::pair<qsizetype, qsizetype> NoteLines::onScreen() const {
    const QRect view = editor_.viewport()->rect();
    const QTextBlock first = editor_.cursorForPosition(view.topLeft()).block();
    const QTextBlock last = editor_.cursorForPosition(view.bottomRight()).block();
    return {text_.notePosition(first.position()),
            text_.notePosition(last.position() + last.length() - 1)};
}
