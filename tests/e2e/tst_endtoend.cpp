// SPDX-License-Identifier: MIT
// The real binary under Xvfb, driven with real key events through xdotool.
#include <QDir>
#include <QGuiApplication>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <csignal>
#include <cstdio>

using namespace Qt::StringLiterals;

namespace {

QString xdotool(const QStringList &arguments) {
    QProcess process;
    process.start(u"xdotool"_s, arguments);
    if (!process.waitForFinished(15000))
        qFatal("xdotool %s hung", qPrintable(arguments.join(u' ')));
    return QString::fromUtf8(process.readAllStandardOutput()).trimmed();
}

/// One user's home with its own settings and data, and the app running in it.
class Session {
public:
    Session() {
        env_ = QProcessEnvironment::systemEnvironment();
        env_.insert(u"XDG_CONFIG_HOME"_s, home_.filePath(u"config"_s));
        env_.insert(u"XDG_DATA_HOME"_s, home_.filePath(u"data"_s));
        const QString runtime = home_.filePath(u"run"_s);
        QDir().mkpath(runtime);
        QFile::setPermissions(runtime, QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                           QFileDevice::ExeOwner);
        env_.insert(u"XDG_RUNTIME_DIR"_s, runtime);
        env_.insert(u"QT_QPA_PLATFORM"_s, u"xcb"_s);
    }
    ~Session() {
        for (QProcess *p : processes_) {
            p->kill();
            p->waitForFinished(5000);
            delete p;
        }
    }

    /// Starts the app and gives its window the keyboard; returns the process.
    QProcess *launch(const QStringList &arguments = {}) {
        QProcess *process = start(arguments);
        window_ = xdotool({u"search"_s, u"--sync"_s, u"--onlyvisible"_s, u"--pid"_s,
                           QString::number(process->processId())})
                      .split(u'\n')
                      .first();
        xdotool({u"windowfocus"_s, u"--sync"_s, window_});
        QTest::qWait(300); // the editor takes the focus 50 ms after the window appears
        return process;
    }
    QProcess *start(const QStringList &arguments = {}) {
        auto *process = new QProcess;
        process->setProcessEnvironment(env_);
        process->setProcessChannelMode(QProcess::ForwardedChannels);
        process->start(QStringLiteral(MIRT_BINARY), arguments);
        processes_ << process;
        if (!process->waitForStarted(10000))
            qFatal("mirt did not start");
        return process;
    }

    void type(const QString &text) { xdotool({u"type"_s, u"--delay"_s, u"40"_s, text}); }
    void key(const QString &keys) { xdotool({u"key"_s, keys}); }
    void focus() {
        xdotool({u"windowfocus"_s, u"--sync"_s, window_});
        QTest::qWait(100);
    }
    QString home() const { return home_.path(); }

    QByteArray note() const {
        QFile file(home_.filePath(u"data/Mirt/Mirt/mirt.note.autosave.txt"_s));
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<no note>");
    }

private:
    QTemporaryDir home_;
    QProcessEnvironment env_;
    QList<QProcess *> processes_;
    QString window_;
};

/// A stand-in for a file-sync engine between two folders: it carries the note from one to the
/// other by rename a little after it changes, and when both changed since it last carried one,
/// the newer wins and the other is kept beside it as a conflict copy, as Syncthing does.
class SyncEngine : public QObject {
public:
    SyncEngine(const QString &a, const QString &b)
        : paths_{a, b} {
        connect(&poll_, &QTimer::timeout, this, [this] { step(); });
        poll_.start(150);
    }

private:
    void step() {
        const QByteArray now[2] = {read(paths_[0]), read(paths_[1])};
        const bool changed[2] = {now[0] != synced_, now[1] != synced_};
        if (!changed[0] && !changed[1])
            return;
        int winner = changed[0] ? 0 : 1;
        if (changed[0] && changed[1] && now[0] != now[1]) {
            winner =
                QFileInfo(paths_[0]).lastModified() >= QFileInfo(paths_[1]).lastModified() ? 0 : 1;
            const QFileInfo loser(paths_[1 - winner]);
            put(loser.dir().filePath(loser.completeBaseName() +
                                     u".sync-conflict-20261207-090512-STANDIN.txt"_s),
                now[1 - winner]);
        }
        put(paths_[1 - winner], now[winner]);
        synced_ = now[winner];
    }
    static QByteArray read(const QString &path) {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }
    static void put(const QString &path, const QByteArray &bytes) {
        QDir().mkpath(QFileInfo(path).absolutePath());
        const QString temporary = path + u".syncing"_s;
        QFile file(temporary);
        if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
            qFatal("the stand-in engine cannot write %s", qPrintable(temporary));
        file.close();
        QFile::remove(path);
        QFile::rename(temporary, path);
    }

    QString paths_[2];
    QByteArray synced_;
    QTimer poll_;
};

bool ended(QProcess *process) {
    return (process->state() == QProcess::NotRunning || process->waitForFinished(10000)) &&
           process->exitStatus() == QProcess::NormalExit;
}

} // namespace

class tst_EndToEnd : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void secondLaunchLeavesOneWindow();
    void lastKeystrokesSurviveEveryWayOut();
    void twoMachinesShareANoteThroughASyncFolder();
};

void tst_EndToEnd::secondLaunchLeavesOneWindow() {
    Session session;
    QProcess *first = session.launch();
    QProcess *second = session.start();
    QVERIFY(ended(second));
    QCOMPARE(second->exitCode(), 0);
    QCOMPARE(first->state(), QProcess::Running);
    const QStringList windows = xdotool({u"search"_s, u"--onlyvisible"_s, u"--class"_s, u"mirt"_s})
                                    .split(u'\n', Qt::SkipEmptyParts);
    QCOMPARE(windows.size(), 1);
}

void tst_EndToEnd::lastKeystrokesSurviveEveryWayOut() {
    // Each trial types and ends the app within 0.1 s, by one of the ways an app ends.
    // MIRT_FAULT_SCALE sets the share of the full 100 trials (`make faults`: all of them).
    const double scale = qEnvironmentVariableIsSet("MIRT_FAULT_SCALE")
                             ? qEnvironmentVariable("MIRT_FAULT_SCALE").toDouble()
                             : 0.2;
    const int trials = std::max(4, int(100 * scale));
    const int ways[] = {0, SIGTERM, SIGHUP, SIGINT}; // 0: Ctrl+Q
    int lost = 0;
    Session session;
    QByteArray expected;
    for (int trial = 0; trial < trials; ++trial) {
        QProcess *app = session.launch();
        const QString word = u"w%1 "_s.arg(trial);
        session.type(word);
        expected += word.toUtf8();
        QTest::qWait(trial % 100);
        const int way = ways[trial % 4];
        way ? void(::kill(app->processId(), way)) : session.key(u"ctrl+q"_s);
        if (!ended(app) || session.note() != expected) {
            ++lost;
            qWarning() << way << "lost keystrokes:" << session.note() << "expected" << expected;
            expected = session.note();
        }
    }
    std::printf("figure 2: %d quits within 0.1 s of typing, %d lost a keystroke\n", trials, lost);
    QCOMPARE(lost, 0);
}

void tst_EndToEnd::twoMachinesShareANoteThroughASyncFolder() {
    Session laptop, desktop;
    const QString notes[2] = {laptop.home() + u"/Sync/mirt.note.autosave.txt"_s,
                              desktop.home() + u"/Sync/mirt.note.autosave.txt"_s};
    SyncEngine engine(notes[0], notes[1]);
    laptop.launch({u"--note"_s, notes[0]});
    desktop.launch({u"--note"_s, notes[1]});
    const auto contents = [](const QString &path) {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    };

    laptop.focus();
    laptop.type(u"from the laptop"_s);
    laptop.key(u"Return"_s);
    QTRY_COMPARE_WITH_TIMEOUT(contents(notes[1]), QByteArray("from the laptop\n"), 5000);
    // The desktop's window took it in: what it types now goes after it, and travels back.
    desktop.focus();
    desktop.key(u"ctrl+End"_s);
    desktop.type(u"from the desktop"_s);
    desktop.key(u"Return"_s);
    const QByteArray both = "from the laptop\nfrom the desktop\n";
    QTRY_COMPARE_WITH_TIMEOUT(contents(notes[0]), both, 5000);
    QTRY_COMPARE_WITH_TIMEOUT(contents(notes[1]), both, 5000);

    // Both type at once: each line ends up in a note or in a copy beside one, never lost.
    laptop.focus();
    laptop.key(u"ctrl+End"_s);
    laptop.type(u"laptop at once"_s);
    laptop.key(u"Return"_s);
    desktop.focus();
    desktop.key(u"ctrl+End"_s);
    desktop.type(u"desktop at once"_s);
    desktop.key(u"Return"_s);
    QTest::qWait(3000);
    QByteArray everything;
    for (const QString &note : notes)
        for (const QFileInfo &file : QFileInfo(note).dir().entryInfoList(QDir::Files))
            everything += contents(file.filePath());
    QVERIFY2(everything.contains("laptop at once") && everything.contains("desktop at once"),
             everything.constData());
}

QTEST_MAIN(tst_EndToEnd)
#include "tst_endtoend.moc"
