// SPDX-License-Identifier: MIT
// Earlier notes: what keeping a version costs the UI thread, and how soon the window lists and
// finds them when there are many.
#include "Clock.h"
#include "EarlierNotesWindow.h"
#include "FileDefaultsStore.h"
#include "Harness.h"
#include "NoteHistory.h"
#include "Notemodel.h"
#include "Setup.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QSettings>
#include <QTemporaryDir>

#include <cstdio>

namespace {

void earlierNotes() {
    std::printf("\n## Earlier notes\n\n");
    QTemporaryDir home;
    const SystemClock clock;
    const QString note = makeNote(10 * MB);

    // Clear of a 10 MB note: the UI thread hands the note over; the writer thread writes it.
    NoteHistory cleared(home.filePath(QStringLiteral("cleared")), clock);
    FileDefaultsStore store(
        home.filePath(QStringLiteral("mirt.note.autosave.txt")), {},
        std::make_unique<QSettings>(home.filePath(QStringLiteral("p.ini")), QSettings::IniFormat));
    store.setHistory(&cleared);
    Fixture f(QString(), &store);
    const Stats clear = measure(1, 10, [&] {
        f.model->setText(note);
        f.model->handleTextChange(); // as the editor does once it shows the note
        store.flush();
        const double ms = timed([&] { f.model->clearNote(); });
        store.flush();
        return ms;
    });
    report(QStringLiteral("Clear of a 10 MB note, UI thread"), clear);

    // A thousand versions of 200 KB each, 200 MB in all.
    NoteHistory many(home.filePath(QStringLiteral("many")), clock, 1024LL * 1024 * 1024);
    const QByteArray version = makeNote(200 * KB).toUtf8();
    for (int n = 0; n < 1000; ++n)
        many.keep(NoteHistory::Kind::BeforeClear,
                  version + (n == 10 ? "the budget, at last\n" : "") + QByteArray::number(n));
    const Stats open = measure(1, 5, [&] {
        return timed([&] {
            EarlierNotesWindow window(*f.model, many);
            window.show();
            QCoreApplication::processEvents(); // the first frame, with its rows
        });
    });
    report(QStringLiteral("Earlier Notes opened on 1,000 versions, to the first rows"), open);

    EarlierNotesWindow window(*f.model, many);
    window.show();
    QCoreApplication::processEvents();
    auto *list = window.findChild<QListView *>(QStringLiteral("versions"));
    QElapsedTimer finding;
    finding.start();
    window.findChild<QLineEdit *>(QStringLiteral("findEarlier"))
        ->setText(QStringLiteral("the budget, at last"));
    std::vector<double> turns;
    double firstHit = -1;
    const QLabel *status = window.findChild<QLabel *>(QStringLiteral("earlierStatus"));
    while (!status->text().endsWith(QStringLiteral(": 1")) || firstHit < 0) {
        turns.push_back(timed([] { QCoreApplication::processEvents(); }));
        if (firstHit < 0 && list->model()->rowCount() > 0)
            firstHit = double(finding.nsecsElapsed()) / 1e6;
    }
    const double all = double(finding.nsecsElapsed()) / 1e6;
    std::printf("| %-52s | %9.1f ms |\n", "find across 200 MB, until the only hit is listed",
                firstHit);
    std::printf("| %-52s | %9.1f ms |\n", "find across 200 MB, every version read", all);
    const double turn = reportTurns("event-loop turns while finding", turns);

    goal(QStringLiteral("28. Clear of a 10 MB note on the UI thread, p99"), clear.p99, 16.7,
         QStringLiteral("ms"));
    goal(QStringLiteral("28. Earlier Notes with 1,000 versions to the first row, median"),
         open.median, 300, QStringLiteral("ms"));
    goal(QStringLiteral("28. find across 200 MB of versions, first hit"), firstHit, 1000,
         QStringLiteral("ms"));
    goal(QStringLiteral("28. longest event-loop turn while finding, p99"), turn, 16.7,
         QStringLiteral("ms"));
}

} // namespace

const bool registered = registerCase("history", &earlierNotes);
