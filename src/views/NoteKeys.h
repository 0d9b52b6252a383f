// SPDX-License-Identifier: MIT
#pragma once

#include <QTextCursor>
#include <QTextDocument>

#include <functional>
#include <utility>

class LargeNoteArrival;
class NoteLines;
class NoteModel;
class NoteText;
class QKeyEvent;
class QPlainTextEdit;
class QPoint;

/// What keys and clicks do, on the note rather than on the piece of it that a block holds. The
/// toolkit's editor works a block at a time: its word and line keys, and the word a double
/// click selects, would stop where a piece of a long line ends. These are run here, by the
/// toolkit's own cursor, on the note's text around the caret, and the result applied to the
/// document as one step. A soft break is never a character a key stops at or deletes.
class NoteKeys {
public:
    NoteKeys(QPlainTextEdit &editor, const NoteModel &model, NoteText &text, const NoteLines &lines,
             LargeNoteArrival &arrival);

    /// Carries out a key that acts on the note's words or lines; false for any other key.
    bool actOnNote(const QKeyEvent *event);
    /// Before the editor takes a key that deletes a character: the caret steps over the soft
    /// breaks there.
    void stepOverSoftBreaks(const QKeyEvent *event);
    /// After a double click: the word there, whole.
    void selectWordAt(const QPoint &point);
    /// After the third click of a triple click on the note's `position`: its line, whole.
    void selectLine(qsizetype position);

private:
    using Ends = std::pair<qsizetype, qsizetype>; // anchor and position, in the note
    Ends onNote(qsizetype from, const std::function<void(QTextCursor &)> &act) const;
    bool moveByCharacter(const QKeyEvent *event);
    void select(Ends ends, bool scroll = true);
    void remove(qsizetype from, qsizetype to);

    QPlainTextEdit &editor_;
    const NoteModel &model_;
    NoteText &text_;
    const NoteLines &lines_;
    LargeNoteArrival &arrival_;
    mutable QTextDocument scratch_; // never laid out: its cursor needs no layout for these
};
