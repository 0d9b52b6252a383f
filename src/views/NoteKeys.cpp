// SPDX-License-Identifier: MIT
#include "NoteKeys.h"

#include "NoteText.h"

#include <QKeyEvent>
#include <QPlainTextEdit>

#include <algorithm>

NoteKeys::NoteKeys(QPlainTextEdit &editor, NoteText &text)
    : editor_(editor)
    , text_(text) {}

void NoteKeys::stepOverSoftBreaks(const QKeyEvent *event) {
    // A soft break is no character of the note: a key that moves or deletes by one must not
    // spend itself on it.
    const bool typing = !event->text().isEmpty() && event->text().front().isPrint() &&
                        !(event->modifiers() & ~(Qt::ShiftModifier | Qt::KeypadModifier));
    if (!text_.hasSoftBreaks() || typing) // spares the typed letter the look-up of key bindings
        return;
    using Key = QKeySequence::StandardKey;
    const auto any = [event](std::initializer_list<Key> keys) {
        return std::any_of(keys.begin(), keys.end(), [event](Key k) { return event->matches(k); });
    };
    QTextCursor cursor = editor_.textCursor();
    const bool selecting = any({Key::SelectPreviousChar, Key::SelectNextChar,
                                Key::SelectPreviousWord, Key::SelectNextWord});
    if (cursor.hasSelection() && !selecting)
        return;
    int position = cursor.position();
    if (any({Key::MoveToPreviousChar, Key::SelectPreviousChar, Key::MoveToPreviousWord,
             Key::SelectPreviousWord, Key::DeleteStartOfWord}) ||
        event->key() == Qt::Key_Backspace) {
        while (text_.isSoftBreak(position - 1)) // a piece emptied by editing leaves two in a row
            --position;
    } else if (any({Key::MoveToNextChar, Key::SelectNextChar, Key::MoveToNextWord,
                    Key::SelectNextWord, Key::DeleteEndOfWord, Key::Delete})) {
        while (text_.isSoftBreak(position))
            ++position;
    }
    if (position == cursor.position())
        return;
    cursor.setPosition(position, selecting ? QTextCursor::KeepAnchor : QTextCursor::MoveAnchor);
    editor_.setTextCursor(cursor);
}

void NoteKeys::resetInheritedFormat() {
    // Typing must not take on the format of a stood-in character or a soft break, or a typed
    // symbol would read back as the character it stands for and a typed line break would
    // vanish from the note.
    if (text_.isMarked(editor_.textCursor().charFormat()))
        editor_.setCurrentCharFormat(QTextCharFormat());
}
