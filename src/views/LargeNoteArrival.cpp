// SPDX-License-Identifier: MIT
#include "LargeNoteArrival.h"

#include "ModelBinding.h"
#include "NoteText.h"

#include <QAbstractTextDocumentLayout>
#include <QCoreApplication>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTimer>

namespace {

// The end shown first, and the slices the rest arrives in.
constexpr qsizetype endSize = 64 * 1024;
constexpr qsizetype sliceSize = 16 * 1024;

} // namespace

LargeNoteArrival::LargeNoteArrival(NoteModel &model, QPlainTextEdit &editor, NoteText &text,
                                   ModelBinding &binding)
    : model_(model)
    , editor_(editor)
    , text_(text)
    , binding_(binding) {
    // A shallow copy: the model copies the note once if it changes it, and only then.
    connect(&model_, &NoteModel::textWillChange, this, [this] {
        if (isArriving() && !binding_.isEditingModel())
            before_ = model_.text();
    });
    connect(&model_, &NoteModel::textAssigned, this, [this] { before_.clear(); });
    connect(&binding_, &ModelBinding::patching, this, &LargeNoteArrival::onPatching);
    if (model_.text().size() <= deferredSize)
        binding_.showWhole();
    else
        editor_.setPlaceholderText(QCoreApplication::translate("NoteEditor", "Opening the note…"));
}

bool LargeNoteArrival::isArriving() const {
    return text_.missing() > 0;
}

void LargeNoteArrival::afterPaint() {
    if (binding_.isShown() || scheduled_)
        return;
    scheduled_ = true;
    QTimer::singleShot(0, this, &LargeNoteArrival::showEnd);
}

void LargeNoteArrival::showEnd() {
    if (binding_.isShown())
        return;
    const QString &text = model_.text();
    qsizetype start =
        text.size() <= endSize ? 0 : text.lastIndexOf(u'\n', text.size() - endSize) + 1;
    if (text.size() - start > 2 * endSize) { // the end of a long line: its last pieces first
        const qsizetype piece =
            SoftBreaks::pieceEnd(text, text.size() - endSize, SoftBreaks::pieceSize);
        start = piece < text.size() ? piece : start;
    }
    if (start == 0) { // short: all at once
        binding_.showWhole();
        return;
    }
    binding_.beginShowing();
    editor_.setPlaceholderText(QString());
    QTextDocument *document = editor_.document();
    binding_.apply([&] {
        document->setUndoRedoEnabled(false);
        document->clear();
        QTextCursor cursor(document);
        text_.write(cursor, QStringView(text).sliced(start));
    });
    text_.setMissing(start);
    editor_.moveCursor(QTextCursor::End);
    QTimer::singleShot(0, this, &LargeNoteArrival::loadEarlierSlice);
}

void LargeNoteArrival::complete() {
    if (!binding_.isShown())
        binding_.showWhole();
    else if (isArriving())
        insertEarlier(0, model_.text());
}

void LargeNoteArrival::runKey(const std::function<void()> &run) {
    if (!isArriving())
        return run();
    const QTextCursor before = editor_.textCursor();
    const qsizetype anchor = text_.notePosition(before.anchor());
    const qsizetype position = text_.notePosition(before.position());
    const int revision = editor_.document()->revision();
    run();
    if (!isArriving() || editor_.document()->revision() != revision || !isInFirstRow())
        return;
    complete();
    QTextCursor again(editor_.document());
    again.setPosition(text_.documentPosition(anchor));
    again.setPosition(text_.documentPosition(position), QTextCursor::KeepAnchor);
    editor_.setTextCursor(again);
    run();
}

bool LargeNoteArrival::isInFirstRow() const {
    const QTextCursor caret = editor_.textCursor();
    if (caret.block() != editor_.document()->firstBlock())
        return false;
    const QTextLine row = caret.block().layout()->lineForTextPosition(caret.positionInBlock());
    return !row.isValid() || row.lineNumber() == 0; // a block not laid out is taken as one row
}

void LargeNoteArrival::onPatching(qsizetype position, NoteModel::UndoStep step) {
    if (isArriving() && (step == NoteModel::UndoStep::OfItsOwn || position < text_.missing()))
        insertEarlier(0, before_);
    before_.clear();
}

void LargeNoteArrival::loadEarlierSlice() {
    if (!isArriving())
        return;
    const QString &text = model_.text();
    const qsizetype missing = text_.missing();
    qsizetype from = std::max<qsizetype>(0, missing - sliceSize);
    if (from > 0) { // whole lines, so that no paragraph is laid out twice, or whole pieces
        const qsizetype lineStart = text.lastIndexOf(u'\n', from - 1) + 1;
        from = missing - lineStart <= 2 * sliceSize
                   ? lineStart
                   : SoftBreaks::pieceEnd(text, from, SoftBreaks::pieceSize);
        if (from >= missing) // a cluster longer than a slice: the line arrives whole
            from = lineStart;
    }
    insertEarlier(from, text);
    if (isArriving())
        QTimer::singleShot(0, this, &LargeNoteArrival::loadEarlierSlice);
}

void LargeNoteArrival::insertEarlier(qsizetype from, const QString &note) {
    // Lines arrive above the view: it keeps showing what it showed. The scroll bar counts rows
    // as the layout knows them so far (a wrapped paragraph not laid out yet is one row), and so
    // does the document's size.
    const qsizetype missing = text_.missing();
    QTextDocument *document = editor_.document();
    const int top = editor_.verticalScrollBar()->value();
    const qreal rows = document->documentLayout()->documentSize().height();
    binding_.apply([&] {
        QTextCursor cursor(document);
        // A line that goes on in the document continues there after a soft break.
        text_.write(cursor, QStringView(note).sliced(from, missing - from),
                    note[missing - 1] != u'\n');
    });
    text_.setMissing(from);
    editor_.verticalScrollBar()->setValue(
        top + qRound(document->documentLayout()->documentSize().height() - rows));
    if (!isArriving())
        document->setUndoRedoEnabled(true);
}
