// SPDX-License-Identifier: MIT
#pragma once

#include <QTextCursor>

#include <optional>

class NoteText;
class QKeyEvent;
class QPlainTextEdit;

/// What keys do in a document that holds long lines as pieces and characters stood in for. A
/// soft break is never a character a key stops at or deletes, and typing never takes on the
/// mark of a stood-in character or a soft break.
class NoteKeys {
public:
    NoteKeys(QPlainTextEdit &editor, NoteText &text);

    /// Before the editor takes a key that moves or deletes by a character or a word: the caret
    /// steps over the soft breaks there.
    void stepOverSoftBreaks(const QKeyEvent *event);
    /// Before `typed` is typed (nothing for a key that types nothing): no mark is passed on to
    /// it. A selection to be typed over goes first, in an edit block that the caller closes
    /// once the editor has typed.
    std::optional<QTextCursor> beforeTyping(QStringView typed);
    /// What the editor types for `event`; nothing for most keys.
    static QString typedBy(const QKeyEvent *event);

private:
    QPlainTextEdit &editor_;
    NoteText &text_;
};
