// SPDX-License-Identifier: MIT
// A 10 MB note arriving after its end is on screen.
#include "Cases.h"
#include "Setup.h"

#include "ContentView.h"
#include "NoteEditor.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTextDocument>

#include <cstdio>

void largeLoad() {
    std::printf("\n## A 10 MB note arriving after its end is on screen\n\n");
    Fixture f(makeNote(10 * MB));
    auto view = std::make_unique<ContentView>(*f.model);
    view->resize(420, 420);
    QElapsedTimer clock;
    clock.start();
    view->show();
    QTextDocument *document = view->editor()->document();
    while (document->characterCount() <= 1)
        QCoreApplication::processEvents();
    const double endShown = double(clock.nsecsElapsed()) / 1e6;
    std::vector<double> turns;
    while (!view->editor()->hasWholeNote())
        turns.push_back(timed([] { QCoreApplication::processEvents(); }));
    const double all = double(clock.nsecsElapsed()) / 1e6;
    std::printf("| %-52s | %9.1f ms |\n", "show, until the end of the note is on screen", endShown);
    std::printf("| %-52s | %9.1f ms |\n", "show, until the whole note is in the editor", all);
    goal(QStringLiteral("12. longest turn while a 10 MB note arrives, p99"),
         reportTurns("event-loop turns while the rest arrives", turns), 4.0, QStringLiteral("ms"));
}
