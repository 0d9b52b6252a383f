// SPDX-License-Identifier: MIT
#pragma once

#include "NoteSearch.h"

#include <QTimer>
#include <QWidget>

class NoteEditor;
class NoteModel;
class QLabel;
class QLineEdit;
class QPushButton;
class QToolButton;

/// The find bar at the bottom of the window, in the way of the editors people know: it finds
/// as the user types, steps to the next and the previous match, wraps around, counts the
/// matches ("3 of 41"), and replaces one or all of them. It reads the model's text and changes
/// it only through the editor, as an edit the user can undo.
class FindBar : public QWidget {
    Q_OBJECT
public:
    FindBar(NoteModel &model, NoteEditor &editor, QWidget *parent = nullptr);

    /// Shows the bar with the selected text in it; with `replace`, the replace row too.
    void open(bool replace);
    void findNext();
    void findPrevious();
    void replace();
    void replaceAll();
    /// Hides the bar and gives the keyboard back to the editor, the match still selected.
    void close();

protected:
    void keyPressEvent(QKeyEvent *event) override;

private:
    void find(qsizetype from, bool backwards);
    const std::vector<qsizetype> &matches() const;
    void showCount(qsizetype current, bool wrapped);
    NoteSearch::Options options() const;
    bool selectionIsMatch() const;

    NoteModel &model_;
    NoteEditor &editor_;
    mutable NoteSearch search_; // a cache of the matches for the note as it is
    QLineEdit *findField_;
    QLineEdit *replaceField_;
    QToolButton *matchCase_;
    QToolButton *wholeWords_;
    QLabel *count_;
    QWidget *replaceRow_;
    QTimer recount_{this};
};
