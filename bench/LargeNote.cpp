// SPDX-License-Identifier: MIT
// A 10 MB note arriving after its end is on screen.
#include "Cases.h"
#include "Setup.h"

#include "ContentView.h"
#include "FileDefaultsStore.h"
#include "NoteEditor.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QSettings>
#include <QTemporaryDir>
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

// A note far larger than anyone types, read through the real store at start: bound by memory
// bandwidth, it touches the bytes and the text, three times its size.
void hugeLoad() {
    std::printf("\n## A 200 MB note read at start\n\n");
    QTemporaryDir home;
    const QString path = home.filePath(QStringLiteral("mirt.note.autosave.txt"));
    constexpr qsizetype size = 200 * 1024 * 1024;
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(QByteArray(size, 'h')) != size)
        qFatal("cannot write the note");
    file.close();
    const Stats load = measure(0, 3, [&] {
        return timed([&] {
            FileDefaultsStore store(
                path, {},
                std::make_unique<QSettings>(home.filePath(QStringLiteral("p.ini")),
                                            QSettings::IniFormat));
            Fixture f(QString(), &store);
            if (f.model->text().size() != size)
                qFatal("the note was not read whole");
        });
    });
    report(QStringLiteral("start on a 200 MB note, through the real store"), load);
    goal(QStringLiteral("26. start on a 200 MB note, per 50 MB, median"), load.median / 4, 1000,
         QStringLiteral("ms"));
}
