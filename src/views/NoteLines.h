// SPDX-License-Identifier: MIT
#pragma once

#include <QtGlobal>

#include <functional>
#include <utility>

class NoteModel;
class NoteText;
class QPlainTextEdit;

/// The note's lines as the editor shows them. The document's blocks are not the note's lines:
/// a long line is held as pieces, and a large note's first lines may not have arrived. Whatever
/// works by lines (the keys that act on a line, spelling, and in time line numbers, the current
/// line's highlight or going to a line) asks here.
class NoteLines {
public:
    NoteLines(const QPlainTextEdit &editor, const NoteModel &model, const NoteText &text);

    /// Where the line that holds the note's `position` starts.
    qsizetype startOf(qsizetype position) const;
    /// Where that line ends, before its line feed.
    qsizetype endOf(qsizetype position) const;
    /// The part of the note on screen: from the start of the first piece shown to the end of
    /// the last.
    std::pair<qsizetype, qsizetype> onScreen() const;

    /// Runs `change` (one that moves the caret) and scrolls back to the rows shown before.
    static void keepingTheView(QPlainTextEdit &editor, const std::function<void()> &change);

private:
    const QPlainTextEdit &editor_;
    const NoteModel &model_;
    const NoteText &text_;
};
