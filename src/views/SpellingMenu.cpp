// SPDX-License-Identifier: MIT
#include "SpellingMenu.h"

#include "EditorDecorations.h"
#include "NoteEditor.h"
#include "Notemodel.h"
#include "SpellChecker.h"

#include <QMenu>
#include <QTextCursor>

void SpellingMenu::addTo(QMenu &menu, qsizetype position) {
    SpellChecker *checker = editor_.decorations().spellChecker();
    const auto word = checker ? editor_.decorations().misspelledWordAt(position) : std::nullopt;
    if (!word)
        return;
    const QString misspelled = model_.text().mid(word->first, word->second);
    // The document moves a cursor with every change made before it.
    QTextCursor where(editor_.document());
    where.setPosition(editor_.documentPosition(word->first));
    where.setPosition(
        editor_.documentPosition(word->first + word->second, NoteEditor::Side::Before),
        QTextCursor::KeepAnchor);
    QAction *first = menu.actions().value(0);
    for (const QString &suggestion : checker->suggestions(misspelled).mid(0, 8)) {
        auto *use = new QAction(suggestion, &menu);
        QObject::connect(use, &QAction::triggered, &editor_, [this, where, misspelled, suggestion] {
            if (where.document() != editor_.document())
                return; // the note was replaced as a whole
            const qsizetype from = editor_.notePosition(where.selectionStart());
            const qsizetype to = editor_.notePosition(where.selectionEnd());
            if (QStringView(model_.text()).sliced(from, to - from) == misspelled)
                editor_.replaceRange(from, to - from, suggestion);
        });
        menu.insertAction(first, use);
    }
    auto *add = new QAction(NoteEditor::tr("Add to Dictionary"), &menu);
    QObject::connect(add, &QAction::triggered, &editor_,
                     [checker, misspelled] { checker->addToDictionary(misspelled); });
    auto *ignore = new QAction(NoteEditor::tr("Ignore"), &menu);
    QObject::connect(ignore, &QAction::triggered, &editor_,
                     [checker, misspelled] { checker->ignore(misspelled); });
    menu.insertActions(first, {add, ignore});
    menu.insertSeparator(first);
}
