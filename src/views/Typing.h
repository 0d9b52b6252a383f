// SPDX-License-Identifier: MIT
#pragma once

#include <QString>

class LargeNoteArrival;
class NoteText;
class QInputMethodEvent;
class QKeyEvent;
class QPlainTextEdit;

/// What the user types goes into the note as typed. Text typed never takes on the mark of a
/// stood-in character or a soft break, nor starts a piece with a character that goes on with
/// the cluster before it. A selection typed over is replaced by Mirt itself, in one step: the
/// toolkit's editor would first give the selection the format of a line it resets, and undo
/// would then bring its text back without the marks. An input method's commit is carried out
/// in note positions, with every character kept.
class Typing {
public:
    Typing(QPlainTextEdit &editor, NoteText &text, LargeNoteArrival &arrival);

    /// What the editor types for `event`: nothing for a key it takes as a command.
    static QString typedBy(const QKeyEvent *event);
    /// Types `typed` over the selection as one step; false when nothing is selected or typed.
    bool overSelection(QStringView typed);
    /// Before the editor types `typed` at the caret: no mark is passed on to it, and it goes
    /// where it keeps every cluster of characters in one piece.
    void beforeTyping(QStringView typed);
    /// Carries out the text or the replacement an input method commits; false when it commits
    /// neither. The preedit is the editor's.
    bool commit(const QInputMethodEvent *event);

private:
    bool joinsClusterBefore(int position, QStringView text) const;

    QPlainTextEdit &editor_;
    NoteText &text_;
    LargeNoteArrival &arrival_;
};
