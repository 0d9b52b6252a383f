// SPDX-License-Identifier: MIT
#pragma once

#include <QTextCursor>
#include <QTextDocument>

#include <functional>
#include <optional>
#include <utility>

class LargeNoteArrival;
class NoteLines;
class NoteModel;
class NoteText;
class QInputMethodEvent;
class QKeyEvent;
class QPlainTextEdit;
class QPoint;

/// What keys and clicks do, on the note rather than on the piece of it that a block holds. The
/// toolkit's editor works a block at a time: its word and line keys, and the word a double
/// click selects, would stop where a piece of a long line ends. These are run here, by the
/// toolkit's own cursor, on the note's text around the caret, and the result applied to the
/// document as one step. A soft break is never a character a key stops at or deletes, and
/// typing never takes on the mark of a stood-in character or a soft break.
class NoteKeys {
public:
    NoteKeys(QPlainTextEdit &editor, const NoteModel &model, NoteText &text, const NoteLines &lines,
             LargeNoteArrival &arrival);

    /// Carries out a key that acts on the note's words or lines; false for any other key.
    bool actOnNote(const QKeyEvent *event);
    /// Before the editor takes a key that moves or deletes by a character: the caret steps
    /// over the soft breaks there.
    void stepOverSoftBreaks(const QKeyEvent *event);
    /// Before `typed` is typed (nothing for a key that types nothing): no mark is passed on to
    /// it, and it goes where it keeps every cluster of characters in one piece. A selection to
    /// be typed over goes first, in an edit block that the caller closes once the editor has
    /// typed.
    std::optional<QTextCursor> beforeTyping(QStringView typed);
    /// Carries out what an input method commits, when the editor would not keep it as the
    /// note's: characters it turns into line breaks, or a range to replace around the caret
    /// where soft breaks or the part of a large note still arriving would count. False when
    /// the editor may take it; the preedit is the editor's either way.
    bool commit(const QInputMethodEvent *event);
    /// What the editor types for `event`; nothing for most keys.
    static QString typedBy(const QKeyEvent *event);

    /// After a double click: the word there, whole.
    void selectWordAt(const QPoint &point);
    /// After the third click of a triple click on the note's `position`: its line, whole.
    void selectLine(qsizetype position);

private:
    using Ends = std::pair<qsizetype, qsizetype>; // anchor and position, in the note
    Ends onNote(qsizetype from, const std::function<void(QTextCursor &)> &act) const;
    void select(Ends ends, bool scroll = true);
    bool joinsClusterBefore(int position, QStringView text) const;
    void remove(qsizetype from, qsizetype to);

    QPlainTextEdit &editor_;
    const NoteModel &model_;
    NoteText &text_;
    const NoteLines &lines_;
    LargeNoteArrival &arrival_;
    mutable QTextDocument scratch_; // never laid out: its cursor needs no layout for these
};
