// SPDX-License-Identifier: MIT
#pragma once

#include "TextCounts.h"

#include <QTimer>
#include <QWidget>

class NoteEditor;
class NoteModel;

/// The note's words and characters, or the selection's while there is one, in a line of small
/// text. It counts only while it is shown, and then each edit in time in proportion to it; it
/// says so a moment after typing stops, so that a key never waits for it to be drawn.
class CountLabel : public QWidget {
    Q_OBJECT
public:
    CountLabel(NoteModel &model, NoteEditor &editor, QWidget *parent = nullptr);

    /// What it says now.
    QString text() const { return text_; }
    QSize sizeHint() const override;

protected:
    void showEvent(QShowEvent *event) override;
    void hideEvent(QHideEvent *event) override;
    void paintEvent(QPaintEvent *event) override;

private:
    void refresh();

    NoteModel &model_;
    NoteEditor &editor_;
    TextCounts counts_;
    QString text_;
    QTimer refresh_{this};
    bool counting_ = false;
};
