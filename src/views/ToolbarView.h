// SPDX-License-Identifier: MIT
#pragma once

#include <QAbstractButton>
#include <QWidget>

#include <optional>

class NoteModel;

/// A 28 × 28 borderless button that draws its own symbol, sharp at any pixel ratio and in the
/// colours of the current palette.
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

/// The slim row along the bottom of the window: the meeting button and the export button at
/// its trailing end.
class ToolbarView : public QWidget {
    Q_OBJECT
public:
    explicit ToolbarView(NoteModel &model, QWidget *parent = nullptr);

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    void refresh();
    void meetingClicked();

    NoteModel &model_;
    SymbolButton *meeting_;
    SymbolButton *export_;
    std::optional<bool> shownMeetingMode_;
};
