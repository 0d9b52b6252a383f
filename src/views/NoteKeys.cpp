// SPDX-License-Identifier: MIT
#include "NoteKeys.h"

#include "LargeNoteArrival.h"
#include "LineDirections.h"
#include "NoteLines.h"
#include "NoteText.h"
#include "Notemodel.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QPlainTextEdit>
#include <QTextBlock>

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
    const QTextCursor caret = editor_.textCursor();
    const qsizetype anchor = text_.notePosition(caret.anchor());
    const qsizetype position = text_.notePosition(caret.position());
    if (event->matches(Key::DeleteEndOfLine)) {
        // From the anchor, as the editor does, to the end of the caret's line. (One character
        // before the end, the editor deletes the one the right arrow selects: in a
        // right-to-left line, the one before the caret.)
        const qsizetype end = lines_.endOf(position);
        remove(std::min(anchor, end), std::max(anchor, end));
        return true;
    }
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
    if (moveByCharacter(event))
        return true;
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
        // In the direction of the caret's line, which the scratch may not hold the start of.
        QTextBlockFormat line;
        line.setLayoutDirection(LineDirections::of(editor_.textCursor().block()));
        cursor.setBlockFormat(line);
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
    // A soft break is no character of the note: a key that deletes one must not spend itself
    // on it.
    QTextCursor cursor = editor_.textCursor();
    if (!text_.hasSoftBreaks() || cursor.hasSelection())
        return;
    int position = cursor.position();
    if (event->key() == Qt::Key_Backspace && !(event->modifiers() & ~Qt::ShiftModifier)) {
        while (text_.isSoftBreak(position - 1)) // a piece emptied by editing leaves two in a row
            --position;
    } else if (event->matches(Key::Delete)) {
        while (text_.isSoftBreak(position))
            ++position;
    }
    if (position == cursor.position())
        return;
    cursor.setPosition(position);
    editor_.setTextCursor(cursor);
}

bool NoteKeys::moveByCharacter(const QKeyEvent *event) {
    const bool right = matchesAny(event, {Key::MoveToNextChar, Key::SelectNextChar});
    if (!right && !matchesAny(event, {Key::MoveToPreviousChar, Key::SelectPreviousChar}))
        return false;
    // By the line's direction, in which the right arrow goes back in a right-to-left line; over
    // a cluster of characters as the note has it, not as a piece does (where a cluster ends
    // depends on the text around it); never spent on a soft break.
    const QTextCursor caret = editor_.textCursor();
    const bool selects = matchesAny(event, {Key::SelectNextChar, Key::SelectPreviousChar});
    const bool forward = right != (LineDirections::of(caret.block()) == Qt::RightToLeft);
    const qsizetype anchor = text_.notePosition(caret.anchor());
    const qsizetype position = text_.notePosition(caret.position());
    if (caret.hasSelection() && !selects) { // the caret goes to the selection's end that way
        const qsizetype end = forward ? std::max(anchor, position) : std::min(anchor, position);
        select({end, end});
        return true;
    }
    const qsizetype to =
        onNote(position, [forward](QTextCursor &c) {
            c.movePosition(forward ? QTextCursor::NextCharacter : QTextCursor::PreviousCharacter);
        }).second;
    select({selects ? anchor : to, to});
    return true;
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
