// SPDX-License-Identifier: MIT
#pragma once

#include <QStringView>

#include <vector>

class QTextCharFormat;
class QTextCursor;
class QTextDocument;

/// The document lays out a whole paragraph whenever one character of it changes, so a line of a
/// megabyte would cost a frame per key many times over. Such a line is held as pieces joined by
/// soft breaks: paragraph breaks that the note does not have, marked in their format, which the
/// undo history keeps. This keeps their places in the document, in order, and translates
/// positions between the document and the note.
class SoftBreaks {
public:
    /// Lines longer than this are held as pieces of at most `pieceSize`: short enough that a key
    /// typed into one lays out in about the time a line of an ordinary note does.
    static constexpr qsizetype longLineSize = 4096;
    static constexpr qsizetype pieceSize = 256;

    /// Where to end a piece of `text` at most `at` and more than `at - reach`: after a space if
    /// one is near, so that the break falls where the line would wrap anyway, and never inside
    /// a character or a cluster of them. A cluster longer than that ends the piece where it
    /// ends, which may be the end of `text`.
    static qsizetype pieceEnd(QStringView text, qsizetype at, qsizetype reach);
    /// Whether `c` may go on with the cluster of characters before it. Where it does depends
    /// on more of the text than a piece holds, so that no piece ever starts with one.
    static bool continuesCluster(QChar c);

    /// Inserts a soft break at `cursor`.
    void insert(QTextCursor &cursor);
    /// Follows a change of `document`: `removed` characters at `position` became `added`.
    /// Returns how many soft breaks went with the removed ones.
    int follow(const QTextDocument &document, int position, int removed, int added);
    /// Forgets them all: the document starts afresh, with no history to bring one back.
    void clear();

    bool any() const { return seen_; }
    /// Whether a line break typed with `format` would be taken for a soft break.
    bool isCarriedBy(const QTextCharFormat &format) const;
    bool isAt(int documentPosition) const;
    /// How many stand before `documentPosition`.
    qsizetype before(int documentPosition) const;
    /// Those in [from, to), in order.
    std::pair<std::vector<int>::const_iterator, std::vector<int>::const_iterator>
    within(int from, int to) const;
    /// The document's place of a position in the text the document holds: after the soft
    /// breaks there with `after`, before them without.
    int toDocument(qsizetype textPosition, bool after) const;

private:
    std::vector<int> positions_;
    bool seen_ = false; // set while the undo history may bring one back
};
