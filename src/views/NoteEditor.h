// SPDX-License-Identifier: MIT
#pragma once

#include "LargeNoteArrival.h"
#include "ModelBinding.h"
#include "NoteKeys.h"
#include "NoteLines.h"
#include "NoteText.h"
#include "SpellingMenu.h"
#include "Typing.h"
#include "ZoomGestures.h"

#include <QBasicTimer>
#include <QPlainTextEdit>

#include <utility>
#include <vector>

class EditorDecorations;
class NoteModel;
class SpellChecker;

/// The plain-text editor, bound both ways to the model's text. It is the toolkit's editor with
/// the mechanisms that let it hold any note, each in a class of its own: the binding to the
/// model, the note as its document holds it (characters stood in for, long lines in pieces),
/// the arrival of a large note, the keys and clicks that act on the note's words and lines,
/// what it draws over the note, the spelling menu, and zoom by wheel and pinch.
///
/// Everything it offers works in positions of the note, which differ from the document's by
/// the soft breaks between pieces and by a large note's part not yet arrived.
class NoteEditor : public QPlainTextEdit {
    Q_OBJECT
public:
    explicit NoteEditor(NoteModel &model, QWidget *parent = nullptr);

    /// The note as the document holds it, characters stood in for restored; a full read.
    QString noteText();

    /// Replaces the text at `position` as one step the user can undo, and selects it.
    void replaceRange(qsizetype position, qsizetype length, const QString &text);
    /// Replaces every stretch of `length` at `positions` (sorted) as one undo step.
    void replaceAll(const std::vector<qsizetype> &positions, qsizetype length, const QString &text);
    /// Selects `length` characters at `position` and shows them.
    void selectRange(qsizetype position, qsizetype length);
    /// Selects the whole note, the part still arriving too.
    void selectWholeNote();
    /// Whether the note (at least its end, for a large one) is on screen.
    bool isShowingNote() const { return binding_.isShown(); }
    /// Whether the whole note is in the document, a large one's earlier part included.
    bool hasWholeNote() const { return binding_.isShown() && !arrival_.isArriving(); }

    using Side = NoteText::Side;
    /// The note's position of a place in the document.
    qsizetype notePosition(int documentPosition) const {
        return text_.notePosition(documentPosition);
    }
    /// The document's place of a position of the note that it holds.
    int documentPosition(qsizetype notePosition, Side side = Side::After) const {
        return text_.documentPosition(notePosition, side);
    }
    /// The selection, as positions of the note.
    std::pair<qsizetype, qsizetype> noteSelection() const;
    /// The selected text as the note has it.
    QString selectedNoteText() const;
    /// The note's lines, for whatever works by lines.
    const NoteLines &lines() const { return lines_; }

    EditorDecorations &decorations() const { return *decorations_; }
    /// Checks the spelling of the words on screen with `checker`; none when it is null.
    void setSpellChecker(SpellChecker *checker);

protected:
    void keyPressEvent(QKeyEvent *event) override;
    void inputMethodEvent(QInputMethodEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    QMimeData *createMimeDataFromSelection() const override;
    void insertFromMimeData(const QMimeData *source) override;
    void contextMenuEvent(QContextMenuEvent *event) override;
    void paintEvent(QPaintEvent *event) override;
    void wheelEvent(QWheelEvent *event) override;
    void timerEvent(QTimerEvent *event) override;
    bool event(QEvent *event) override;

private:
    void beforeUserEdit();
    void keepSelectionOnTheNote();

    NoteText text_;
    NoteLines lines_;
    ModelBinding binding_;
    LargeNoteArrival arrival_;
    NoteKeys keys_;
    Typing typing_;
    EditorDecorations *decorations_;
    SpellingMenu spellingMenu_;
    ZoomGestures zoom_;
    bool pressing_ = false;
    QBasicTimer thirdClick_; // while a click is the third of a triple click
    QPoint doubleClickedAt_;
};
