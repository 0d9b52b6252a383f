// SPDX-License-Identifier: MIT
#include "NoteKeys.h"

#include "LargeNoteArrival.h"
#include "NoteLines.h"
#include "NoteText.h"
#include "Notemodel.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QPlainTextEdit>

#include <algorithm>

namespace {

using Key = QKeySequence::StandardKey;

bool matchesAny(const QKeyEvent *event, std::initializer_list<Key> keys) {
    return std::any_of(keys.begin(), keys.end(), [event](Key k) { return event->matches(k); });
}

} // namespace

NoteKeys::NoteKeys(QPlainTextEdit &editor, const NoteModel &model, NoteText &text,
                   const NoteLines &lines, LargeNoteArrival &arrival)
    : editor_(editor)
    , model_(model)
    , text_(text)
    , lines_(lines)
    , arrival_(arrival) {
    scratch_.setUndoRedoEnabled(false);
}

bool NoteKeys::actOnNote(const QKeyEvent *event) {
    // Without pieces or a part still to arrive, the document's blocks are the note's lines.
    if (!text_.hasSoftBreaks() && !arrival_.isArriving())
        return false;
    struct Move {
        Key key;
        QTextCursor::MoveOperation operation;
        bool selects;
    };
    // In the order the editor looks them up.
    static constexpr Move moves[] = {
        {Key::SelectNextWord, QTextCursor::WordRight, true},
        {Key::SelectPreviousWord, QTextCursor::WordLeft, true},
        {Key::SelectStartOfBlock, QTextCursor::StartOfBlock, true},
        {Key::SelectEndOfBlock, QTextCursor::EndOfBlock, true},
        {Key::MoveToNextWord, QTextCursor::WordRight, false},
        {Key::MoveToPreviousWord, QTextCursor::WordLeft, false},
        {Key::MoveToEndOfBlock, QTextCursor::EndOfBlock, false},
        {Key::MoveToStartOfBlock, QTextCursor::StartOfBlock, false},
    };
    const QTextCursor caret = editor_.textCursor();
    const qsizetype anchor = text_.notePosition(caret.anchor());
    const qsizetype position = text_.notePosition(caret.position());
    const auto moved = [this, position](QTextCursor::MoveOperation operation) {
        return onNote(position, [operation](QTextCursor &c) { c.movePosition(operation); }).second;
    };
    for (const Move &move : moves) {
        if (event->matches(move.key)) {
            const qsizetype to = moved(move.operation);
            select({move.selects ? anchor : to, to});
            return true;
        }
    }
    const bool toEndOfWord = event->matches(Key::DeleteEndOfWord);
    if (toEndOfWord || event->matches(Key::DeleteStartOfWord)) {
        if (caret.hasSelection())
            return false; // the editor takes the selection out
        const qsizetype to = moved(toEndOfWord ? QTextCursor::NextWord : QTextCursor::PreviousWord);
        remove(std::min(position, to), std::max(position, to));
        return true;
    }
    if (event->matches(Key::DeleteEndOfLine)) {
        // From the anchor, as the editor does, to the end of the caret's line.
        const qsizetype end = lines_.endOf(position);
        remove(std::min(anchor, end), std::max(anchor, end));
        return true;
    }
    return false;
}

NoteKeys::Ends NoteKeys::onNote(qsizetype from,
                                const std::function<void(QTextCursor &)> &act) const {
    // Run on the text around `from`, wider each time that the result reaches a cut end.
    const QString &note = model_.text();
    for (qsizetype reach = 512;; reach *= 4) {
        const qsizetype start = std::max<qsizetype>(0, from - reach);
        const qsizetype end = std::min(note.size(), from + reach);
        scratch_.setPlainText(StandIns::shown(QStringView(note).sliced(start, end - start)));
        QTextCursor cursor(&scratch_);
        cursor.setPosition(int(from - start));
        act(cursor);
        const auto inside = [&](int at) {
            return (at > 0 || start == 0) && (start + at < end || end == note.size());
        };
        if (inside(cursor.anchor()) && inside(cursor.position()))
            return {start + cursor.anchor(), start + cursor.position()};
    }
}

void NoteKeys::select(Ends ends, bool scroll) {
    if (std::min(ends.first, ends.second) < text_.missing())
        arrival_.complete();
    QTextCursor cursor(editor_.document());
    cursor.setPosition(text_.documentPosition(ends.first));
    cursor.setPosition(text_.documentPosition(ends.second), QTextCursor::KeepAnchor);
    if (scroll)
        editor_.setTextCursor(cursor);
    else
        NoteLines::keepingTheView(editor_, [&] { editor_.setTextCursor(cursor); });
    // As the editor does with what a key or click selects, it is offered as X11's selection.
    QClipboard *clipboard = QGuiApplication::clipboard();
    if (cursor.hasSelection() && clipboard->supportsSelection())
        clipboard->setText(text_.read(cursor.selectionStart(), cursor.selectionEnd()),
                           QClipboard::Selection);
}

void NoteKeys::remove(qsizetype from, qsizetype to) {
    if (from < text_.missing())
        arrival_.complete();
    if (from < to) {
        QTextCursor cursor(editor_.document());
        cursor.setPosition(text_.documentPosition(from));
        cursor.setPosition(text_.documentPosition(to, NoteText::Side::Before),
                           QTextCursor::KeepAnchor);
        cursor.removeSelectedText();
    }
    select({from, from});
}

void NoteKeys::stepOverSoftBreaks(const QKeyEvent *event) {
    // A soft break is no character of the note: a key that moves or deletes by one must not
    // spend itself on it.
    if (!text_.hasSoftBreaks() || !typedBy(event).isEmpty())
        return;
    QTextCursor cursor = editor_.textCursor();
    const bool selects = matchesAny(event, {Key::SelectPreviousChar, Key::SelectNextChar});
    if (cursor.hasSelection() && !selects)
        return; // the selection goes, or the caret goes to its end
    const bool backspace =
        event->key() == Qt::Key_Backspace && !(event->modifiers() & ~Qt::ShiftModifier);
    int position = cursor.position();
    if (backspace || matchesAny(event, {Key::MoveToPreviousChar, Key::SelectPreviousChar})) {
        while (text_.isSoftBreak(position - 1)) // a piece emptied by editing leaves two in a row
            --position;
    } else if (matchesAny(event, {Key::MoveToNextChar, Key::SelectNextChar, Key::Delete})) {
        while (text_.isSoftBreak(position))
            ++position;
    }
    if (position == cursor.position())
        return;
    cursor.setPosition(position, selects ? QTextCursor::KeepAnchor : QTextCursor::MoveAnchor);
    editor_.setTextCursor(cursor);
}

bool NoteKeys::commit(const QInputMethodEvent *event) {
    const QString &text = event->commitString();
    const bool moved = event->replacementStart() != 0 || event->replacementLength() > 0;
    // Typed over a selection where a mark is, the text would need the edit block of
    // beforeTyping() around the toolkit's commit, which then makes the caret visible in a
    // document not laid out again until the block ends.
    const QTextCursor caret = editor_.textCursor();
    const bool overMark =
        caret.hasSelection() && !text.isEmpty() &&
        (text_.isMarked(caret.charFormat()) || joinsClusterBefore(caret.selectionStart(), text));
    if (NoteText::isPlainLines(text) && !overMark &&
        (!moved || (!text_.hasSoftBreaks() && !arrival_.isArriving())))
        return false;
    // As the editor does it: the selection goes, then the range around the caret is replaced,
    // here counted in the note.
    const qsizetype at = text_.notePosition(editor_.textCursor().selectionStart());
    if (at + event->replacementStart() < text_.missing())
        arrival_.complete();
    QTextCursor cursor = editor_.textCursor();
    cursor.beginEditBlock();
    cursor.removeSelectedText();
    const qsizetype length = text_.notePosition(editor_.document()->characterCount() - 1);
    const qsizetype from = std::clamp<qsizetype>(at + event->replacementStart(), 0, length);
    const qsizetype to = std::min(from + std::max(event->replacementLength(), 0), length);
    cursor.setPosition(text_.documentPosition(from));
    cursor.setPosition(
        text_.documentPosition(to, to > from ? NoteText::Side::Before : NoteText::Side::After),
        QTextCursor::KeepAnchor);
    text_.write(cursor, text);
    cursor.endEditBlock();
    return true;
}

QString NoteKeys::typedBy(const QKeyEvent *event) {
    if (event->matches(Key::InsertParagraphSeparator) || event->matches(Key::InsertLineSeparator))
        return QStringLiteral("\n");
    // The editor's rule for the text a key brings: a printable, format or private-use
    // character, or a tab, unless Ctrl or Ctrl+Shift is held.
    const QString text = event->text();
    if (text.isEmpty())
        return QString();
    const QChar c = text.front();
    if (c.category() == QChar::Other_Format)
        return text;
    const Qt::KeyboardModifiers held = event->modifiers() & ~Qt::KeypadModifier;
    if (held == Qt::ControlModifier || held == (Qt::ControlModifier | Qt::ShiftModifier))
        return QString();
    const bool taken =
        c.isPrint() || c.category() == QChar::Other_PrivateUse || c.isHighSurrogate() || c == u'\t';
    return taken ? text : QString();
}

std::optional<QTextCursor> NoteKeys::beforeTyping(QStringView typed) {
    // Text typed takes on the format before it. That of a stood-in character would make a
    // typed symbol read back as the character it stands for, and that of a soft break would
    // make a typed line break vanish from the note.
    QTextCursor caret = editor_.textCursor();
    if (typed.isEmpty() ||
        (!text_.isMarked(caret.charFormat()) && !joinsClusterBefore(caret.selectionStart(), typed)))
        return std::nullopt;
    std::optional<QTextCursor> typedOver;
    if (caret.hasSelection()) {
        // The format set below would be applied to the selection, and change the note.
        typedOver = caret;
        typedOver->beginEditBlock();
        typedOver->removeSelectedText();
    }
    caret = editor_.textCursor();
    if (joinsClusterBefore(caret.position(), typed)) {
        // No piece starts with a character that may go on with the cluster before it: typed
        // there, it goes into the piece that cluster is in.
        int position = caret.position();
        while (text_.isSoftBreak(position - 1))
            --position;
        caret.setPosition(position);
        editor_.setTextCursor(caret);
    }
    if (text_.isMarked(caret.charFormat()))
        editor_.setCurrentCharFormat(QTextCharFormat());
    return typedOver;
}

bool NoteKeys::joinsClusterBefore(int position, QStringView text) const {
    // Text right after a soft break that may go on with the cluster at the end of the piece
    // before it.
    if (!text_.isSoftBreak(position - 1) || text.isEmpty() ||
        !SoftBreaks::continuesCluster(text.front()))
        return false;
    while (text_.isSoftBreak(position - 1))
        --position;
    return position > 0 &&
           editor_.document()->characterAt(position - 1) != QChar::ParagraphSeparator;
}

void NoteKeys::selectWordAt(const QPoint &point) {
    const qsizetype at = text_.notePosition(editor_.cursorForPosition(point).position());
    // The editor selects a word only in a row with text; a row of the note is empty only when
    // its line is.
    if (lines_.startOf(at) == lines_.endOf(at) || !text_.hasSoftBreaks())
        return;
    // The editor does not scroll for a double click: the third click of a triple one lands
    // where the first did.
    select(onNote(at, [](QTextCursor &c) { c.select(QTextCursor::WordUnderCursor); }), false);
}

void NoteKeys::selectLine(qsizetype at) {
    if (text_.hasSoftBreaks())
        select({lines_.startOf(at), std::min(lines_.endOf(at) + 1, model_.text().size())});
}
