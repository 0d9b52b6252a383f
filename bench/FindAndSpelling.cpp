// SPDX-License-Identifier: MIT
// Find in months of minutes, and what spell checking costs the keys.
#include "Cases.h"
#include "Setup.h"

#include "ContentView.h"
#include "FindBar.h"
#include "NoteEditor.h"
#include "SpellChecker.h"

#include <QCoreApplication>
#include <QLineEdit>
#include <QStringList>

#include <cstdio>

void findAndSpelling() {
    std::printf("\n## Find and spelling in a 10 MB note\n\n");
    Fixture f(makeNote(10 * MB));
    auto view = shownContent(*f.model);
    FindBar *bar = view->findBar();
    auto *field = bar->findChild<QLineEdit *>(QStringLiteral("findField"));
    bar->open(false);
    const Stats next = measure(5, 100, [&] { return timed([&] { bar->findNext(); }); });
    const QStringList typed = {QStringLiteral("d"), QStringLiteral("da"), QStringLiteral("das"),
                               QStringLiteral("dash"), QStringLiteral("dashb")};
    int i = 0;
    const Stats incremental = measure(5, 100, [&] {
        const QString text = typed[i++ % typed.size()];
        return timed([&] { field->setText(text); });
    });
    bar->close();
    report(QStringLiteral("find next, 10 MB"), next);
    report(QStringLiteral("incremental find keystroke, 10 MB"), incremental);

    NoteEditor *editor = view->editor();
    editor->moveCursor(QTextCursor::End);
    const auto typing = [&] {
        return measure(20, 200, [&] {
            const double ms = timed([&] {
                key(editor, Qt::Key_X, QStringLiteral("x"));
                QCoreApplication::processEvents();
            });
            key(editor, Qt::Key_Backspace, QString());
            QCoreApplication::processEvents();
            return ms;
        });
    };
    const Stats off = typing();
    SpellChecker checker;
    editor->setSpellChecker(&checker);
    const Stats on = typing();
    editor->setSpellChecker(nullptr);
    report(QStringLiteral("painted keystroke, 10 MB, spelling off"), off);
    report(QStringLiteral("painted keystroke, 10 MB, spelling on"), on);
    goal(QStringLiteral("11. find next, 10 MB, p99"), next.p99, 20, QStringLiteral("ms"));
    goal(QStringLiteral("11. incremental find keystroke, 10 MB, p99"), incremental.p99, 16.7,
         QStringLiteral("ms"));
    goal(QStringLiteral("11. keystroke p99 with spelling on / off"), on.p99 / off.p99, 1.2,
         QStringLiteral("x"));
}
