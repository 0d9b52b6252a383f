// SPDX-License-Identifier: MIT
#include "NoteKeys.h"

#include "NoteText.h"

#include <QKeyEvent>
#include <QPlainTextEdit>

#include <algorithm>

namespace {

using Key = QKeySequence::StandardKey;

} // namespace

NoteKeys::NoteKeys(QPlainTextEdit &editor, NoteText &text)
    : editor_(editor)
    , text_(text) {}

void NoteKeys::stepOverSoftBreaks(const QKeyEvent *event) {
    // A soft break is no character of the note: a key that moves or deletes by one must not
    // spend itself on it.
    if (!text_.hasSoftBreaks() || !typedBy(event).isEmpty())
        return;
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
    if (typed.isEmpty() || !text_.isMarked(caret.charFormat()))
        return std::nullopt;
    std::optional<QTextCursor> typedOver;
    if (caret.hasSelection()) {
        // The format set below would be applied to the selection, and change the note.
        typedOver = caret;
        typedOver->beginEditBlock();
        typedOver->removeSelectedText();
    }
    editor_.setCurrentCharFormat(QTextCharFormat());
    return typedOver;
}
