// SPDX-License-Identifier: MIT
#pragma once

#include "Notemodel.h"
#include "Watcher.h"

#include <QPlainTextEdit>

class ModelObserver;

/// The plain-text editor, bound both ways to the model's text. After every change of the
/// text that it has shown, it hands the turn to the model's handleTextChange().
///
/// Edits travel as patches, in time proportional to the edit: the editor's change
/// notification patches the model, and the model's own changes (stamps, clearing, the meeting
/// header) patch the document. The document cannot hold a few characters as they are (it turns
/// CR, U+2029 and its frame markers into paragraph breaks); those stand in the document as a
/// visible symbol that carries the original character, so that the model's text is never
/// changed behind the user's back, whether typed, pasted, loaded or restored by undo.
class NoteEditor : public QPlainTextEdit {
    Q_OBJECT
public:
    explicit NoteEditor(NoteModel &model, QWidget *parent = nullptr);

    /// The note as the document holds it, characters stood in for restored; a full read.
    QString noteText();

protected:
    QMimeData *createMimeDataFromSelection() const override;
    void insertFromMimeData(const QMimeData *source) override;
    void keyPressEvent(QKeyEvent *event) override;
    void paintEvent(QPaintEvent *event) override;
    void inputMethodEvent(QInputMethodEvent *event) override;

private:
    void refresh();
    void beforeUserEdit();
    void onContentsChange(int position, int removed, int added);
    void onModelReplaced(qsizetype position, qsizetype removed, qsizetype added,
                         NoteModel::UndoStep step);
    void onModelAssigned();
    void replaceWhole(const QString &text);
    void ensureLoaded();
    QString readRange(int from, int to) const;
    void resetInheritedStandInFormat();

    NoteModel &model_;
    ModelObserver *observer_;
    Watcher<quint64> textWatch_;
    bool loaded_ = false;
    bool loadScheduled_ = false;
    bool applyingModel_ = false;
    bool hasStandIns_ = false; // stays set: it only spares the common note some work
    bool editingModel_ = false;
};
