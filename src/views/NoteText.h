// SPDX-License-Identifier: MIT
#pragma once

#include "LineDirections.h"
#include "SoftBreaks.h"
#include "StandIns.h"

#include <QString>

class QTextCharFormat;
class QTextCursor;
class QTextDocument;

/// The note as the document holds it: characters stood in for, long lines in pieces joined by
/// soft breaks, and, while a large note arrives, without its first part. Everything that reads
/// the document for the note or writes the note into it goes through here, and so does every
/// position that passes between the two.
class NoteText {
public:
    /// Which side of a soft break a note position that falls on one is placed: the end of a
    /// range before it, a caret or the start of a range after it.
    enum class Side { Before, After };

    explicit NoteText(QTextDocument *document);
    QTextDocument *document() const { return document_; }
    /// Holds the note in `document` from now on; it starts empty, with no history.
    void setDocument(QTextDocument *document);

    /// The note's position of a place in the document.
    qsizetype notePosition(int documentPosition) const;
    /// The document's place of a position of the note that it holds.
    int documentPosition(qsizetype notePosition, Side side = Side::After) const;
    /// Characters at the start of the note that the document does not hold yet.
    qsizetype missing() const { return missing_; }
    void setMissing(qsizetype characters) { missing_ = characters; }

    /// The note's text between two places of the document.
    QString read(int from, int to) const;
    /// Inserts note text at `cursor` as one change, a long line in pieces; with
    /// `softBreakAtEnd`, the text goes on in a piece after it.
    void write(QTextCursor &cursor, QStringView text, bool softBreakAtEnd = false);
    /// Follows a change of the document; returns how many soft breaks the removed part held.
    int follow(int position, int removed, int added);
    /// The document starts afresh: no soft break can come back from its history.
    void forgetSoftBreaks() { softBreaks_.clear(); }

    bool isSoftBreak(int documentPosition) const { return softBreaks_.isAt(documentPosition); }
    bool hasSoftBreaks() const { return softBreaks_.any(); }
    /// Whether text typed in `format` would read back as something other than what was typed.
    bool isMarked(const QTextCharFormat &format) const;
    /// Whether the document can take `text` as it is: no character needs a stand-in and no
    /// line needs pieces.
    static bool isPlainLines(QStringView text);

private:
    /// Joins the pieces on either side of the soft break before `position`, if there is one
    /// and it falls inside a cluster of characters.
    void keepClusterWhole(int position);

    QTextDocument *document_;
    StandIns standIns_;
    SoftBreaks softBreaks_;
    qsizetype missing_ = 0;
};
