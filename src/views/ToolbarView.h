// SPDX-License-Identifier: MIT
#pragma once

#include <QWidget>

#include <optional>

class NoteModel;
class QHBoxLayout;
class SymbolButton;

/// The slim row along the bottom of the window: the meeting button and the export button at
/// its trailing end.
class ToolbarView : public QWidget {
    Q_OBJECT
public:
    explicit ToolbarView(NoteModel &model, QWidget *parent = nullptr);
    /// Puts `widget` in the row's leading end, before the buttons.
    void setLeading(QWidget *widget);

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    void refresh();

    NoteModel &model_;
    SymbolButton *meeting_;
    SymbolButton *export_;
    QHBoxLayout *row_;
    std::optional<bool> shownMeetingMode_;
};
