// SPDX-License-Identifier: MIT
#pragma once

#include <QFont>
#include <QImage>
#include <QString>

#include <vector>

class QPainter;
class QTextLayout;

/// The note laid out on pages, as far as it has been asked to go: a page is drawn without the
/// ones after it laid out, so that the first of a long note shows at once. Its lines are the
/// editor's: every character it stands in for shows as its symbol. A line longer than a piece
/// is laid out a piece at a time, as the editor holds it; a row ends where a piece does.
class NotePages {
public:
    /// In points: `width` wide, `pageHeight` high.
    NotePages(const QString &note, const QFont &font, qreal width, qreal pageHeight);

    /// Lays the note out until `page` is known or the note ends; whether it is.
    bool reach(int page);
    /// Lays out a slice more; false once all of it is.
    bool layOutMore();
    bool isComplete() const { return next_ > text_.size(); }
    /// The pages known so far.
    int knownPages() const { return int(pages_.size()); }
    /// How much of the note is laid out, from 0 to 1.
    double progress() const;
    /// Draws a known `page` with its top left at the painter's origin, in points.
    void draw(QPainter &painter, int page) const;

private:
    struct Place {
        qsizetype piece; // where in the text its piece starts
        int line;        // its row in the piece
        bool operator==(const Place &) const = default;
    };
    /// Where the piece at `start` ends, and where the next one starts.
    std::pair<qsizetype, qsizetype> pieceAt(qsizetype start) const;
    void layOut(QTextLayout &layout, qsizetype start, qsizetype end) const;

    QString text_;
    QFont font_;
    qreal width_;
    qreal pageHeight_;
    QImage pointDevice_; // 72 dots an inch: a unit of the layout is a point
    std::vector<Place> pages_;
    qsizetype next_ = 0; // the next piece to lay out
    qreal y_ = 0;        // where on the last page it goes
};
