// SPDX-License-Identifier: MIT
#include "NoteEditor.h"

#include "EditorDecorations.h"
#include "ModelObserver.h"
#include "SpellChecker.h"

#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QMenu>
#include <QMimeData>
#include <QNativeGestureEvent>
#include <QScopedValueRollback>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTimer>
#include <QWheelEvent>

namespace {

// Where a stood-in character keeps its original code.
constexpr int standInProperty = QTextFormat::UserProperty + 1;

// Characters that the document would turn into paragraph breaks.
bool needsStandIn(QChar c) {
    return c == u'\r' || c == QChar::ParagraphSeparator || c == QChar(0xFDD0) || c == QChar(0xFDD1);
}

// What the user sees in place of such a character.
QChar standInGlyph(QChar c) {
    if (c == u'\r')
        return QChar(0x240D); // SYMBOL FOR CARRIAGE RETURN
    if (c == QChar::ParagraphSeparator)
        return QChar(0x00B6); // PILCROW SIGN
    return QChar::ReplacementCharacter;
}

bool isStandInGlyph(QChar c) {
    return c == QChar(0x240D) || c == QChar(0x00B6) || c == QChar::ReplacementCharacter;
}

// Inserts note text at the cursor, standing in for what the document cannot hold. Returns
// whether any character was stood in.
bool insertNoteText(QTextCursor &cursor, QStringView text) {
    bool stoodIn = false;
    const QTextCharFormat plain;
    qsizetype run = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (!needsStandIn(text[i]))
            continue;
        if (i > run)
            cursor.insertText(text.sliced(run, i - run).toString(), plain);
        QTextCharFormat standIn;
        standIn.setProperty(standInProperty, int(text[i].unicode()));
        cursor.insertText(QString(standInGlyph(text[i])), standIn);
        run = i + 1;
        stoodIn = true;
    }
    if (run < text.size())
        cursor.insertText(text.sliced(run).toString(), plain);
    else if (text.isEmpty())
        cursor.removeSelectedText();
    return stoodIn;
}

bool anyNeedsStandIn(QStringView text) {
    return std::any_of(text.begin(), text.end(), needsStandIn);
}

// Notes larger than this (in UTF-16 units) are laid out after the first frame: their end first,
// then the rest in slices small enough that a key typed meanwhile never waits long.
constexpr qsizetype deferredLoadSize = 512 * 1024;
constexpr qsizetype endSize = 64 * 1024;
constexpr qsizetype sliceSize = 16 * 1024;

} // namespace

NoteEditor::NoteEditor(NoteModel &model, QWidget *parent)
    : QPlainTextEdit(parent)
    , model_(model)
    , observer_(new ModelObserver(
          model, [this] { refresh(); }, this))
    , decorations_(new EditorDecorations(*this)) {
    setObjectName(QStringLiteral("editor"));
    setAccessibleName(tr("Note"));
    setAccessibleDescription(tr("The note, saved as you type"));
    setFrameShape(QFrame::NoFrame);
    setTabChangesFocus(false);
    // A large note goes into the document after the window's first frame, so that the window
    // is on screen at once. Every way of editing loads it first, so nothing typed is lost.
    if (model_.text().size() <= deferredLoadSize)
        ensureLoaded();
    else
        setPlaceholderText(tr("Opening the note…"));
    connect(document(), &QTextDocument::contentsChange, this, &NoteEditor::onContentsChange);
    connect(&model_, &NoteModel::textReplaced, this, &NoteEditor::onModelReplaced);
    connect(&model_, &NoteModel::textAssigned, this, &NoteEditor::onModelAssigned);
    // The text the note has now is no change; every later one is.
    textWatch_.start(model_.textRevision());
}

void NoteEditor::refresh() {
    if (textWatch_.changed(model_.textRevision()))
        model_.handleTextChange();
}

void NoteEditor::beforeUserEdit() {
    showEnd();
    // Keys can arrive in one batch, and each must be seen on its own, or a line break typed
    // right after other keys would never be recognised as typed.
    observer_->flush();
}

QString NoteEditor::noteText() {
    ensureLoaded();
    return readRange(0, document()->characterCount() - 1);
}

void NoteEditor::setSpellChecker(SpellChecker *checker) {
    decorations_->setSpellChecker(checker);
}

void NoteEditor::selectRange(qsizetype position, qsizetype length) {
    ensureLoaded();
    QTextCursor cursor(document());
    cursor.setPosition(int(position));
    cursor.setPosition(int(position + length), QTextCursor::KeepAnchor);
    setTextCursor(cursor);
    ensureCursorVisible();
}

void NoteEditor::replaceRange(qsizetype position, qsizetype length, const QString &text) {
    replaceAll({position}, length, text);
    selectRange(position, text.size());
}

void NoteEditor::selectWholeNote() {
    ensureLoaded();
    selectAll();
}

void NoteEditor::replaceAll(const std::vector<qsizetype> &positions, qsizetype length,
                            const QString &text) {
    ensureLoaded(); // positions are the note's
    beforeUserEdit();
    // One edit block: one undo step, and one change for the model to take, however many.
    QTextCursor cursor(document());
    cursor.beginEditBlock();
    for (auto it = positions.rbegin(); it != positions.rend(); ++it) {
        cursor.setPosition(int(*it));
        cursor.setPosition(int(*it + length), QTextCursor::KeepAnchor);
        hasStandIns_ |= insertNoteText(cursor, text);
    }
    cursor.endEditBlock();
}

void NoteEditor::wheelEvent(QWheelEvent *event) {
    // Ctrl and the wheel step the note's font size like the menu commands, within the same
    // bounds and remembered; the toolkit's own zoom would leave the model behind.
    if (event->modifiers() & Qt::ControlModifier) {
        if (const int steps = event->angleDelta().y(); steps != 0)
            steps > 0 ? model_.increaseFontSize() : model_.decreaseFontSize();
        event->accept();
        return;
    }
    QPlainTextEdit::wheelEvent(event);
}

bool NoteEditor::event(QEvent *event) {
    if (event->type() == QEvent::NativeGesture) {
        const auto *gesture = static_cast<QNativeGestureEvent *>(event);
        if (gesture->gestureType() == Qt::ZoomNativeGesture) {
            pinch_ += gesture->value();
            for (; pinch_ >= 0.25; pinch_ -= 0.25)
                model_.increaseFontSize();
            for (; pinch_ <= -0.25; pinch_ += 0.25)
                model_.decreaseFontSize();
            return true;
        }
    }
    return QPlainTextEdit::event(event);
}

void NoteEditor::contextMenuEvent(QContextMenuEvent *event) {
    // A suggestion replaces a word by the note's positions: the whole note must be there.
    if (unloaded_ > 0) {
        ensureLoaded();
        decorations_->refresh();
    }
    std::unique_ptr<QMenu> menu(createStandardContextMenu(event->pos()));
    SpellChecker *checker = decorations_->spellChecker();
    const auto word =
        checker ? decorations_->misspelledWordAt(cursorForPosition(event->pos()).position())
                : std::nullopt;
    if (word) {
        const QString misspelled = readRange(word->first, word->first + word->second);
        QAction *first = menu->actions().value(0);
        const QStringList suggestions = checker->suggestions(misspelled).mid(0, 8);
        for (const QString &suggestion : suggestions) {
            auto *use = new QAction(suggestion, menu.get());
            connect(use, &QAction::triggered, this, [this, word, suggestion] {
                replaceRange(word->first, word->second, suggestion);
            });
            menu->insertAction(first, use);
        }
        auto *add = new QAction(tr("Add to Dictionary"), menu.get());
        connect(add, &QAction::triggered, this,
                [checker, misspelled] { checker->addToDictionary(misspelled); });
        auto *ignore = new QAction(tr("Ignore"), menu.get());
        connect(ignore, &QAction::triggered, this,
                [checker, misspelled] { checker->ignore(misspelled); });
        menu->insertActions(first, {add, ignore});
        menu->insertSeparator(first);
    }
    menu->exec(event->globalPos());
}

QString NoteEditor::readRange(int from, int to) const {
    if (from >= to)
        return QString();
    QString text;
    if (to - from == 1) {
        text = QString(document()->characterAt(from)); // a typed key: no cursor needed
    } else {
        QTextCursor cursor(document());
        cursor.setPosition(from);
        cursor.setPosition(to, QTextCursor::KeepAnchor);
        // Raw text: paragraph breaks come as U+2029 and nothing else is converted.
        text = cursor.selectedText();
    }
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i] == QChar::ParagraphSeparator) {
            text[i] = u'\n';
        } else if (hasStandIns_ && isStandInGlyph(text[i])) {
            QTextCursor probe(document());
            probe.setPosition(from + int(i) + 1);
            const QVariant original = probe.charFormat().property(standInProperty);
            if (original.isValid())
                text[i] = QChar(char16_t(original.toInt()));
        }
    }
    return text;
}

void NoteEditor::onContentsChange(int position, int removed, int added) {
    // Until the note is loaded the document holds none of it: a change there must never be
    // read as the whole note (the load replaces it anyway).
    if (applyingModel_ || !loaded_)
        return;
    // The document may report a change wider than it was, taking in its final paragraph
    // break; the two lengths say how much really changed.
    const int documentLength = document()->characterCount() - 1;
    const qsizetype shownLength = model_.text().size() - unloaded_;
    added = std::min(added, documentLength - position);
    const qsizetype replaced = shownLength - (documentLength - added);
    QScopedValueRollback guard(editingModel_, true);
    if (position < 0 || added < 0 || replaced < 0 || position + replaced > shownLength) {
        model_.setText(noteText()); // never expected; keep the note equal to what is shown
        return;
    }
    Q_UNUSED(removed);
    model_.replaceText(unloaded_ + position, replaced, readRange(position, position + added));
}

void NoteEditor::onModelReplaced(qsizetype position, qsizetype removed, qsizetype added,
                                 NoteModel::UndoStep step) {
    if (editingModel_)
        return;
    if (!loaded_ || position < unloaded_) {
        // The model's text already holds this change; the part not yet shown takes it as it
        // loads, and a change that reaches into it reloads the note.
        if (loaded_)
            replaceWhole(model_.text());
        return;
    }
    const QStringView inserted = QStringView(model_.text()).sliced(position, added);
    position -= unloaded_;
    QScopedValueRollback guard(applyingModel_, true);
    QTextCursor cursor(document());
    // A stamp joins the user's last edit, so that one undo takes it away together with the
    // line break that brought it; another program's change is a step of its own.
    if (step == NoteModel::UndoStep::JoinsLastEdit)
        cursor.joinPreviousEditBlock();
    else
        cursor.beginEditBlock();
    cursor.setPosition(int(position));
    cursor.setPosition(int(position + removed), QTextCursor::KeepAnchor);
    hasStandIns_ |= insertNoteText(cursor, inserted);
    cursor.endEditBlock();
}

void NoteEditor::onModelAssigned() {
    if (editingModel_)
        return;
    // A whole new note (cleared, or a meeting header): nothing of the old one is left to undo
    // into.
    replaceWhole(model_.text());
}

void NoteEditor::ensureLoaded() {
    if (!loaded_)
        replaceWhole(model_.text());
    else if (unloaded_ > 0)
        insertEarlier(0);
}

void NoteEditor::showEnd() {
    if (loaded_)
        return;
    const QString &text = model_.text();
    const qsizetype start =
        text.size() <= endSize ? 0 : text.lastIndexOf(u'\n', text.size() - endSize) + 1;
    if (start == 0) { // short, or one long line: all at once
        replaceWhole(text);
        return;
    }
    loaded_ = true;
    setPlaceholderText(QString());
    {
        QScopedValueRollback guard(applyingModel_, true);
        // Nothing typed while the rest arrives can be undone: the slices would move it.
        document()->setUndoRedoEnabled(false);
        document()->clear();
        QTextCursor cursor(document());
        hasStandIns_ |= insertNoteText(cursor, QStringView(text).sliced(start));
    }
    unloaded_ = start;
    moveCursor(QTextCursor::End);
    QTimer::singleShot(0, this, &NoteEditor::loadEarlierSlice);
}

void NoteEditor::loadEarlierSlice() {
    if (unloaded_ == 0)
        return;
    qsizetype from = std::max<qsizetype>(0, unloaded_ - sliceSize);
    if (from > 0) // whole lines, so that no paragraph is laid out twice
        from = model_.text().lastIndexOf(u'\n', from - 1) + 1;
    insertEarlier(from);
    if (unloaded_ > 0)
        QTimer::singleShot(0, this, &NoteEditor::loadEarlierSlice);
}

void NoteEditor::insertEarlier(qsizetype from) {
    // Lines arrive above the view: it keeps showing what it showed.
    const int top = verticalScrollBar()->value();
    const int blocks = document()->blockCount();
    {
        QScopedValueRollback guard(applyingModel_, true);
        QTextCursor cursor(document());
        hasStandIns_ |=
            insertNoteText(cursor, QStringView(model_.text()).sliced(from, unloaded_ - from));
    }
    unloaded_ = from;
    verticalScrollBar()->setValue(top + document()->blockCount() - blocks);
    if (unloaded_ == 0)
        document()->setUndoRedoEnabled(true);
}

void NoteEditor::paintEvent(QPaintEvent *event) {
    QPlainTextEdit::paintEvent(event);
    if (!loaded_ && !loadScheduled_) {
        loadScheduled_ = true;
        QTimer::singleShot(0, this, &NoteEditor::showEnd);
    }
}

void NoteEditor::replaceWhole(const QString &text) {
    loaded_ = true;
    unloaded_ = 0;
    setPlaceholderText(QString());
    QScopedValueRollback guard(applyingModel_, true);
    if (!anyNeedsStandIn(text)) {
        document()->setUndoRedoEnabled(true);
        document()->setPlainText(text); // the fast path, and it starts a fresh undo history
    } else {
        document()->setUndoRedoEnabled(false);
        document()->clear();
        QTextCursor cursor(document());
        hasStandIns_ |= insertNoteText(cursor, text);
        document()->setUndoRedoEnabled(true);
    }
    moveCursor(QTextCursor::End);
}

void NoteEditor::resetInheritedStandInFormat() {
    // Typing next to a stood-in character must not take on its format, or a typed symbol
    // would read back as the character it stands for.
    if (hasStandIns_ && textCursor().charFormat().hasProperty(standInProperty))
        setCurrentCharFormat(QTextCharFormat());
}

QMimeData *NoteEditor::createMimeDataFromSelection() const {
    const QTextCursor cursor = textCursor();
    auto *data = new QMimeData;
    data->setText(readRange(cursor.selectionStart(), cursor.selectionEnd()));
    return data;
}

void NoteEditor::insertFromMimeData(const QMimeData *source) {
    if (!source || !source->hasText())
        return;
    beforeUserEdit();
    // Pasted text keeps every character, CR LF line ends included.
    QTextCursor cursor = textCursor();
    cursor.beginEditBlock();
    hasStandIns_ |= insertNoteText(cursor, source->text());
    cursor.endEditBlock();
    setTextCursor(cursor);
    ensureCursorVisible();
}

void NoteEditor::inputMethodEvent(QInputMethodEvent *event) {
    beforeUserEdit();
    resetInheritedStandInFormat();
    QPlainTextEdit::inputMethodEvent(event);
}

void NoteEditor::keyPressEvent(QKeyEvent *event) {
    if (event->matches(QKeySequence::SelectAll))
        ensureLoaded();
    beforeUserEdit();
    resetInheritedStandInFormat();
    // Shift+Return would insert a line separator (U+2028); in a plain note every typed line
    // break is a line feed.
    if ((event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) &&
        event->modifiers() & Qt::ShiftModifier) {
        QKeyEvent plain(event->type(), event->key(), event->modifiers() & ~Qt::ShiftModifier,
                        QStringLiteral("\r"), event->isAutoRepeat(), event->count());
        QPlainTextEdit::keyPressEvent(&plain);
        return;
    }
    QPlainTextEdit::keyPressEvent(event);
}
