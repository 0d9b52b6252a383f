// SPDX-License-Identifier: MIT
// Quick capture in daily use, at random: the real binary under Xvfb, keys typed through
// xdotool, and scripts adding lines and showing or hiding the note while Mirt is quit, started,
// stopped and continued, and its session bus goes away.
#include "Seeds.h"
#include "Session.h"

#include <QRandomGenerator>

#include <csignal>

namespace {

/// One run of quick capture in daily use, chosen by `seed`: words typed in the window while
/// scripts add lines (1 to 40 at once, as arguments and on standard input), the note shown and
/// hidden, Mirt quit and started again, stopped and continued, its session bus gone. Returns
/// what broke the promises: every typed word whole; every line added once; a command that
/// said done has it on disk; one that said not done never has it there.
QString captureRun(quint32 seed, int steps) {
    QRandomGenerator random(seed);
    Session session;
    session.ownBus();
    session.setEnv(u"MIRT_REQUEST_TIMEOUT"_s, u"1"_s); // a stop of a few seconds fails commands
    // A note of 2 MB: a Mirt that quits takes a moment to write the last keys.
    session.writeNote(QByteArray(79, 'n').append('\n').repeated(25000));
    QProcess *app = nullptr;
    std::vector<QProcess *> apps; // each Mirt started, to end well
    QStringList typed, problems;
    QMap<QByteArray, int> said; // each line added, and what its command answered
    std::vector<std::pair<std::unique_ptr<QProcess>, QList<QByteArray>>> running;
    int next = 0;
    const auto addLines = [&](int count) {
        for (int i = 0; i < count; ++i) {
            const QByteArray line = "a" + QByteArray::number(next++);
            const bool piped = random.bounded(2);
            running.emplace_back(
                session.startCommand({u"--append"_s, piped ? u"-"_s : QString::fromLatin1(line)},
                                     piped ? line + '\n' : QByteArray()),
                QList<QByteArray>{line});
        }
    };
    const auto finishCommands = [&] {
        for (auto &[process, lines] : running) {
            if (process->state() != QProcess::NotRunning && !process->waitForFinished(30000))
                problems << u"mirt %1 hung"_s.arg(process->arguments().join(u' '));
            const bool onDisk = session.note().contains('\n' + lines.first() + '\n');
            said[lines.first()] = process->exitCode();
            if (process->exitCode() == 0 && !onDisk && !lines.first().isEmpty())
                problems << u"%1 said done, and is not on disk"_s.arg(QLatin1String(lines.first()));
        }
        running.clear();
    };
    const auto shown = [&] {
        return app && !Session::shownWindow(app).isEmpty();
    };
    // Never process 0, which would be this test's whole group.
    const auto signal = [&](int number) {
        if (app && app->processId() > 0)
            ::kill(pid_t(app->processId()), number);
    };
    // Keys typed reach the note before anything ends the app: a user waits for the screen.
    const auto settle = [&] {
        if (app && !typed.isEmpty() &&
            !QTest::qWaitFor([&] { return session.note().contains(typed.last().toUtf8()); }, 10000))
            problems << u"the word %1 never reached the disk"_s.arg(typed.last());
    };
    for (int step = 0; step < steps; ++step) {
        const int dice = random.bounded(100);
        if (!app || app->state() == QProcess::NotRunning) {
            apps.push_back(app = session.start(random.bounded(2) ? QStringList()
                                                                 : QStringList{u"--toggle"_s}));
            if (!QTest::qWaitFor(shown, 20000))
                return u"step %1: Mirt started and showed no window"_s.arg(step);
        } else if (dice < 8) { // launched again: the running one comes forward, no second one
            QProcess *again = session.start();
            if (!again->waitForFinished(20000) || again->exitCode() != 0)
                problems << u"a second launch did not end well"_s;
        } else if (dice < 35 && shown()) { // typing, and lines coming in meanwhile
            xdotool(
                {u"windowfocus"_s, u"--sync"_s, Session::shownWindow(app).section(u'\n', 0, 0)});
            xdotool({u"key"_s, u"ctrl+End"_s});
            typed << u"w%1x%2"_s.arg(step).arg(random.bounded(1000));
            QProcess typing;
            typing.start(u"xdotool"_s, {u"type"_s, u"--delay"_s, u"40"_s, typed.last() + u' '});
            QTest::qWait(random.bounded(150));
            addLines(random.bounded(1, 4));
            typing.waitForFinished(15000);
            finishCommands();
        } else if (dice < 55) {
            addLines(random.bounded(1, 41));
            finishCommands();
        } else if (dice < 65) {
            running.emplace_back(session.startCommand({u"--toggle"_s}, {}), QList<QByteArray>{""});
            finishCommands();
        } else if (dice < 80) { // stopped, with commands waiting, then going on
            settle();
            signal(SIGSTOP);
            addLines(random.bounded(1, 6));
            QTest::qWait(random.bounded(100, 3500));
            signal(SIGCONT);
            finishCommands();
        } else if (dice < 92) { // right after typing, with keys not yet saved
            if (shown() && random.bounded(2)) {
                xdotool({u"windowfocus"_s, u"--sync"_s,
                         Session::shownWindow(app).section(u'\n', 0, 0)});
                xdotool({u"key"_s, u"ctrl+q"_s});
            } else {
                signal(SIGTERM);
            }
            // Started again at once, half the time, while the old one still writes.
            if (random.bounded(2))
                app = nullptr;
            else if (!app->waitForFinished(20000))
                return u"step %1: Mirt did not end"_s.arg(step);
        } else {
            session.killBus(); // the app runs on, and the commands find it without a bus
        }
    }
    settle();
    signal(SIGTERM);
    for (QProcess *each : apps)
        if (!ended(each) || each->exitCode() != 0)
            problems << u"a Mirt crashed, or did not end"_s;
    const QByteArray note = session.note();
    const QList<QByteArray> lines = note.split('\n');
    QList<QByteArray> words = note.simplified().split(' ');
    for (const QString &word : std::as_const(typed))
        if (words.count(word.toUtf8()) != 1)
            problems << u"the typed word %1 is not whole, once"_s.arg(word);
    for (auto it = said.cbegin(); it != said.cend(); ++it)
        if (!it.key().isEmpty() && lines.count(it.key()) != (it.value() == 0 ? 1 : 0))
            problems << u"%1, answered %2, is in the note %3 times"_s.arg(QLatin1String(it.key()))
                            .arg(it.value())
                            .arg(lines.count(it.key()));
    return problems.isEmpty() ? QString()
                              : problems.join(u"; "_s) + u"\nnote:\n"_s + QString::fromUtf8(note);
}

} // namespace

class tst_Capture : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void captureKeepsEveryWordAndLine();
};

void tst_Capture::captureKeepsEveryWordAndLine() {
    // A slice here; scripts/soak runs fresh seeds, and MIRT_SEED=n one of them again. Each
    // seed that failed stays, as far as its failure: 2 (a line added while a large note
    // arrived moved the caret), 302 (a toggle carried out by a Mirt that was ending).
    const QMap<quint32, int> fixed{{1, 30}, {2, 5}, {302, 3}};
    for (const quint32 seed : seedsToRun(fixed.keys())) {
        const QString problems = captureRun(seed, fixed.value(seed, 30));
        if (!problems.isEmpty()) {
            reportFailingSeed(seed);
            QFAIL(qPrintable(problems));
        }
    }
}

QTEST_MAIN(tst_Capture)
#include "tst_capture.moc"
