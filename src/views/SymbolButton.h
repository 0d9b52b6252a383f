// SPDX-License-Identifier: MIT
#pragma once

#include <QAbstractButton>

/// A 28 × 28 borderless button with the icon theme's symbol, or where the theme has none its
/// own, drawn sharp at any pixel ratio in the colours of the current palette. Tab reaches it;
/// a click leaves the keyboard where it was.
class SymbolButton : public QAbstractButton {
    Q_OBJECT
public:
    enum class Symbol { RecordCircle, RecordCircleFill, ExportDocument };

    explicit SymbolButton(Symbol symbol, QWidget *parent = nullptr);
    Symbol symbol() const { return symbol_; }
    void setSymbol(Symbol symbol);
    QSize sizeHint() const override { return {28, 28}; }

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    Symbol symbol_;
};
