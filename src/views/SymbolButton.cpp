// SPDX-License-Identifier: MIT
#include "SymbolButton.h"

#include <QIcon>
#include <QPainter>
#include <QPainterPath>

namespace {

// The names the freedesktop icon themes give these symbols.
QString themeName(SymbolButton::Symbol symbol) {
    return symbol == SymbolButton::Symbol::ExportDocument ? QStringLiteral("document-export")
                                                          : QStringLiteral("media-record");
}

// The platform's red, a little lighter on dark backgrounds: the one fixed colour of the app,
// the sign of a meeting being recorded.
QColor systemRed(const QPalette &palette) {
    return palette.color(QPalette::Window).lightness() < 128 ? QColor(0xff, 0x45, 0x3a)
                                                             : QColor(0xff, 0x3b, 0x30);
}

QColor secondary(const QPalette &palette) {
    QColor color = palette.color(QPalette::WindowText);
    color.setAlphaF(0.55f);
    return color;
}

QColor withAlpha(QColor color, float alpha) {
    color.setAlphaF(alpha);
    return color;
}

void drawRecordCircle(QPainter &p, QPointF centre, const QColor &colour) {
    p.setPen(QPen(colour, 1.4));
    p.setBrush(Qt::NoBrush);
    p.drawEllipse(centre, 6.3, 6.3);
    p.setPen(Qt::NoPen);
    p.setBrush(colour);
    p.drawEllipse(centre, 3.6, 3.6);
}

void drawRecordCircleFill(QPainter &p, const QRectF &square, QPointF centre, const QColor &red) {
    // Lit: the whole button red, with a ring in white around its red centre. An icon theme's
    // record symbol is a red dot itself, so the on look owes nothing to the theme.
    p.setPen(Qt::NoPen);
    p.setBrush(red);
    p.drawRoundedRect(square, 5, 5);
    p.setPen(QPen(Qt::white, 1.6));
    p.setBrush(Qt::NoBrush);
    p.drawEllipse(centre, 6.3, 6.3);
}

void drawExportDocument(QPainter &p, QPointF centre, const QColor &colour) {
    // A sheet with a folded corner and an arrow pointing up out of it.
    const QRectF sheet(centre.x() - 5.5, centre.y() - 7.0, 11.0, 14.0);
    const qreal fold = 3.5;
    QPainterPath outline;
    outline.moveTo(sheet.left(), sheet.top() + 1.5);
    outline.quadTo(sheet.topLeft(), sheet.topLeft() + QPointF(1.5, 0));
    outline.lineTo(sheet.right() - fold, sheet.top());
    outline.lineTo(sheet.right(), sheet.top() + fold);
    outline.lineTo(sheet.right(), sheet.bottom() - 1.5);
    outline.quadTo(sheet.bottomRight(), sheet.bottomRight() - QPointF(1.5, 0));
    outline.lineTo(sheet.left() + 1.5, sheet.bottom());
    outline.quadTo(sheet.bottomLeft(), sheet.bottomLeft() - QPointF(0, 1.5));
    outline.closeSubpath();
    outline.moveTo(sheet.right() - fold, sheet.top());
    outline.lineTo(sheet.right() - fold, sheet.top() + fold);
    outline.lineTo(sheet.right(), sheet.top() + fold);

    QPen pen(colour, 1.2);
    pen.setJoinStyle(Qt::RoundJoin);
    pen.setCapStyle(Qt::RoundCap);
    p.setPen(pen);
    p.setBrush(Qt::NoBrush);
    p.drawPath(outline);

    const QPointF tip(centre.x(), centre.y() - 2.0);
    p.drawLine(tip, QPointF(centre.x(), centre.y() + 4.0));
    p.drawLine(tip, tip + QPointF(-2.5, 2.5));
    p.drawLine(tip, tip + QPointF(2.5, 2.5));
}

} // namespace

SymbolButton::SymbolButton(Symbol symbol, QWidget *parent)
    : QAbstractButton(parent)
    , symbol_(symbol) {
    setFixedSize(28, 28);
    setFocusPolicy(Qt::TabFocus); // typing goes on in the editor after a click
    setAttribute(Qt::WA_Hover);
}

void SymbolButton::setSymbol(Symbol symbol) {
    symbol_ = symbol;
    update();
}

void SymbolButton::paintEvent(QPaintEvent *) {
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    const QPalette &pal = palette();
    const QRectF square = QRectF(rect()).adjusted(0.25, 0.25, -0.25, -0.25);
    const QPointF centre = QRectF(rect()).center();
    const QColor red = systemRed(pal);

    if (symbol_ == Symbol::RecordCircleFill)
        drawRecordCircleFill(p, square, centre, red);
    if (isDown() || underMouse()) {
        p.setPen(Qt::NoPen);
        p.setBrush(withAlpha(pal.color(QPalette::WindowText), isDown() ? 0.12f : 0.06f));
        p.drawRoundedRect(square, 5, 5);
    }
    if (hasFocus()) {
        p.setPen(QPen(pal.color(QPalette::Highlight), 1.5));
        p.setBrush(Qt::NoBrush);
        p.drawRoundedRect(square.adjusted(0.75, 0.75, -0.75, -0.75), 5, 5);
    }
    if (symbol_ == Symbol::RecordCircleFill)
        return;
    // The symbol of the 14-point system font's size, as the platform's own toolbars show it.
    if (const QIcon themed = QIcon::fromTheme(themeName(symbol_)); !themed.isNull()) {
        themed.paint(&p, QRect(QPoint(6, 6), QSize(16, 16)));
        return;
    }
    switch (symbol_) {
    case Symbol::RecordCircle:
        drawRecordCircle(p, centre, secondary(pal));
        break;
    case Symbol::RecordCircleFill:
        break;
    case Symbol::ExportDocument:
        drawExportDocument(p, centre, secondary(pal));
        break;
    }
}
