// SPDX-License-Identifier: MIT
// The real binary under Xvfb, driven with real key events through xdotool.
#include <QDir>
#include <QGuiApplication>
#include <QImage>
#include <QProcess>
#include <QRegularExpression>
#include <QScreen>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>
#include <QWindow>

#include <csignal>
#include <cstdio>

namespace {

QString xdotool(const QStringList &arguments) {
    QProcess process;
    process.start(QStringLiteral("xdotool"), arguments);
    if (!process.waitForFinished(15000))
        qFatal("xdotool %s hung", qPrintable(arguments.join(u' ')));
    return QString::fromUtf8(process.readAllStandardOutput()).trimmed();
}

/// One user's home with its own settings and data, and the app running in it.
class Session {
public:
    Session() {
        env_ = QProcessEnvironment::systemEnvironment();
        env_.insert(QStringLiteral("XDG_CONFIG_HOME"), home_.filePath(QStringLiteral("config")));
        env_.insert(QStringLiteral("XDG_DATA_HOME"), home_.filePath(QStringLiteral("data")));
        const QString runtime = home_.filePath(QStringLiteral("run"));
        QDir().mkpath(runtime);
        QFile::setPermissions(runtime, QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                           QFileDevice::ExeOwner);
        env_.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtime);
        env_.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
    }
    ~Session() {
        for (QProcess *p : processes_) {
            p->kill();
            p->waitForFinished(5000);
            delete p;
        }
    }

    /// Starts the app and gives its window the keyboard; returns the process.
    QProcess *launch() {
        QProcess *process = start();
        window_ = xdotool({QStringLiteral("search"), QStringLiteral("--sync"),
                           QStringLiteral("--onlyvisible"), QStringLiteral("--pid"),
                           QString::number(process->processId())})
                      .split(u'\n')
                      .first();
        xdotool({QStringLiteral("windowfocus"), QStringLiteral("--sync"), window_});
        QTest::qWait(300); // the editor takes the focus 50 ms after the window appears
        return process;
    }
    QProcess *start() {
        auto *process = new QProcess;
        process->setProcessEnvironment(env_);
        process->setProcessChannelMode(QProcess::ForwardedChannels);
        process->start(QStringLiteral(MIRT_BINARY), {});
        processes_ << process;
        if (!process->waitForStarted(10000))
            qFatal("mirt did not start");
        return process;
    }
    QString window() const { return window_; }

    void type(const QString &text) {
        xdotool({QStringLiteral("type"), QStringLiteral("--delay"), QStringLiteral("40"), text});
    }
    void key(const QString &keys) { xdotool({QStringLiteral("key"), keys}); }

    QByteArray note() const {
        QFile file(home_.filePath(QStringLiteral("data/Mirt/Mirt/mirt.note.autosave.txt")));
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<no note>");
    }
    double fontSize() const {
        QSettings settings(home_.filePath(QStringLiteral("config/Mirt/Mirt.conf")),
                           QSettings::IniFormat);
        return settings.value(QStringLiteral("mirt.font.size")).toDouble();
    }

private:
    QTemporaryDir home_;
    QProcessEnvironment env_;
    QList<QProcess *> processes_;
    QString window_;
};

bool ended(QProcess *process) {
    return process->waitForFinished(10000) && process->exitStatus() == QProcess::NormalExit;
}

} // namespace

class tst_EndToEnd : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void noteIsBackAfterQuitAndRelaunch();
    void quitRightAfterTypingLosesNothing();
    void terminationSignalsLoseNothing_data();
    void terminationSignalsLoseNothing();
    void meetingModeStampsTypedLines();
    void toolbarHidesFromTheKeyboard();
    void fontSizeKeysAreRememberedAcrossLaunches();
    void secondLaunchLeavesOneWindow();
    void lastKeystrokesSurviveEveryWayOut();
};

void tst_EndToEnd::noteIsBackAfterQuitAndRelaunch() {
    Session session;
    QProcess *first = session.launch();
    session.type(QStringLiteral("hello world"));
    QTest::qWait(900); // the autosave, not the quit, writes this one
    QCOMPARE(session.note(), QByteArray("hello world"));
    session.key(QStringLiteral("ctrl+q"));
    QVERIFY(ended(first));

    QProcess *second = session.launch();
    session.type(QStringLiteral("!")); // lands after the restored note
    session.key(QStringLiteral("ctrl+q"));
    QVERIFY(ended(second));
    QCOMPARE(session.note(), QByteArray("hello world!"));
}

void tst_EndToEnd::quitRightAfterTypingLosesNothing() {
    Session session;
    QProcess *app = session.launch();
    session.type(QStringLiteral("typed and gone"));
    session.key(QStringLiteral("ctrl+q"));
    QVERIFY(ended(app));
    QCOMPARE(session.note(), QByteArray("typed and gone"));
}

void tst_EndToEnd::terminationSignalsLoseNothing_data() {
    QTest::addColumn<int>("signal");
    QTest::newRow("SIGTERM") << SIGTERM;
    QTest::newRow("SIGINT") << SIGINT;
    QTest::newRow("SIGHUP") << SIGHUP;
}

void tst_EndToEnd::terminationSignalsLoseNothing() {
    QFETCH(int, signal);
    Session session;
    QProcess *app = session.launch();
    session.type(QStringLiteral("last words"));
    QTest::qWait(100);
    ::kill(app->processId(), signal);
    QVERIFY(ended(app));
    QCOMPARE(app->exitCode(), 0);
    QCOMPARE(session.note(), QByteArray("last words"));
}

void tst_EndToEnd::meetingModeStampsTypedLines() {
    Session session;
    QProcess *app = session.launch();
    session.key(QStringLiteral("ctrl+shift+m"));
    session.type(QStringLiteral("Agenda"));
    session.key(QStringLiteral("Return"));
    session.type(QStringLiteral("Budget"));
    session.key(QStringLiteral("Return"));
    session.key(QStringLiteral("ctrl+q"));
    QVERIFY(ended(app));
    const QString note = QString::fromUtf8(session.note());
    static const QRegularExpression minutes(QStringLiteral(
        R"(^\d{4} \d\d \d\d, \d\d:\d\d\n\nAgenda\n\d\d:\d\d - Budget\n\d\d:\d\d - $)"));
    QVERIFY2(minutes.match(note).hasMatch(), qPrintable(note));
}

void tst_EndToEnd::toolbarHidesFromTheKeyboard() {
    Session session;
    QProcess *app = session.launch();
    const WId id = session.window().toULongLong();
    QScreen *screen = QGuiApplication::primaryScreen();
    const auto bottomRow = [&] {
        const QImage shot = screen->grabWindow(id).toImage();
        return shot.copy(0, shot.height() - 40, shot.width(), 36);
    };
    const QImage withToolbar = bottomRow();
    session.key(QStringLiteral("ctrl+shift+t"));
    QTest::qWait(300);
    const QImage without = bottomRow();
    QVERIFY(withToolbar != without);
    // Without the row, the bottom of the window is plain editor background.
    const QColor corner = without.pixelColor(without.width() - 20, 20);
    for (int x = without.width() - 120; x < without.width() - 10; x += 3)
        QCOMPARE(without.pixelColor(x, 20), corner);
    session.key(QStringLiteral("ctrl+shift+t"));
    QTest::qWait(300);
    QCOMPARE(bottomRow(), withToolbar);
    session.key(QStringLiteral("ctrl+q"));
    QVERIFY(ended(app));
}

void tst_EndToEnd::fontSizeKeysAreRememberedAcrossLaunches() {
    Session session;
    QProcess *first = session.launch();
    session.key(QStringLiteral("ctrl+plus"));
    QTest::qWait(200);
    const double once = session.fontSize();
    QVERIFY(once > 0);
    session.key(QStringLiteral("ctrl+equal"));
    QTest::qWait(200);
    QCOMPARE(session.fontSize(), once + 2);
    session.key(QStringLiteral("ctrl+q"));
    QVERIFY(ended(first));

    QProcess *second = session.launch();
    session.key(QStringLiteral("ctrl+minus"));
    QTest::qWait(200);
    QCOMPARE(session.fontSize(), once); // it started from the size it had
    session.key(QStringLiteral("ctrl+q"));
    QVERIFY(ended(second));
    QCOMPARE(session.note(), QByteArray("<no note>")); // the keys typed nothing
}

void tst_EndToEnd::secondLaunchLeavesOneWindow() {
    Session session;
    QProcess *first = session.launch();
    QProcess *second = session.start();
    QVERIFY(ended(second));
    QCOMPARE(second->exitCode(), 0);
    QCOMPARE(first->state(), QProcess::Running);
    const QStringList windows = xdotool({QStringLiteral("search"), QStringLiteral("--onlyvisible"),
                                         QStringLiteral("--class"), QStringLiteral("mirt")})
                                    .split(u'\n', Qt::SkipEmptyParts);
    QCOMPARE(windows.size(), 1);

    // A copy that died leaves its lock behind; the next launch starts all the same.
    ::kill(first->processId(), SIGKILL);
    first->waitForFinished(5000);
    QProcess *third = session.launch();
    QCOMPARE(third->state(), QProcess::Running);
    session.type(QStringLiteral("after a crash"));
    session.key(QStringLiteral("ctrl+q"));
    QVERIFY(ended(third));
    QCOMPARE(session.note(), QByteArray("after a crash"));
}

void tst_EndToEnd::lastKeystrokesSurviveEveryWayOut() {
    // Each trial types and ends the app within 0.1 s, by one of the ways an app ends.
    // MIRT_FAULT_SCALE sets the share of the full 100 trials (`make faults`: all of them).
    const double scale = qEnvironmentVariableIsSet("MIRT_FAULT_SCALE")
                             ? qEnvironmentVariable("MIRT_FAULT_SCALE").toDouble()
                             : 0.2;
    const int trials = std::max(4, int(100 * scale));
    const QStringList ways = {QStringLiteral("Quit"), QStringLiteral("SIGTERM"),
                              QStringLiteral("SIGHUP"), QStringLiteral("SIGINT")};
    int lost = 0;
    Session session;
    QByteArray expected;
    for (int trial = 0; trial < trials; ++trial) {
        QProcess *app = session.launch();
        const QString word = QStringLiteral("w%1 ").arg(trial);
        session.type(word);
        expected += word.toUtf8();
        QTest::qWait(trial % 100);
        const QString &way = ways[trial % ways.size()];
        if (way == QLatin1String("Quit"))
            session.key(QStringLiteral("ctrl+q"));
        else
            ::kill(app->processId(), way == QLatin1String("SIGTERM")  ? SIGTERM
                                     : way == QLatin1String("SIGHUP") ? SIGHUP
                                                                      : SIGINT);
        if (!ended(app) || session.note() != expected) {
            ++lost;
            qWarning() << way << "lost keystrokes:" << session.note() << "expected" << expected;
            expected = session.note();
        }
    }
    std::printf("figure 2: %d quits within 0.1 s of typing, %d lost a keystroke\n", trials, lost);
    QCOMPARE(lost, 0);
}

QTEST_MAIN(tst_EndToEnd)
#include "tst_endtoend.moc"
