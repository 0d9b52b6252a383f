// SPDX-License-Identifier: MIT
#pragma once

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
    /// Before text is typed: the format it is typed in carries no mark.
    void resetInheritedFormat();

private:
    QPlainTextEdit &editor_;
    NoteText &text_;
};
