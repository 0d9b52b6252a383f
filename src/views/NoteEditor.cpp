// SPDX-License-Identifier: MIT
#include "NoteEditor.h"

#include "EditorDecorations.h"
#include "NoteLines.h"

#include <QApplication>
#include <QKeyEvent>
#include <QMenu>
#include <QMimeData>
#include <QScopedValueRollback>

namespace {

// A document of the editor's own, laid out by the layout that keeps each line's direction.
QTextDocument *laidOutByLines(QPlainTextEdit &editor) {
    auto *document = new QTextDocument(&editor);
    document->setDocumentLayout(new LineDirections::Layout(document));
    editor.setDocument(document);
    return document;
}

} // namespace

NoteEditor::NoteEditor(NoteModel &model, QWidget *parent)
    : QPlainTextEdit(parent)
    , text_(laidOutByLines(*this))
    , lines_(*this, model, text_)
    , binding_(model, *this, text_)
    , arrival_(model, *this, text_, binding_)
    , keys_(*this, model, text_, lines_, arrival_)
    , typing_(*this, text_, arrival_)
    , decorations_(new EditorDecorations(*this, model))
    , spellingMenu_(*this, model)
    , zoom_(model) {
    setObjectName(QStringLiteral("editor"));
    setAccessibleName(tr("Note"));
    setAccessibleDescription(tr("The note, saved as you type"));
    setFrameShape(QFrame::NoFrame);
    setTabChangesFocus(false);
    connect(&binding_, &ModelBinding::documentReplaced, decorations_, &EditorDecorations::refresh);
    connect(this, &QPlainTextEdit::selectionChanged, this, [this] {
        if (!pressing_)
            keepSelectionOnTheNote();
    });
}

// ---- the note, in the note's positions ----

QString NoteEditor::noteText() {
    arrival_.complete();
    return text_.read(0, document()->characterCount() - 1);
}

std::pair<qsizetype, qsizetype> NoteEditor::noteSelection() const {
    const QTextCursor cursor = textCursor();
    return {notePosition(cursor.selectionStart()), notePosition(cursor.selectionEnd())};
}

QString NoteEditor::selectedNoteText() const {
    const QTextCursor cursor = textCursor();
    return text_.read(cursor.selectionStart(), cursor.selectionEnd());
}

void NoteEditor::selectRange(qsizetype position, qsizetype length) {
    arrival_.complete();
    QTextCursor cursor(document());
    cursor.setPosition(documentPosition(position));
    cursor.setPosition(documentPosition(position + length, length ? Side::Before : Side::After),
                       QTextCursor::KeepAnchor);
    setTextCursor(cursor);
    ensureCursorVisible();
}

void NoteEditor::selectWholeNote() {
    arrival_.complete();
    selectAll();
}

void NoteEditor::replaceRange(qsizetype position, qsizetype length, const QString &text) {
    replaceAll({position}, length, text);
    selectRange(position, text.size());
}

void NoteEditor::replaceAll(const std::vector<qsizetype> &positions, qsizetype length,
                            const QString &text) {
    arrival_.complete(); // positions are the note's
    beforeUserEdit();
    // The caret follows each replacement as the note has it, as a plain editor's would: past
    // what was written when it stood in the match or at its start. Left to the document, a
    // caret on the other side of a soft break from the match would stay behind, and once the
    // break is gone it could stand inside a cluster of characters.
    const QTextCursor before = textCursor();
    qsizetype ends[2] = {notePosition(before.anchor()), notePosition(before.position())};
    // One edit block: one undo step, and one change for the model to take, however many.
    QTextCursor cursor(document());
    cursor.beginEditBlock();
    for (auto it = positions.rbegin(); it != positions.rend(); ++it) {
        cursor.setPosition(documentPosition(*it));
        cursor.setPosition(documentPosition(*it + length, length ? Side::Before : Side::After),
                           QTextCursor::KeepAnchor);
        text_.write(cursor, text);
        for (qsizetype &end : ends)
            if (end >= *it)
                end = end >= *it + length ? end + text.size() - length : *it + text.size();
    }
    cursor.endEditBlock();
    const QTextCursor after = textCursor();
    if (notePosition(after.anchor()) == ends[0] && notePosition(after.position()) == ends[1])
        return;
    QTextCursor caret(document());
    caret.setPosition(documentPosition(ends[0]));
    caret.setPosition(documentPosition(ends[1]), QTextCursor::KeepAnchor);
    NoteLines::keepingTheView(*this, [&] { setTextCursor(caret); });
}

void NoteEditor::setSpellChecker(SpellChecker *checker) {
    decorations_->setSpellChecker(checker);
}

// ---- the user's keys, clicks and commands ----

void NoteEditor::beforeUserEdit() {
    arrival_.showEnd();
    binding_.beforeUserEdit();
}

void NoteEditor::keyPressEvent(QKeyEvent *event) {
    if (event->matches(QKeySequence::SelectAll))
        arrival_.complete();
    beforeUserEdit();
    arrival_.runKey([this, event] {
        if (keys_.actOnNote(event))
            return;
        keys_.stepOverSoftBreaks(event);
        const QString typed = Typing::typedBy(event);
        if (typing_.overSelection(typed))
            return;
        typing_.beforeTyping(typed);
        // Shift+Return would insert a line separator (U+2028); in a plain note every typed
        // line break is a line feed.
        if ((event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) &&
            event->modifiers() & Qt::ShiftModifier) {
            QKeyEvent plain(event->type(), event->key(), event->modifiers() & ~Qt::ShiftModifier,
                            QStringLiteral("\r"), event->isAutoRepeat(), event->count());
            QPlainTextEdit::keyPressEvent(&plain);
        } else {
            QPlainTextEdit::keyPressEvent(event);
        }
    });
}

void NoteEditor::inputMethodEvent(QInputMethodEvent *event) {
    beforeUserEdit();
    if (typing_.commit(event)) {
        QInputMethodEvent preedit(event->preeditString(), event->attributes());
        QPlainTextEdit::inputMethodEvent(&preedit);
        ensureCursorVisible();
        event->accept();
        return;
    }
    QPlainTextEdit::inputMethodEvent(event);
}

void NoteEditor::keepSelectionOnTheNote() {
    // A selection of nothing but soft breaks is none: moved by rows or by the mouse to the
    // other side of one, the caret would leave a selection that Delete takes for the text.
    const QTextCursor cursor = textCursor();
    if (cursor.hasSelection() && notePosition(cursor.anchor()) == notePosition(cursor.position())) {
        QTextCursor caret = cursor;
        caret.clearSelection();
        setTextCursor(caret);
    }
}

void NoteEditor::mousePressEvent(QMouseEvent *event) {
    // The third click of a triple click selects the line of the caret, as the toolkit's editor
    // selects its block. Told here, as the toolkit tells it, by the time and the place of the
    // double click before: the toolkit's own reckoning sometimes misses it after the word of
    // the double click was selected anew.
    const bool third = thirdClick_.isActive() && event->button() == Qt::LeftButton &&
                       event->modifiers() == Qt::NoModifier &&
                       (event->position().toPoint() - doubleClickedAt_).manhattanLength() <
                           QApplication::startDragDistance();
    thirdClick_.stop();
    const qsizetype caret = notePosition(textCursor().position());
    {
        // It may select a block that is an emptied piece.
        QScopedValueRollback pressing(pressing_, true);
        QPlainTextEdit::mousePressEvent(event);
    }
    if (third)
        keys_.selectLine(caret);
    else
        keepSelectionOnTheNote();
}

void NoteEditor::mouseDoubleClickEvent(QMouseEvent *event) {
    QPlainTextEdit::mouseDoubleClickEvent(event);
    if (event->button() != Qt::LeftButton)
        return;
    keys_.selectWordAt(event->position().toPoint());
    doubleClickedAt_ = event->position().toPoint();
    thirdClick_.start(QApplication::doubleClickInterval(), this);
}

void NoteEditor::timerEvent(QTimerEvent *event) {
    if (event->timerId() == thirdClick_.timerId())
        thirdClick_.stop();
    else
        QPlainTextEdit::timerEvent(event);
}

QMimeData *NoteEditor::createMimeDataFromSelection() const {
    auto *data = new QMimeData;
    data->setText(selectedNoteText());
    return data;
}

void NoteEditor::insertFromMimeData(const QMimeData *source) {
    if (!source || !source->hasText())
        return;
    beforeUserEdit();
    // Pasted text keeps every character, CR LF line ends included. The editor's caret is where
    // it goes and follows it there: set again, it would be shown at once, and a drop calls
    // here inside an edit block of the editor's, before the document is laid out again.
    QTextCursor cursor = textCursor();
    cursor.beginEditBlock();
    text_.write(cursor, source->text());
    cursor.endEditBlock();
    // A paste is an undo step of its own. The document would take text typed right after it
    // into its last insertion, and so into the step, whenever that insertion ends its buffer,
    // which depends on how the pasted text fell into pieces; it merges into a step only while
    // it counts itself modified, a state nothing here reads. Inside a drop's edit block it
    // has not counted the paste yet, and marking it unmodified then changes nothing unless it
    // is marked modified first.
    document()->setModified(true);
    document()->setModified(false);
    QMetaObject::invokeMethod(this, &NoteEditor::ensureCursorVisible, Qt::QueuedConnection);
}

void NoteEditor::contextMenuEvent(QContextMenuEvent *event) {
    // The words found since the last key, in the whole note.
    arrival_.complete();
    decorations_->refresh();
    std::unique_ptr<QMenu> menu(createStandardContextMenu(event->pos()));
    spellingMenu_.addTo(*menu, notePosition(cursorForPosition(event->pos()).position()));
    menu->exec(event->globalPos());
}

// ---- painting and zoom ----

void NoteEditor::paintEvent(QPaintEvent *event) {
    QPlainTextEdit::paintEvent(event);
    arrival_.afterPaint();
}

void NoteEditor::wheelEvent(QWheelEvent *event) {
    if (!zoom_.wheel(event))
        QPlainTextEdit::wheelEvent(event);
}

bool NoteEditor::event(QEvent *event) {
    return zoom_.gesture(event) || QPlainTextEdit::event(event);
}
