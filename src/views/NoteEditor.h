// SPDX-License-Identifier: MIT
#pragma once

#include "Notemodel.h"
#include "Watcher.h"

#include <QPlainTextEdit>

#include <utility>
#include <vector>

class EditorDecorations;
class ModelObserver;
class SpellChecker;

/// The plain-text editor, bound both ways to the model's text. After every change of the
/// text that it has shown, it hands the turn to the model's handleTextChange().
///
/// Edits travel as patches, in time proportional to the edit: the editor's change
/// notification patches the model, and the model's own changes (stamps, clearing, the meeting
/// header) patch the document. The document cannot hold a few characters as they are (it turns
/// CR, U+2029 and its frame markers into paragraph breaks); those stand in the document as a
/// visible symbol that carries the original character, so that the model's text is never
/// changed behind the user's back, whether typed, pasted, loaded or restored by undo.
///
/// The document lays out a whole paragraph whenever one character of it changes, so a line of
/// a megabyte would cost a frame per key many times over. Such a line is held as pieces joined
/// by soft breaks: paragraph breaks that the note does not have, marked in their format, which
/// undo keeps. Positions in the document and in the note differ by the soft breaks before
/// them; `notePosition()` and `documentPosition()` translate.
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
    /// Selects the whole note, the part still loading too.
    void selectWholeNote();
    /// Whether the note (at least its end, for a large one) is on screen.
    bool isShowingNote() const { return loaded_; }
    /// Whether the whole note is in the document, a large one's earlier part included.
    bool hasWholeNote() const { return loaded_ && unloaded_ == 0; }

    /// Which side of a soft break a note position that falls on one is placed: the end of a
    /// range before it, a caret or the start of a range after it.
    enum class Side { Before, After };
    /// The note's position of a place in the document.
    qsizetype notePosition(int documentPosition) const;
    /// The document's place of a position of the note that it holds.
    int documentPosition(qsizetype notePosition, Side side = Side::After) const;
    /// The selection, as positions of the note.
    std::pair<qsizetype, qsizetype> noteSelection() const;
    /// The selected text as the note has it.
    QString selectedNoteText() const;

    EditorDecorations &decorations() const { return *decorations_; }
    /// Checks the spelling of the words on screen with `checker`; none when it is null.
    void setSpellChecker(SpellChecker *checker);

protected:
    QMimeData *createMimeDataFromSelection() const override;
    void insertFromMimeData(const QMimeData *source) override;
    void keyPressEvent(QKeyEvent *event) override;
    void paintEvent(QPaintEvent *event) override;
    void inputMethodEvent(QInputMethodEvent *event) override;
    void contextMenuEvent(QContextMenuEvent *event) override;
    void wheelEvent(QWheelEvent *event) override;
    bool event(QEvent *event) override;

private:
    void refresh();
    void beforeUserEdit();
    void onContentsChange(int position, int removed, int added);
    void onModelReplaced(qsizetype position, qsizetype removed, qsizetype added,
                         NoteModel::UndoStep step);
    void onModelAssigned();
    void replaceWhole(const QString &text);
    void replaceDocument();
    void ensureLoaded();
    void showEnd();
    void loadEarlierSlice();
    void insertEarlier(qsizetype from);
    QString readRange(int from, int to) const;
    void insertNoteText(QTextCursor &cursor, QStringView text, bool softBreakAtEnd = false);
    void insertSoftBreak(QTextCursor &cursor);
    int trackSoftBreaks(int position, int removed, int added);
    bool isSoftBreak(int documentPosition) const;
    void stepOverSoftBreak(const QKeyEvent *event);
    void resetInheritedFormat();

    NoteModel &model_;
    ModelObserver *observer_;
    EditorDecorations *decorations_;
    Watcher<quint64> textWatch_;
    bool loaded_ = false;
    // Characters at the start of the note that the document does not hold yet: a large note is
    // shown from its end, and the rest arrives in slices.
    qsizetype unloaded_ = 0;
    bool loadScheduled_ = false;
    bool applyingModel_ = false;
    bool hasStandIns_ = false; // stays set: it only spares the common note some work
    // Where the soft breaks are in the document, in order. Set while the undo history may
    // bring one back; a note without long lines never pays for them.
    std::vector<int> softBreaks_;
    bool hasSoftBreaks_ = false;
    int documentLength_ = 0; // as of the last change seen, for the length that a change replaced
    bool editingModel_ = false;
    qreal pinch_ = 0; // a pinch comes in small steps; a font size step takes a quarter
};
