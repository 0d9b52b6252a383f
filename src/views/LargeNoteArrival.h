// SPDX-License-Identifier: MIT
#pragma once

#include "Notemodel.h"

#include <QObject>

#include <functional>

class ModelBinding;
class NoteText;
class QPlainTextEdit;

/// A large note comes on screen after the window's first frame: its end first, with the caret
/// there, then the earlier lines a slice a turn of the event loop at the document's start,
/// while the view keeps showing what it showed. Typing and pasting work in the part shown;
/// whatever reaches further (a key that goes up past it, find, Select All, a change made by
/// another program) brings the rest in at once first. Nothing typed while the rest arrives can
/// be undone: the slices would move it.
class LargeNoteArrival : public QObject {
    Q_OBJECT
public:
    /// Notes larger than this (in UTF-16 units) arrive after the first frame.
    static constexpr qsizetype deferredSize = 512 * 1024;

    LargeNoteArrival(NoteModel &model, QPlainTextEdit &editor, NoteText &text,
                     ModelBinding &binding);

    bool isArriving() const;
    /// A frame was painted: the first one makes way for the note.
    void afterPaint();
    /// Shows the end of the note now, if nothing of it is on screen yet.
    void showEnd();
    /// Brings in the rest of the note at once.
    void complete();
    /// Runs a key that `run` hands to the editor. When it went as far up as the part shown
    /// reaches, it may have meant to go further: it runs again, from where it started, on the
    /// whole note.
    void runKey(const std::function<void()> &run);

private:
    void onPatching(qsizetype position, NoteModel::UndoStep step);
    void loadEarlierSlice();
    void insertEarlier(qsizetype from, const QString &note);
    bool isInFirstRow() const;

    NoteModel &model_;
    QPlainTextEdit &editor_;
    NoteText &text_;
    ModelBinding &binding_;
    bool scheduled_ = false;
    // The note as it was before a change of the model's own reached it while it arrives: the
    // rest arrives from it, and the change becomes a step that undo can take back.
    QString before_;
};
