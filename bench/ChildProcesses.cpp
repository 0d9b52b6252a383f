// SPDX-License-Identifier: MIT
// Start-up, memory and the peer editor, measured in child processes of this program.
#include "Cases.h"
#include "Setup.h"

#include "ContentView.h"
#include "MainWindow.h"
#include "MirtApp.h"
#include "NoteEditor.h"
#include "NoteFont.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QPlainTextEdit>
#include <QProcess>
#include <QSettings>
#include <QStandardPaths>
#include <QThread>
#include <QTimer>

#include <csignal>
#include <cstdio>

namespace {

// Milliseconds until the process has a mapped window, then its peak memory once settled.
std::pair<double, double> launchToWindow(const QString &program, const QStringList &arguments,
                                         const Home &home) {
    QProcess app;
    app.setProcessEnvironment(home.env);
    QElapsedTimer clock;
    clock.start();
    app.start(program, arguments);
    app.waitForStarted();
    double ms = -1;
    while (clock.elapsed() < 60000) {
        QProcess search;
        search.start(QStringLiteral("xdotool"),
                     {QStringLiteral("search"), QStringLiteral("--onlyvisible"),
                      QStringLiteral("--pid"), QString::number(app.processId())});
        search.waitForFinished();
        if (!search.readAllStandardOutput().trimmed().isEmpty()) {
            ms = double(clock.nsecsElapsed()) / 1e6;
            break;
        }
        QThread::msleep(5);
    }
    QThread::msleep(1500);
    const double peak = peakMemoryMiB(app.processId());
    ::kill(app.processId(), SIGTERM);
    if (!app.waitForFinished(10000))
        app.kill();
    return {ms, peak};
}

/// Prints one line once `widget` has painted its first frame, then ends the event loop.
class FirstFrame : public QObject {
public:
    /// With `waitForNote`, only a frame that shows the note counts.
    explicit FirstFrame(QPlainTextEdit *editor, bool waitForNote = false)
        : editor_(editor)
        , waitForNote_(waitForNote) {
        editor->viewport()->installEventFilter(this);
    }
    bool eventFilter(QObject *, QEvent *event) override {
        if (event->type() == QEvent::Paint && !seen_ &&
            (!waitForNote_ || editor_->document()->characterCount() > 1)) {
            seen_ = true;
            QTimer::singleShot(0, [] {
                std::printf("painted\n");
                std::fflush(stdout);
                QCoreApplication::exit(0);
            });
        }
        return false;
    }

private:
    QPlainTextEdit *editor_;
    bool waitForNote_;
    bool seen_ = false;
};

} // namespace

void startup() {
    std::printf("\n## Start-up, process start to first painted frame\n\n");
    Home empty{QString()};
    Home small(makeNote(10 * KB));
    Home large(makeNote(10 * MB));
    const auto run = [](const Home &home, const QStringList &arguments, int runs) {
        return measure(2, runs, [&] { return startupOnce(home, arguments); });
    };
    const QStringList app{QStringLiteral("--startup"), QStringLiteral("app")};
    const Stats sEmpty = run(empty, app, 20);
    const Stats sSmall = run(small, app, 20);
    const Stats sLarge = run(large, app, 10);
    const Stats sLargeNote =
        run(large, {QStringLiteral("--startup"), QStringLiteral("app-note")}, 10);
    const Stats sBare =
        run(large, {QStringLiteral("--startup"), QStringLiteral("bare"), large.notePath()}, 10);
    Home unchecked(makeNote(10 * MB));
    QSettings(unchecked.dir.filePath(QStringLiteral("config/Mirt/Mirt.conf")), QSettings::IniFormat)
        .setValue(QStringLiteral("mirt.spelling.enabled"), false);
    const Stats sUnchecked =
        run(unchecked, {QStringLiteral("--startup"), QStringLiteral("app-note")}, 10);
    report(QStringLiteral("start-up, empty note"), sEmpty);
    report(QStringLiteral("start-up, 10 KB note"), sSmall);
    report(QStringLiteral("start-up, 10 MB note, first frame"), sLarge);
    report(QStringLiteral("start-up, 10 MB note, first frame with the note"), sLargeNote);
    report(QStringLiteral("start-up, bare editor reading the 10 MB file"), sBare);
    goal(QStringLiteral("6. start-up p99, 10 KB / empty"), sSmall.p99 / sEmpty.p99, 1.2,
         QStringLiteral("x"));
    report(QStringLiteral("start-up, 10 MB note on screen, spelling off"), sUnchecked);
    goal(QStringLiteral("6. start-up p99, 10 MB note on screen / bare editor"),
         sLargeNote.p99 / sBare.p99, 1.2, QStringLiteral("x"));
    goal(QStringLiteral("11. start-up p99, 10 MB note, spelling on / off"),
         sLargeNote.p99 / sUnchecked.p99, 1.1, QStringLiteral("x"));
    // Ten child processes a case: the median, since their p99 is the slowest one.
    goal(QStringLiteral("12. start-up median, 10 MB note on screen / 10 KB note"),
         sLargeNote.median / sSmall.median, 1.2, QStringLiteral("x"));
}

void memory() {
    std::printf("\n## Peak memory (VmHWM) with a large note\n\n");
    // Each note in a process of its own: the peak after loading, and after 200 keys and a save
    // (and, for the 10 MB note, after Clear and Undo as well).
    const auto peaks = [](const QString &note) {
        Home home(note);
        QProcess child;
        child.setProcessEnvironment(home.env);
        child.start(self(), {QStringLiteral("--memory")});
        child.waitForFinished(120000);
        QList<double> figures;
        for (const QString &figure : QString::fromLatin1(child.readAllStandardOutput())
                                         .split(u'\n', Qt::SkipEmptyParts)
                                         .last()
                                         .split(u' '))
            figures << figure.toDouble();
        if (figures.size() != 3)
            qFatal("memory child failed");
        return figures;
    };
    const QList<double> small = peaks(makeNote(10 * KB));
    const QList<double> large = peaks(makeNote(10 * MB));
    const QList<double> line = peaks(makeNote(1 * MB, false));
    const auto row = [](const char *name, double mib) {
        std::printf("| %-52s | %9.1f MiB |\n", name, mib);
    };
    row("10 KB note: peak after typing and a save", small[1]);
    row("10 MB note: peak after loading", large[0]);
    row("10 MB note: peak after 200 keys and a save", large[1]);
    row("10 MB note: peak after Clear and Undo too", large[2]);
    row("1 MB single line: peak after loading", line[0]);
    row("1 MB single line: peak after 200 keys and a save", line[1]);
    const double noteMiB = 10.0 * MB / (1024 * 1024);
    goal(QStringLiteral("7. peak memory after typing and saving / after loading"),
         large[1] / large[0], 1.15, QStringLiteral("x"));
    goal(QStringLiteral("29. 10 MB note's peak above a 10 KB note's, in note sizes"),
         (large[1] - small[1]) / noteMiB, 2.5, QStringLiteral("x"));
    goal(QStringLiteral("29. 1 MB line: peak after typing and saving / after loading"),
         line[1] / line[0], 1.2, QStringLiteral("x"));
    goal(QStringLiteral("29. 10 MB note: peak after Clear and Undo / after loading"),
         large[2] / large[0], 1.2, QStringLiteral("x"));
}

void peer(const QString &mirtBinary) {
    std::printf("\n## Against FeatherPad, 10 MB note, under Xvfb\n\n");
    if (QStandardPaths::findExecutable(QStringLiteral("featherpad")).isEmpty()) {
        std::printf("featherpad is not installed: `make bench` installs it\n");
        goal(QStringLiteral("8. peer comparison ran"), 1, 0, QString());
        return;
    }
    const QString note = makeNote(10 * MB);
    std::vector<double> oursMs, peerMs, oursMiB, peerMiB;
    for (int run = 0; run < 5; ++run) {
        Home ours(note);
        const auto [ms, mib] = launchToWindow(mirtBinary, {}, ours);
        oursMs.push_back(ms);
        oursMiB.push_back(mib);
        Home theirs(note);
        const auto [pms, pmib] =
            launchToWindow(QStringLiteral("featherpad"), {theirs.notePath()}, theirs);
        peerMs.push_back(pms);
        peerMiB.push_back(pmib);
    }
    const auto median = [](std::vector<double> v) {
        std::sort(v.begin(), v.end());
        return v[v.size() / 2];
    };
    std::printf("| %-52s | %9.1f ms | %9.1f MiB |\n", "Mirt, start to mapped window, peak",
                median(oursMs), median(oursMiB));
    std::printf("| %-52s | %9.1f ms | %9.1f MiB |\n", "FeatherPad, start to mapped window, peak",
                median(peerMs), median(peerMiB));
    goal(QStringLiteral("8. start to mapped window, median Mirt / FeatherPad"),
         median(oursMs) / median(peerMs), 1.0, QStringLiteral("x"));
    goal(QStringLiteral("8. peak memory, median Mirt / FeatherPad"),
         median(oursMiB) / median(peerMiB), 1.0, QStringLiteral("x"));
}

int startupChild(int argc, char **argv) {
    if (qstrncmp(argv[2], "app", 3) == 0) {
        int appArgc = 1; // the options above are the benchmark's, not the app's
        MirtApp app(appArgc, argv);
        if (!app.start())
            return 1;
        FirstFrame frame(app.mainWindow().content()->editor(), qstrcmp(argv[2], "app-note") == 0);
        return QApplication::exec();
    }
    QApplication app(argc, argv);
    QFile file(QString::fromLocal8Bit(argv[3]));
    file.open(QIODevice::ReadOnly);
    QPlainTextEdit editor;
    editor.setFont(noteFont(13));
    editor.setPlainText(QString::fromUtf8(file.readAll()));
    editor.resize(420, 420);
    FirstFrame frame(&editor);
    editor.show();
    return QApplication::exec();
}

int memoryChild(int, char **argv) {
    int appArgc = 1;
    MirtApp app(appArgc, argv);
    if (!app.start())
        return 1;
    NoteEditor *editor = app.mainWindow().content()->editor();
    FirstFrame frame(editor, true);
    QApplication::exec();
    waitForWholeNote(editor);
    const double loaded = peakMemoryMiB();
    editor->moveCursor(QTextCursor::End);
    for (int i = 0; i < 200; ++i) {
        key(editor, Qt::Key_A, QStringLiteral("a"));
        QCoreApplication::processEvents();
    }
    app.model().flushAutosave();
    const double typed = peakMemoryMiB();
    app.model().clearNote();
    QCoreApplication::processEvents();
    editor->undo();
    QCoreApplication::processEvents();
    app.model().flushAutosave();
    std::printf("%.1f %.1f %.1f", loaded, typed, peakMemoryMiB());
    return 0;
}
