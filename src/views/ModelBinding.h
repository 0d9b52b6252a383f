// SPDX-License-Identifier: MIT
#pragma once

#include "Notemodel.h"
#include "Watcher.h"

#include <QObject>

#include <functional>
#include <utility>

class ModelObserver;
class NoteText;
class QPlainTextEdit;
class QTextCursor;

/// The editor's document bound both ways to the model's text, in patches whose cost follows the
/// edit, not the note: a change of the document patches the model, and the model's own changes
/// (stamps, another program's lines, clearing, the meeting header) patch the document. After
/// every change of the text that it has shown, it hands the turn to the model's
/// handleTextChange().
class ModelBinding : public QObject {
    Q_OBJECT
public:
    ModelBinding(NoteModel &model, QPlainTextEdit &editor, NoteText &text);

    /// Whether the document holds the note, a large one at least its end.
    bool isShown() const { return shown_; }
    /// Puts the model's whole text into the document, with a fresh undo history.
    void showWhole();
    /// Makes a change of the document that comes from the model, which it is not to hear of.
    void apply(const std::function<void()> &change);
    /// The document is about to show the note, a part of it first.
    void beginShowing() { shown_ = true; }
    /// Whether the model's text is changing because the document did.
    bool isEditingModel() const { return editingModel_; }
    /// Runs a pending refresh first: keys can arrive in one batch, and each must be seen on
    /// its own, or a line break typed right after other keys would never be seen as typed.
    void beforeUserEdit();

Q_SIGNALS:
    /// The model's own change of `position` is about to be patched into the document.
    void patching(qsizetype position, NoteModel::UndoStep step);
    /// The editor shows a new document; whatever it drew over the old one is gone.
    void documentReplaced();

private:
    void refresh();
    void connectDocument();
    void onContentsChange(int position, int removed, int added);
    void onModelReplaced(qsizetype position, qsizetype removed, qsizetype added,
                         NoteModel::UndoStep step);
    /// Where the caret's anchor and position go when the lines they are in are replaced.
    std::pair<qsizetype, qsizetype> placeOnItsLine(const QTextCursor &caret, qsizetype position,
                                                   qsizetype removed, qsizetype added) const;

    NoteModel &model_;
    QPlainTextEdit &editor_;
    NoteText &text_;
    ModelObserver *observer_;
    Watcher<quint64> textWatch_;
    bool shown_ = false;
    bool applying_ = false;
    bool editingModel_ = false;
    int documentLength_ = 0; // as of the last change seen, for the length that a change replaced
};
