// SPDX-License-Identifier: MIT
#pragma once

#include <QObject>
#include <QTimer>

#include <optional>
#include <utility>
#include <vector>

class NoteEditor;
class NoteModel;
class SpellChecker;

/// What the editor draws over the note without changing it: the find bar's matches and the
/// wavy line under misspelled words. Both are worked out for the text on screen only, a moment
/// after the note or the view changes, so that neither a 10 MB note nor a keystroke pays for
/// them. Nothing here touches the document or its undo history.
class EditorDecorations : public QObject {
    Q_OBJECT
public:
    EditorDecorations(NoteEditor &editor, const NoteModel &model);

    /// Underlines what `checker` does not know; nothing when it is null.
    void setSpellChecker(SpellChecker *checker);
    SpellChecker *spellChecker() const { return checker_; }
    /// Highlights `matches` (positions of the note, sorted), each `length` long.
    void setMatches(std::vector<qsizetype> matches, qsizetype length);

    /// The misspelled word on screen at the note's `position`, as its start and length.
    std::optional<std::pair<qsizetype, qsizetype>> misspelledWordAt(qsizetype position) const;
    /// Brings the decorations up to date at once rather than a moment later.
    void refresh();

private:
    void schedule() { timer_.start(); }

    NoteEditor &editor_;
    const NoteModel &model_;
    SpellChecker *checker_ = nullptr;
    std::vector<qsizetype> matches_;
    qsizetype matchLength_ = 0;
    std::vector<std::pair<qsizetype, qsizetype>> misspelled_; // in the note
    QTimer timer_;
};
