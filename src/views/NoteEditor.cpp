// SPDX-License-Identifier: MIT
#include "NoteEditor.h"

#include "EditorDecorations.h"
#include "ModelObserver.h"
#include "SpellChecker.h"

#include <QAbstractTextDocumentLayout>
#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QMenu>
#include <QMimeData>
#include <QNativeGestureEvent>
#include <QPlainTextDocumentLayout>
#include <QScopedValueRollback>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextBoundaryFinder>
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

// Where a soft break marks the paragraph break after it.
constexpr int softBreakProperty = QTextFormat::UserProperty + 2;

// Lines longer than this are held as pieces of at most `pieceSize`: short enough that a key
// typed into one lays out in about the time a line of an ordinary note does.
constexpr qsizetype longLineSize = 4096;
constexpr qsizetype pieceSize = 256;

bool isWrapSpace(QChar c) {
    return c == u' ' || c == u'\t';
}

// A place at most `at` and more than `at - reach` to end a piece of `text`: after a space if
// one is near, so that the break falls where the line would wrap anyway, and never inside a
// character or a cluster of them.
qsizetype breakBefore(QStringView text, qsizetype at, qsizetype reach) {
    for (qsizetype i = at; i > std::max<qsizetype>(at - reach / 4, 0); --i)
        if (isWrapSpace(text[i - 1]))
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
    if (clusters.position() > 0)
        return window + clusters.position();
    return text[at - 1].isHighSurrogate() ? at - 1 : at; // one cluster longer than a piece
}

// Whether the document can take `text` as it is: no character needs a stand-in and no line
// needs pieces.
bool isPlainLines(QStringView text) {
    qsizetype lineStart = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i] == u'\n')
            lineStart = i + 1;
        else if (needsStandIn(text[i]) || i - lineStart >= longLineSize)
            return false;
    }
    return true;
}

// Notes larger than this (in UTF-16 units) are laid out after the first frame: their end first,
// then the rest in slices small enough that a key typed meanwhile never waits long.
constexpr qsizetype deferredLoadSize = 512 * 1024;
constexpr qsizetype endSize = 64 * 1024;
constexpr qsizetype sliceSize = 16 * 1024;
// A document is freed this much a turn, a few milliseconds' work.
constexpr int freeSliceSize = 64 * 1024;

// Takes `document` apart between events and deletes it: a timer, not a queued call, so that no
// slice runs in the turn of the edit that let the document go.
void dismantle(QTextDocument *document) {
    document->setUndoRedoEnabled(false);
    auto *slices = new QTimer(document);
    QObject::connect(slices, &QTimer::timeout, document, [document, slices] {
        QTextCursor cursor(document);
        cursor.movePosition(QTextCursor::End);
        cursor.setPosition(std::max(0, cursor.position() - freeSliceSize), QTextCursor::KeepAnchor);
        cursor.removeSelectedText();
        if (document->isEmpty()) {
            slices->stop();
            document->deleteLater();
        }
    });
    slices->start(0);
}

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
    connect(document(), &QTextDocument::contentsChange, this, &NoteEditor::onContentsChange);
    // A large note goes into the document after the window's first frame, so that the window
    // is on screen at once. Every way of editing loads it first, so nothing typed is lost.
    if (model_.text().size() <= deferredLoadSize)
        ensureLoaded();
    else
        setPlaceholderText(tr("Opening the note…"));
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
    return readRange(0, documentLength_);
}

void NoteEditor::setSpellChecker(SpellChecker *checker) {
    decorations_->setSpellChecker(checker);
}

qsizetype NoteEditor::notePosition(int documentPosition) const {
    const auto before = std::lower_bound(softBreaks_.begin(), softBreaks_.end(), documentPosition);
    return unloaded_ + documentPosition - (before - softBreaks_.begin());
}

int NoteEditor::documentPosition(qsizetype notePosition, Side side) const {
    // The i-th soft break stands before the shown note's position softBreaks_[i] - i.
    const qsizetype shown = notePosition - unloaded_;
    qsizetype low = 0;
    qsizetype high = qsizetype(softBreaks_.size());
    while (low < high) {
        const qsizetype middle = (low + high) / 2;
        const qsizetype at = softBreaks_[size_t(middle)] - middle;
        if (at < shown || (at == shown && side == Side::After))
            low = middle + 1;
        else
            high = middle;
    }
    return int(shown + low);
}

std::pair<qsizetype, qsizetype> NoteEditor::noteSelection() const {
    const QTextCursor cursor = textCursor();
    return {notePosition(cursor.selectionStart()), notePosition(cursor.selectionEnd())};
}

QString NoteEditor::selectedNoteText() const {
    const QTextCursor cursor = textCursor();
    return readRange(cursor.selectionStart(), cursor.selectionEnd());
}

void NoteEditor::selectRange(qsizetype position, qsizetype length) {
    ensureLoaded();
    QTextCursor cursor(document());
    cursor.setPosition(documentPosition(position));
    cursor.setPosition(documentPosition(position + length, length ? Side::Before : Side::After),
                       QTextCursor::KeepAnchor);
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
        cursor.setPosition(documentPosition(*it));
        cursor.setPosition(documentPosition(*it + length, length ? Side::Before : Side::After),
                           QTextCursor::KeepAnchor);
        insertNoteText(cursor, text);
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
    // A suggestion replaces a word by the note's positions: the whole note must be there, and
    // the words found since the last key.
    ensureLoaded();
    decorations_->refresh();
    std::unique_ptr<QMenu> menu(createStandardContextMenu(event->pos()));
    SpellChecker *checker = decorations_->spellChecker();
    const auto word = checker ? decorations_->misspelledWordAt(
                                    notePosition(cursorForPosition(event->pos()).position()))
                              : std::nullopt;
    if (word) {
        const QString misspelled = model_.text().mid(word->first, word->second);
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
    const auto first = std::lower_bound(softBreaks_.begin(), softBreaks_.end(), from);
    const auto last = std::lower_bound(first, softBreaks_.end(), to);
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

void NoteEditor::insertNoteText(QTextCursor &cursor, QStringView text, bool softBreakAtEnd) {
    // One change for the document to lay out, and within an edit of the user's one undo step.
    cursor.beginEditBlock();
    if (cursor.hasSelection())
        cursor.removeSelectedText();
    const QTextCharFormat plain;
    qsizetype run = 0; // where the text not yet inserted starts
    const auto insertRun = [&](qsizetype end) {
        for (qsizetype i = run; i < end; ++i) {
            if (!needsStandIn(text[i]))
                continue;
            if (i > run)
                cursor.insertText(text.sliced(run, i - run).toString(), plain);
            QTextCharFormat standIn;
            standIn.setProperty(standInProperty, int(text[i].unicode()));
            cursor.insertText(QString(standInGlyph(text[i])), standIn);
            run = i + 1;
            hasStandIns_ = true;
        }
        if (run < end)
            cursor.insertText(text.sliced(run, end - run).toString(), plain);
        run = end;
    };
    qsizetype column = cursor.positionInBlock();
    for (qsizetype lineStart = 0; lineStart <= text.size();) {
        qsizetype lineEnd = text.indexOf(u'\n', lineStart);
        if (lineEnd < 0)
            lineEnd = text.size();
        if (column + lineEnd - lineStart > longLineSize) {
            qsizetype room = pieceSize - column;
            if (room < pieceSize / 4) { // the paragraph is about full already
                insertRun(lineStart);
                insertSoftBreak(cursor);
                room = pieceSize;
            }
            for (qsizetype at = lineStart; lineEnd - at > room; room = pieceSize) {
                at = lineStart + breakBefore(text.sliced(lineStart, lineEnd - lineStart),
                                             at - lineStart + room, room);
                insertRun(at);
                insertSoftBreak(cursor);
            }
        }
        column = 0;
        lineStart = lineEnd + 1;
    }
    insertRun(text.size());
    if (softBreakAtEnd)
        insertSoftBreak(cursor);
    cursor.endEditBlock();
}

void NoteEditor::insertSoftBreak(QTextCursor &cursor) {
    hasSoftBreaks_ = true;
    QTextCharFormat soft;
    soft.setProperty(softBreakProperty, true);
    cursor.insertBlock(QTextBlockFormat(), soft);
}

int NoteEditor::trackSoftBreaks(int position, int removed, int added) {
    if (!hasSoftBreaks_)
        return 0;
    auto first = std::lower_bound(softBreaks_.begin(), softBreaks_.end(), position);
    const auto last = std::lower_bound(first, softBreaks_.end(), position + removed);
    const int gone = int(last - first);
    first = softBreaks_.erase(first, last);
    for (auto it = first; it != softBreaks_.end(); ++it)
        *it += added - removed;
    // Those added come from a piece split here, or from undo bringing one back.
    std::vector<int> found;
    for (QTextBlock block = document()->findBlock(position).next();
         block.isValid() && block.position() <= position + added; block = block.next())
        if (block.charFormat().hasProperty(softBreakProperty))
            found.push_back(block.position() - 1);
    softBreaks_.insert(first, found.begin(), found.end());
    return gone;
}

bool NoteEditor::isSoftBreak(int documentPosition) const {
    return std::binary_search(softBreaks_.begin(), softBreaks_.end(), documentPosition);
}

void NoteEditor::onContentsChange(int position, int removed, int added) {
    // The document may report a change wider than it was, taking in its final paragraph
    // break; the two lengths say how much really changed.
    Q_UNUSED(removed);
    const int length = document()->characterCount() - 1;
    added = std::min(added, length - position);
    const int replaced = documentLength_ - (length - added);
    documentLength_ = length;
    const qsizetype notePlace = notePosition(position);
    const int softBreaksGone = trackSoftBreaks(position, replaced, added);
    // Until the note is loaded the document holds none of it: a change there must never be
    // read as the whole note (the load replaces it anyway).
    if (applyingModel_ || !loaded_)
        return;
    const qsizetype noteReplaced = replaced - softBreaksGone;
    QScopedValueRollback guard(editingModel_, true);
    if (position < 0 || added < 0 || replaced < 0 ||
        notePlace + noteReplaced > model_.text().size()) {
        model_.setText(noteText()); // never expected; keep the note equal to what is shown
        return;
    }
    const QString inserted = readRange(position, position + added);
    if (noteReplaced > 0 || !inserted.isEmpty()) // not when only soft breaks came or went
        model_.replaceText(notePlace, noteReplaced, inserted);
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
    QScopedValueRollback guard(applyingModel_, true);
    QTextCursor cursor(document());
    // A stamp joins the user's last edit, so that one undo takes it away together with the
    // line break that brought it; another program's change is a step of its own.
    if (step == NoteModel::UndoStep::JoinsLastEdit)
        cursor.joinPreviousEditBlock();
    else
        cursor.beginEditBlock();
    cursor.setPosition(documentPosition(position));
    cursor.setPosition(documentPosition(position + removed, removed ? Side::Before : Side::After),
                       QTextCursor::KeepAnchor);
    insertNoteText(cursor, QStringView(model_.text()).sliced(position, added));
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
    qsizetype start =
        text.size() <= endSize ? 0 : text.lastIndexOf(u'\n', text.size() - endSize) + 1;
    if (text.size() - start > 2 * endSize) // the end of a long line: its last pieces first
        start = breakBefore(text, text.size() - endSize, pieceSize);
    if (start == 0) { // short: all at once
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
        insertNoteText(cursor, QStringView(text).sliced(start));
    }
    unloaded_ = start;
    moveCursor(QTextCursor::End);
    QTimer::singleShot(0, this, &NoteEditor::loadEarlierSlice);
}

void NoteEditor::loadEarlierSlice() {
    if (unloaded_ == 0)
        return;
    const QString &text = model_.text();
    qsizetype from = std::max<qsizetype>(0, unloaded_ - sliceSize);
    if (from > 0) { // whole lines, so that no paragraph is laid out twice, or whole pieces
        const qsizetype lineStart = text.lastIndexOf(u'\n', from - 1) + 1;
        from =
            unloaded_ - lineStart <= 2 * sliceSize ? lineStart : breakBefore(text, from, pieceSize);
    }
    insertEarlier(from);
    if (unloaded_ > 0)
        QTimer::singleShot(0, this, &NoteEditor::loadEarlierSlice);
}

void NoteEditor::insertEarlier(qsizetype from) {
    // Lines arrive above the view: it keeps showing what it showed. The scroll bar counts rows
    // as the layout knows them so far (a wrapped paragraph not laid out yet is one row), and so
    // does the document's size.
    const int top = verticalScrollBar()->value();
    const qreal rows = document()->documentLayout()->documentSize().height();
    {
        QScopedValueRollback guard(applyingModel_, true);
        QTextCursor cursor(document());
        // A line that goes on in the document continues there after a soft break.
        insertNoteText(cursor, QStringView(model_.text()).sliced(from, unloaded_ - from),
                       model_.text()[unloaded_ - 1] != u'\n');
    }
    unloaded_ = from;
    verticalScrollBar()->setValue(
        top + qRound(document()->documentLayout()->documentSize().height() - rows));
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
    // Both ways start a fresh undo history: no soft break can come back from it.
    softBreaks_.clear();
    hasSoftBreaks_ = false;
    if (documentLength_ > deferredLoadSize)
        replaceDocument();
    if (isPlainLines(text)) {
        document()->setUndoRedoEnabled(true);
        document()->setPlainText(text); // the fast path
    } else {
        document()->setUndoRedoEnabled(false);
        document()->clear();
        QTextCursor cursor(document());
        insertNoteText(cursor, text);
        document()->setUndoRedoEnabled(true);
    }
    moveCursor(QTextCursor::End);
}

void NoteEditor::replaceDocument() {
    // Freeing a large document takes longer than a frame: the note moves into a new one, and the
    // old one is taken apart a slice a turn, so that clearing a large note never holds a key up.
    QTextDocument *old = document();
    auto *fresh = new QTextDocument(this);
    fresh->setDocumentLayout(new QPlainTextDocumentLayout(fresh));
    fresh->setDefaultFont(old->defaultFont());
    fresh->setDefaultTextOption(old->defaultTextOption());
    fresh->setDocumentMargin(old->documentMargin());
    disconnect(old, nullptr, this, nullptr);
    old->setParent(this); // the editor deletes a document it was given only if it made it
    documentLength_ = 0;
    connect(fresh, &QTextDocument::contentsChange, this, &NoteEditor::onContentsChange);
    setDocument(fresh);
    dismantle(old);
    // Setting a document tells nothing of its history; the menu's Undo and Redo follow these.
    Q_EMIT undoAvailable(false);
    Q_EMIT redoAvailable(false);
    decorations_->refresh(); // its marks were the old document's
}

void NoteEditor::resetInheritedFormat() {
    // Typing must not take on the format of a stood-in character or a soft break, or a typed
    // symbol would read back as the character it stands for and a typed line break would
    // vanish from the note.
    if (!hasStandIns_ && !hasSoftBreaks_)
        return;
    const QTextCharFormat current = textCursor().charFormat();
    if ((hasStandIns_ && current.hasProperty(standInProperty)) ||
        (hasSoftBreaks_ && current.hasProperty(softBreakProperty)))
        setCurrentCharFormat(QTextCharFormat());
}

void NoteEditor::stepOverSoftBreak(const QKeyEvent *event) {
    // A soft break is no character of the note: a key that moves or deletes by one must not
    // spend itself on it.
    const bool typing = !event->text().isEmpty() && event->text().front().isPrint() &&
                        !(event->modifiers() & ~(Qt::ShiftModifier | Qt::KeypadModifier));
    if (!hasSoftBreaks_ || typing) // spares the typed letter the look-up of key bindings
        return;
    using Key = QKeySequence::StandardKey;
    const auto any = [event](std::initializer_list<Key> keys) {
        return std::any_of(keys.begin(), keys.end(), [event](Key k) { return event->matches(k); });
    };
    QTextCursor cursor = textCursor();
    const bool selecting = any({Key::SelectPreviousChar, Key::SelectNextChar,
                                Key::SelectPreviousWord, Key::SelectNextWord});
    if (cursor.hasSelection() && !selecting)
        return;
    int position = cursor.position();
    if (any({Key::MoveToPreviousChar, Key::SelectPreviousChar, Key::MoveToPreviousWord,
             Key::SelectPreviousWord, Key::DeleteStartOfWord}) ||
        event->key() == Qt::Key_Backspace) {
        while (isSoftBreak(position - 1)) // a piece emptied by editing leaves two in a row
            --position;
    } else if (any({Key::MoveToNextChar, Key::SelectNextChar, Key::MoveToNextWord,
                    Key::SelectNextWord, Key::DeleteEndOfWord, Key::Delete})) {
        while (isSoftBreak(position))
            ++position;
    }
    if (position == cursor.position())
        return;
    cursor.setPosition(position, selecting ? QTextCursor::KeepAnchor : QTextCursor::MoveAnchor);
    setTextCursor(cursor);
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
    // Pasted text keeps every character, CR LF line ends included.
    QTextCursor cursor = textCursor();
    cursor.beginEditBlock();
    insertNoteText(cursor, source->text());
    cursor.endEditBlock();
    setTextCursor(cursor);
    ensureCursorVisible();
}

void NoteEditor::inputMethodEvent(QInputMethodEvent *event) {
    beforeUserEdit();
    resetInheritedFormat();
    QPlainTextEdit::inputMethodEvent(event);
}

void NoteEditor::keyPressEvent(QKeyEvent *event) {
    if (event->matches(QKeySequence::SelectAll))
        ensureLoaded();
    beforeUserEdit();
    stepOverSoftBreak(event);
    resetInheritedFormat();
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
