// SPDX-License-Identifier: MIT
#pragma once

#include <QStringView>

class QString;
class QTextCharFormat;
class QTextCursor;
class QTextDocument;

/// Characters the document cannot hold as they are: it turns CR, U+2029 and its own frame
/// markers into paragraph breaks. Each stands in the document as a visible symbol whose format
/// carries the original character, so that the note never changes behind the user's back,
/// whether the character was typed, pasted, loaded or brought back by undo.
class StandIns {
public:
    /// Whether the document would turn `c` into something else.
    static bool isNeeded(QChar c);
    /// `text` as the document shows it, each such character as its symbol.
    static QString shown(QStringView text);

    /// Inserts `text` at `cursor` in the plain format, a symbol in place of each character that
    /// needs one.
    void insert(QTextCursor &cursor, QStringView text);
    /// Turns the symbols in `text`, read from `document` at `from`, back into the characters
    /// they stand for. A symbol the user typed stays a symbol.
    void restore(QTextDocument *document, int from, QString &text) const;
    /// Whether text typed with `format` would read back as a stood-in character.
    bool isCarriedBy(const QTextCharFormat &format) const;

private:
    bool seen_ = false; // stays set: it only spares the common note some work
};
