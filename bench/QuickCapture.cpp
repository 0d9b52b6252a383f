// SPDX-License-Identifier: MIT
// The way in from outside the window, with the real `mirt` command: --toggle to the editor
// focused and painted while Mirt runs hidden, beside a cold start in the same rounds; --append
// of a line into a 10 MB note until the bytes are on disk, with Mirt running and without,
// beside a bare write of the same 10 MB. Where the time goes is measured alongside.
//
// The running Mirt is built in this process, as the app builds itself, so that the moment its
// editor paints with the keyboard can be seen. The case runs twice, in child processes: under a
// session bus of its own, and with no bus, where the requests go through the runtime-folder
// socket.
#include "CaptureRequests.h"
#include "Clock.h"
#include "ContentView.h"
#include "FileDefaultsStore.h"
#include "Harness.h"
#include "MainWindow.h"
#include "NoteEditor.h"
#include "Notemodel.h"
#include "OneShotTimer.h"
#include "Setup.h"
#include "SingleInstance.h"
#include "WidgetDialogs.h"

#include <QApplication>
#include <QDateTime>
#include <QDir>
#include <QElapsedTimer>
#include <QProcess>
#include <QSaveFile>
#include <QSettings>
#include <QTemporaryDir>

#include <cstdio>

namespace {

// MIRT_BENCH_MIRT names another build's command, to compare one with the other in one run.
QString mirt() {
    const QString other = qEnvironmentVariable("MIRT_BENCH_MIRT");
    return !other.isEmpty()
               ? other
               : QCoreApplication::applicationDirPath() + QStringLiteral("/../src/app/mirt");
}

// Turns the event loop until `done`, as the running app would while it waits.
void turnUntil(const std::function<bool()> &done) {
    QElapsedTimer clock;
    clock.start();
    while (!done()) {
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 5);
        if (clock.elapsed() > 30000)
            qFatal("the running Mirt did not answer");
    }
}

/// A running Mirt for the note at `path`, as MirtApp builds it, without its window shown.
struct RunningMirt {
    explicit RunningMirt(const QString &path, const QString &preferences)
        : store(path, {}, std::make_unique<QSettings>(preferences, QSettings::IniFormat), false)
        , dialogs([this] { return static_cast<QWidget *>(&window); })
        , model({store, clock, std::make_unique<QtOneShotTimer>(), dialogs, 13.0})
        , window(model)
        , instance(path, false)
        , requests(instance, window, model, false) {
        if (!instance.claim())
            qFatal("another Mirt keeps %s", qPrintable(path));
    }
    FileDefaultsStore store;
    SystemClock clock;
    WidgetDialogs dialogs;
    NoteModel model;
    MainWindow window;
    SingleInstance instance;
    CaptureRequests requests;
};

/// Milliseconds from starting `mirt ARGUMENTS` until `done`, or until it returns, with the event
/// loop turning.
double commandUntil(const QStringList &arguments, const std::function<bool()> &done = {},
                    const QString &program = mirt()) {
    QProcess command;
    command.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    QElapsedTimer clock;
    clock.start();
    command.start(program, arguments);
    const auto ended = [&] {
        return command.state() == QProcess::NotRunning;
    };
    turnUntil(done ? done : ended);
    const double ms = double(clock.nsecsElapsed()) / 1e6;
    turnUntil(ended);
    if (command.exitCode() != 0)
        qFatal("mirt %s failed", qPrintable(arguments.join(u' ')));
    return ms;
}

/// Tells when the editor has been painted since it was made, and has the keyboard.
class FocusedPaint : public QObject {
public:
    explicit FocusedPaint(NoteEditor *editor)
        : editor_(editor) {
        editor->viewport()->installEventFilter(this);
    }
    bool seen() const { return painted_ && editor_->hasFocus(); }

protected:
    bool eventFilter(QObject *, QEvent *event) override {
        painted_ = painted_ || event->type() == QEvent::Paint;
        return false;
    }

private:
    NoteEditor *editor_;
    bool painted_ = false;
};

void printRow(const QString &name, const std::vector<double> &samples) {
    std::printf("| %-52s | median %.1f ms, p95 %.1f ms, %zu runs |\n", qPrintable(name),
                quantile(samples, 0.5), quantile(samples, 0.95), samples.size());
}

// Each round measures the cases side by side, so that whatever else the machine does weighs on
// them alike; the goals are ratios of them.
void toggleAndColdStart(const QString &way) {
    const Home home(makeNote(10 * KB));
    const Home coldHome(makeNote(10 * KB)); // a note of its own: the running Mirt claims the other
    const QString note = home.notePath();
    RunningMirt app(note, home.dir.filePath(QStringLiteral("prefs.ini")));
    app.requests.standBy(); // as `mirt --hidden` leaves it, long before the first press
    QElapsedTimer settled;
    settled.start();
    turnUntil([&] { return settled.elapsed() > 1000; });
    NoteEditor *editor = app.window.content()->editor();
    const auto hide = [&] {
        app.window.hide();
        turnUntil([&] { return !app.window.isVisible(); });
        QCoreApplication::processEvents();
    };
    std::vector<double> cold, shown, started, inApp, floor;
    double first = 0;
    for (int round = 0; round < 16; ++round) {
        const double coldStart =
            startupOnce(coldHome, {QStringLiteral("--startup"), QStringLiteral("app")});
        // Where the time goes: a process of the command starting and ending, and the running
        // app's own part, from the request to the editor painted with the keyboard.
        const double start = commandUntil({QStringLiteral("--version")});
        const double floorStart = commandUntil(
            {}, {}, QCoreApplication::applicationDirPath() + QStringLiteral("/mirt_command_floor"));
        const FocusedPaint own(editor);
        const double showing = timed([&] {
            app.requests.toggle(QString());
            turnUntil([&] { return own.seen(); });
        });
        hide();
        for (int press = 0; press < 3; ++press) {
            const FocusedPaint paint(editor);
            const double ms =
                commandUntil({QStringLiteral("--note"), note, QStringLiteral("--toggle")},
                             [&] { return paint.seen(); });
            if (round == 0 && press == 0)
                first = ms; // the first show after a start without a window
            else if (round >= 2)
                shown.push_back(ms);
            hide();
        }
        if (round >= 2) { // the first rounds fill the caches
            cold.push_back(coldStart);
            started.push_back(start);
            floor.push_back(floorStart);
            inApp.push_back(showing);
        }
    }
    std::printf("| %-52s | %9.1f ms |\n",
                qPrintable(QStringLiteral("--toggle, first show after a hidden start, ") + way),
                first);
    printRow(QStringLiteral("--toggle to the editor focused, painted, ") + way, shown);
    printRow(QStringLiteral("  of which a mirt process starting and ending"), started);
    printRow(QStringLiteral("  of which the running app showing and painting"), inApp);
    printRow(QStringLiteral("  a process of QtCore, QtDBus, QtNetwork alone"), floor);
    printRow(QStringLiteral("cold start to the first painted frame"), cold);
    goal(QStringLiteral("15. --toggle p95 / cold start median, ") + way,
         quantile(shown, 0.95) / quantile(cold, 0.5), 0.35, QStringLiteral("x"));
}

// A bare QSaveFile write of the same bytes, synced: the floor of any save of the note.
double bareSave(const QString &path, const QByteArray &bytes) {
    return timed([&] {
        QSaveFile file(path);
        if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit())
            qFatal("cannot write %s", qPrintable(path));
    });
}

void appendInto10MB(const QString &way) {
    QTemporaryDir home;
    const QByteArray large = makeNote(10 * MB).toUtf8();
    for (const bool running : {true, false}) {
        const QString note = home.filePath(running ? QStringLiteral("running/note.txt")
                                                   : QStringLiteral("alone/note.txt"));
        QDir().mkpath(QFileInfo(note).absolutePath());
        bareSave(note, large);
        std::unique_ptr<RunningMirt> app;
        if (running) {
            app = std::make_unique<RunningMirt>(note, home.filePath(QStringLiteral("prefs.ini")));
            app->window.show(); // as the user has it, with the whole note in the editor
            turnUntil([&] { return app->window.content()->editor()->hasWholeNote(); });
        }
        const QString bare = home.filePath(QStringLiteral("bare.txt"));
        std::vector<double> samples, floor, small, own;
        for (int run = 0; run < 32; ++run) {
            const QByteArray line = "captured line " + QByteArray::number(run);
            const double ms = commandUntil({QStringLiteral("--note"), note,
                                            QStringLiteral("--append"), QString::fromLatin1(line)});
            QFile written(note);
            written.open(QIODevice::ReadOnly);
            written.seek(written.size() - line.size() - 1);
            if (written.readAll() != line + '\n')
                qFatal("the line is not on disk when the command returns");
            const double floorMs = bareSave(bare, large);
            // The running app's own part: the line added and the 10 MB saved, in this process.
            const double ownMs =
                running ? timed([&] { app->requests.append(QStringLiteral("own line")); }) : 0;
            // The same command into a note of one line: what the 10 MB add to it.
            const QString tiny = home.filePath(QStringLiteral("tiny.txt"));
            const double smallMs =
                running ? 0
                        : commandUntil({QStringLiteral("--note"), tiny, QStringLiteral("--append"),
                                        QStringLiteral("x")});
            if (run >= 2) {
                samples.push_back(ms);
                floor.push_back(floorMs);
                small.push_back(smallMs);
                own.push_back(ownMs);
            }
            // One line now and then, as a person adds them: a note written within the file
            // system's clock tick of doubt is read once more before it is replaced.
            turnUntil([&, since = QDateTime::currentDateTime()] {
                return since.msecsTo(QDateTime::currentDateTime()) > 2100;
            });
        }
        const QString name = (running ? QStringLiteral("--append into 10 MB, Mirt running, ")
                                      : QStringLiteral("--append into 10 MB, none running, ")) +
                             way;
        printRow(name, samples);
        printRow(QStringLiteral("  a bare QSaveFile write and fsync of the 10 MB"), floor);
        if (running)
            printRow(QStringLiteral("  of which the running app adding a line and saving"), own);
        else
            printRow(QStringLiteral("  the same command into a note of one line"), small);
        goal(QStringLiteral("15. ") + name + QStringLiteral(", p95 / bare write p95"),
             quantile(samples, 0.95) / quantile(floor, 0.95), 1.5, QStringLiteral("x"));
    }
}

void quickCapture() {
    // Each way in a process of its own: a bus library that finds no bus starts one for the
    // display, which would outlive the run.
    const QString way = qEnvironmentVariable("MIRT_BENCH_CAPTURE");
    if (!way.isEmpty()) {
        std::printf("\n## Quick capture from outside the window, through the %s\n\n",
                    qPrintable(way));
        toggleAndColdStart(way);
        appendInto10MB(way);
        return;
    }
    for (const QString &child : {QStringLiteral("bus"), QStringLiteral("socket")}) {
        QProcess measuring;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("MIRT_BENCH_CAPTURE"), child);
        QStringList command{QCoreApplication::applicationFilePath(), QStringLiteral("capture")};
        if (child == QLatin1String("bus"))
            command.prepend(QStringLiteral("--"));
        else
            env.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"),
                       QStringLiteral("unix:path=/nonexistent/no-bus"));
        measuring.setProcessEnvironment(env);
        measuring.setProcessChannelMode(QProcess::ForwardedChannels);
        measuring.start(child == QLatin1String("bus") ? QStringLiteral("dbus-run-session")
                                                      : command.takeFirst(),
                        command);
        measuring.waitForFinished(-1);
    }
}

const bool registered = registerCase("capture", &quickCapture);

} // namespace
