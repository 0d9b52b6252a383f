// SPDX-License-Identifier: MIT
// A key typed, to the model and to a painted frame, in notes of every size.
#include "Cases.h"
#include "Setup.h"

#include "ContentView.h"
#include "NoteEditor.h"

#include <QGuiApplication>
#include <QMap>
#include <QPlainTextEdit>

#include <cstdio>

void keystrokeToModel() {
    std::printf("\n## Keystroke to model, without painting\n\n");
    QMap<qsizetype, Stats> results;
    for (qsizetype size : sizes) {
        Fixture f(makeNote(size));
        auto view = shownContent(*f.model);
        NoteEditor *editor = view->editor();
        results[size] = measure(20, runsFor(size), [&] {
            const double ms = timed([&] {
                key(editor, Qt::Key_X, QStringLiteral("x"));
                runRefreshes();
            });
            key(editor, Qt::Key_Backspace, QString());
            QCoreApplication::processEvents();
            return ms;
        });
        report(QStringLiteral("keystroke to model, %1").arg(sizeName(size)), results[size]);
    }
    goal(QStringLiteral("1. keystroke to model, p99 1 MB / 10 KB"),
         results[MB].p99 / results[10 * KB].p99, 1.5, QStringLiteral("x"));
    goal(QStringLiteral("1. keystroke to model, p99 10 MB / 10 KB"),
         results[10 * MB].p99 / results[10 * KB].p99, 1.5, QStringLiteral("x"));
}

void paintedKeystrokes() {
    const QString platform = QGuiApplication::platformName();
    std::printf("\n## Keystroke to painted frame (%s)\n\n", qPrintable(platform));
    for (qsizetype size : sizes) {
        const QString note = makeNote(size);
        Stats ours;
        {
            Fixture f(note);
            auto view = shownContent(*f.model);
            ours = paintedKeystroke(view->editor(), runsFor(size));
        }
        Stats bare;
        {
            auto editor = shownBareEditor(note);
            editor->moveCursor(QTextCursor::End);
            bare = paintedKeystroke(editor.get(), runsFor(size));
        }
        report(QStringLiteral("painted keystroke, Mirt, %1, %2").arg(sizeName(size), platform),
               ours);
        report(
            QStringLiteral("painted keystroke, bare editor, %1, %2").arg(sizeName(size), platform),
            bare);
        goal(QStringLiteral("2. painted keystroke p99 vs bare editor, %1, %2")
                 .arg(sizeName(size), platform),
             ours.p99 / bare.p99, 1.2, QStringLiteral("x"));
        goal(QStringLiteral("2. painted keystroke p99, %1, %2").arg(sizeName(size), platform),
             ours.p99, 4.0, QStringLiteral("ms"));
    }
}
