// SPDX-License-Identifier: MIT
#pragma once

#include <QtGlobal>

class NoteEditor;
class NoteModel;
class QMenu;

/// What the context menu offers for a misspelled word: the dictionary's suggestions, Add to
/// Dictionary and Ignore. A suggestion replaces the word where it is when it is chosen: the note
/// may change while the menu is open, another program's lines taken in, and the word moves with
/// it or is gone.
class SpellingMenu {
public:
    SpellingMenu(NoteEditor &editor, const NoteModel &model)
        : editor_(editor)
        , model_(model) {}

    /// Puts the entries for the word at the note's `position` at the top of `menu`, if the
    /// word is misspelled.
    void addTo(QMenu &menu, qsizetype position);

private:
    NoteEditor &editor_;
    const NoteModel &model_;
};
