// SPDX-License-Identifier: MIT
// Edits the model makes to the editor: a stamp, clearing, the meeting header.
#include "Cases.h"
#include "Setup.h"

#include "ContentView.h"
#include "NoteEditor.h"

#include <QCoreApplication>
#include <QMap>
#include <QPointer>
#include <QTextDocument>

#include <cstdio>
#include <functional>

void meetingReturn() {
    std::printf("\n## Return at the end in meeting mode, stamp included\n\n");
    QMap<qsizetype, Stats> results;
    for (qsizetype size : {10 * KB, 10 * MB}) {
        Fixture f{QString()};
        f.model->startMeetingMode();
        f.model->setText(f.model->text() + makeNote(size));
        f.model->handleTextChange();
        auto view = shownContent(*f.model);
        NoteEditor *editor = view->editor();
        results[size] = measure(10, runsFor(size), [&] {
            key(editor, Qt::Key_A, QStringLiteral("a")); // a line with text, not just a stamp
            QCoreApplication::processEvents();
            const qsizetype before = f.model->text().size();
            const double ms = timed([&] {
                key(editor, Qt::Key_Return, QStringLiteral("\r"));
                runRefreshes();
            });
            if (f.model->text().size() != before + 9)
                qFatal("no stamp was added");
            QCoreApplication::processEvents();
            return ms;
        });
        report(QStringLiteral("Return + stamp in meeting mode, %1").arg(sizeName(size)),
               results[size]);
    }
    goal(QStringLiteral("3. Return + stamp p99, 10 MB"), results[10 * MB].p99, 2.0,
         QStringLiteral("ms"));
    goal(QStringLiteral("5. stamp edit p99 10 MB / 10 KB"),
         results[10 * MB].p99 / results[10 * KB].p99, 1.5, QStringLiteral("x"));
}

void wholeNoteEdits() {
    std::printf("\n## Edits the model makes to the editor\n\n");
    QMap<QString, Stats> results;
    std::vector<double> freeing;
    for (qsizetype size : {10 * KB, 10 * MB}) {
        const QString note = makeNote(size);
        Fixture f(note);
        auto view = shownContent(*f.model);
        const auto edit = [&](const QString &name, const std::function<void()> &operation) {
            const Stats stats = measure(2, size >= 10 * MB ? 15 : 100, [&] {
                f.model->setText(note);
                QCoreApplication::processEvents();
                const QPointer<QTextDocument> old = view->editor()->document();
                const double ms = timed([&] {
                    operation();
                    runRefreshes();
                });
                // A large old document is freed in the turns that follow.
                while (old && old != view->editor()->document())
                    freeing.push_back(timed([] {
                        QCoreApplication::processEvents();
                        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
                    }));
                return ms;
            });
            results[name + sizeName(size)] = stats;
            report(QStringLiteral("%1, %2").arg(name, sizeName(size)), stats);
        };
        edit(QStringLiteral("clear note"), [&] { f.model->clearNote(); });
        edit(QStringLiteral("meeting header"), [&] { f.model->startMeetingMode(); });
    }
    // Both replace the whole note: the edit is the note, so the bound is one 60 Hz frame.
    for (const QString &name : {QStringLiteral("clear note"), QStringLiteral("meeting header")})
        goal(QStringLiteral("5. %1 p99, 10 MB").arg(name),
             results[name + QStringLiteral("10 MB")].p99, 16.7, QStringLiteral("ms"));
    goal(QStringLiteral("5. longest turn while the old document is freed, p99"),
         reportTurns("event-loop turns while the old 10 MB document is freed", freeing), 4.0,
         QStringLiteral("ms"));
}
