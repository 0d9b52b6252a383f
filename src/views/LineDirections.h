// SPDX-License-Identifier: MIT
#pragma once

#include <QPlainTextDocumentLayout>

class SoftBreaks;
class QTextBlock;

/// A long line is held as pieces, and a paragraph takes its direction from its first letter
/// that has one: a piece of a Hebrew line that starts with a Latin word would be laid out left
/// to right, and go the other way under the arrow keys. Every piece takes its line's direction
/// instead, kept with its block (not in its format: the undo history would hold it, and a
/// change of it would split the user's steps). The layout below lays each block out in it, and
/// the keys that move by a character follow it.
class LineDirections {
public:
    /// The layout of the editor's documents: the toolkit's, each block in its line's direction.
    class Layout : public QPlainTextDocumentLayout {
    public:
        explicit Layout(QTextDocument *document)
            : QPlainTextDocumentLayout(document) {}
        QRectF blockBoundingRect(const QTextBlock &block) const override;

    protected:
        void documentChanged(int from, int removed, int added) override;

    private:
        void followDirection(const QTextBlock &block) const;
    };

    /// The direction that the first letter having one gives `text`; none when none has.
    static Qt::LayoutDirection of(QStringView text);
    /// The direction `block` is laid out and moved through in.
    static Qt::LayoutDirection of(const QTextBlock &block);

    /// After a change of `document` that put `added` characters at `position`: the pieces of
    /// the lines it reached take their lines' direction. In time in proportion to the change,
    /// unless it reached the part of a long line that decides the line's direction.
    static void follow(QTextDocument &document, const SoftBreaks &softBreaks, int position,
                       int added);
};
