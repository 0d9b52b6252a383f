// SPDX-License-Identifier: MIT
// The real binary under Xvfb, driven with real key events through xdotool, two real
// Syncthing instances carrying its note between two homes, and a stand-in for the desktop
// portal's global shortcuts.
#include "Session.h"
#include "Syncthing.h"

#include <QCryptographicHash>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDir>
#include <QEventLoop>
#include <QGuiApplication>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QProcess>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QTcpServer>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <csignal>
#include <cstdio>
#include <memory>
#include <sys/stat.h>

using namespace Qt::StringLiterals;

namespace {

/// The desktop portal's global shortcuts on the test's session bus: python-dbusmock with a
/// template of the project's, which also presses the bound keys when asked.
class ShortcutsPortal {
public:
    ShortcutsPortal() {
        process_.setStandardOutputFile(QProcess::nullDevice()); // it logs every call
        process_.start(u"/usr/bin/python3"_s,
                       {u"-m"_s, u"dbusmock"_s, u"--session"_s, u"-t"_s,
                        QStringLiteral(MIRT_SOURCE_DIR "/tests/e2e/shortcuts_portal.py")});
        if (!QTest::qWaitFor(
                [] {
                    return QDBusConnection::sessionBus().interface()->isServiceRegistered(
                        u"org.freedesktop.portal.Desktop"_s);
                },
                20000))
            qFatal("the portal stand-in did not start: scripts/install-deps installs dbusmock");
    }
    ~ShortcutsPortal() {
        process_.terminate();
        process_.waitForFinished(5000);
    }
    /// What apps bound, as "id|description|preferred trigger".
    QStringList bound() const { return call(u"Bound"_s).value(0).toStringList(); }
    /// The user presses the keys bound to `id`.
    void press(const QString &id, const QString &activationToken) const {
        call(u"Press"_s, {id, activationToken});
    }

private:
    static QVariantList call(const QString &method, const QVariantList &arguments = {}) {
        QDBusMessage message = QDBusMessage::createMethodCall(
            u"org.freedesktop.portal.Desktop"_s, u"/org/freedesktop/portal/desktop"_s,
            u"org.freedesktop.DBus.Mock"_s, method);
        message.setArguments(arguments);
        return QDBusConnection::sessionBus().call(message).arguments();
    }

    QProcess process_;
};

} // namespace

class tst_EndToEnd : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void lastKeystrokesSurviveEveryWayOut();
    void twoMachinesShareANoteThroughSyncthing();
    void appendAddsEachLineOnce_data();
    void appendAddsEachLineOnce();
    void toggleShowsAndHidesTheNote_data();
    void toggleShowsAndHidesTheNote();
    void launchRightAfterQuitOpensTheNote_data();
    void launchRightAfterQuitOpensTheNote();
};

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

void tst_EndToEnd::twoMachinesShareANoteThroughSyncthing() {
    Session laptop, desktop;
    SyncthingPair engines(laptop.home(), desktop.home());
    const QString notes[2] = {engines.folder(0) + u"/mirt.note.autosave.txt"_s,
                              engines.folder(1) + u"/mirt.note.autosave.txt"_s};
    const auto both = [&] {
        return contents(notes[0]) + contents(notes[1]);
    };
    const auto state = [&] {
        QByteArray text = "laptop: " + contents(notes[0]) + "\ndesktop: " + contents(notes[1]);
        for (const QString &folder : {engines.folder(0), engines.folder(1)})
            for (const QString &copy : QDir(folder).entryList(QDir::Files))
                text += "\n" + copy.toUtf8() + ": " + contents(folder + u'/' + copy);
        return text;
    };
    // Every conflict copy on either side holds no line that the notes lack.
    const auto wordsOnlyInCopies = [&] {
        QStringList only;
        for (const QString &folder : {engines.folder(0), engines.folder(1)})
            for (const QString &copy : conflicts(folder))
                for (const QByteArray &line : contents(folder + u'/' + copy).split('\n'))
                    if (!contents(notes[0]).contains(line))
                        only << QString::fromUtf8(line);
        return only;
    };
    QElapsedTimer clock;
    clock.start();
    QTRY_VERIFY_WITH_TIMEOUT(engines.connected(), 90000);
    std::printf("figure 3: the engines connected in %lld ms\n", clock.elapsed());
    QFile seed(notes[0]); // the note both machines have, as after the first sync
    QVERIFY(seed.open(QIODevice::WriteOnly) && seed.write("minutes\n") > 0);
    seed.close();
    QTRY_COMPARE_WITH_TIMEOUT(contents(notes[1]), QByteArray("minutes\n"), 30000);
    laptop.launch({u"--note"_s, notes[0]});
    desktop.launch({u"--note"_s, notes[1]});

    // One typist: the other machine's window takes each line in and writes nothing back.
    QByteArray expected = "minutes\n";
    QList<qint64> arrivals;
    laptop.focus();
    laptop.key(u"ctrl+End"_s);
    for (int line = 0; line < 6; ++line) {
        const QString words = u"laptop line %1"_s.arg(line);
        laptop.type(words);
        laptop.key(u"Return"_s);
        expected += words.toUtf8() + '\n';
        clock.restart();
        QTRY_COMPARE_WITH_TIMEOUT(contents(notes[1]), expected, 30000);
        arrivals << clock.elapsed();
    }
    QTest::qWait(3000); // a write from the idle side would meet the typist's in this time
    std::sort(arrivals.begin(), arrivals.end());
    std::printf("figure 4: one typist, %lld conflict copies; a line arrives in %lld ms "
                "(median), %lld ms at most\n",
                qint64(conflicts(engines.folder(0)).size() + conflicts(engines.folder(1)).size()),
                arrivals[arrivals.size() / 2], arrivals.last());
    QVERIFY(conflicts(engines.folder(0)).isEmpty() && conflicts(engines.folder(1)).isEmpty());

    // Two typists at once on different lines: both notes end the same, with both changes.
    laptop.focus();
    laptop.key(u"ctrl+Home"_s);
    laptop.type(u"early "_s);
    desktop.focus();
    desktop.key(u"ctrl+End"_s);
    desktop.type(u"desktop line"_s);
    desktop.key(u"Return"_s);
    QVERIFY2(QTest::qWaitFor(
                 [&] {
                     return contents(notes[0]) == contents(notes[1]) &&
                            contents(notes[0]).startsWith("early minutes\n") &&
                            contents(notes[0]).endsWith("desktop line\n");
                 },
                 60000),
             state().constData());
    std::printf("figure 5: two typists on different lines, %lld lines only in conflict copies\n",
                qint64(wordsOnlyInCopies().size()));
    QVERIFY2(wordsOnlyInCopies().isEmpty(), qPrintable(wordsOnlyInCopies().join(u'|')));

    // The same line at once: one side's words stay in the note, the other's in a copy kept.
    laptop.focus();
    laptop.key(u"ctrl+Home"_s);
    laptop.key(u"End"_s);
    laptop.type(u" by the laptop"_s);
    desktop.focus();
    desktop.key(u"ctrl+Home"_s);
    desktop.key(u"End"_s);
    desktop.type(u" by the desktop"_s);
    QVERIFY2(QTest::qWaitFor(
                 [&] {
                     return contents(notes[0]) == contents(notes[1]) &&
                            wordsOnlyInCopies().join(u'|').contains(u" by the "_s);
                 },
                 60000),
             state().constData());
    QVERIFY(both().contains("by the laptop") != both().contains("by the desktop"));
    QVERIFY2(!engines.log().contains("~mirt.note"), "the engine saw a save under way");
}

void tst_EndToEnd::appendAddsEachLineOnce_data() {
    QTest::addColumn<QString>("app");
    QTest::addColumn<QString>("situation");
    for (const QString &app : {u"nothing runs"_s, u"nothing runs without a bus"_s, u"Mirt runs"_s,
                               u"Mirt runs without a bus"_s})
        for (const QString &situation : {u"plain"_s, u"note changed outside just before"_s,
                                         u"meeting mode"_s, u"not UTF-8"_s, u"many at once"_s})
            if (app.startsWith(u"Mirt"_s) || situation != u"meeting mode"_s) // needs a window
                QTest::newRow(qPrintable(app + u", "_s + situation)) << app << situation;
    QTest::newRow("nothing runs, more than the bus carries") << u"nothing runs"_s << u"large"_s;
    QTest::newRow("nothing runs, note changed between its read and its write")
        << u"nothing runs"_s << u"changed while written"_s;
    QTest::newRow("Mirt runs, note cannot be saved") << u"Mirt runs"_s << u"cannot be saved"_s;
}

void tst_EndToEnd::appendAddsEachLineOnce() {
    QFETCH(QString, app);
    QFETCH(QString, situation);
    Session session;
    if (app.endsWith(u"without a bus"_s))
        session.withoutBus();
    const bool meeting = situation == u"meeting mode"_s;
    const bool outside = situation == u"note changed outside just before"_s;
    // No line break at the end: the lines still go on lines of their own.
    session.writeNote(meeting ? "" : "first");
    const bool running = app.startsWith(u"Mirt"_s);
    if (running)
        session.launch();
    if (meeting) {
        session.key(u"ctrl+shift+m"_s); // at once on a blank note
        session.type(u"first"_s);
        session.key(u"Return"_s);
        QTRY_VERIFY(session.note().contains("first\n")); // every key handled
    }
    if (outside)
        session.writeNote("first\noutside\n");
    const QByteArray before = session.note();
    QByteArray printed;
    if (situation == u"not UTF-8"_s) {
        QCOMPARE(session.command({u"--append"_s, u"-"_s}, "second\xff\n", &printed), 1);
        QVERIFY2(printed.contains("not valid UTF-8"), printed.constData());
        QTest::qWait(1000); // and nothing is saved later either
        QCOMPARE(session.note(), before);
        return;
    }
    if (situation == u"large"_s) { // more than a message on the bus may hold
        const QByteArray large = QByteArray(1023, 'x').append('\n').repeated(65 * 1024 + 1);
        QCOMPARE(session.command({u"--append"_s, u"-"_s}, large, &printed), 0);
        QVERIFY(session.note() == "first\n" + large);
        return;
    }
    if (situation == u"changed while written"_s) {
        // Another program writes while the command reads the note: nothing of either is lost,
        // and nothing is said to be written that was not.
        QCOMPARE(session.commandDuringRead({u"--append"_s, u"second"_s},
                                           [&] { session.writeNote("first\noutside\n"); }),
                 0);
        QCOMPARE(session.note(), QByteArray("first\noutside\nsecond\n"));
        return;
    }
    if (situation == u"cannot be saved"_s) {
        // A FIFO where the note was: no save goes through, and it is the same note's path.
        QVERIFY(QFile::remove(session.notePath()) &&
                ::mkfifo(QFile::encodeName(session.notePath()).constData(), 0600) == 0);
        QCOMPARE(session.command({u"--append"_s, u"second"_s}, {}, &printed), 1);
        QVERIFY2(printed.contains("cannot be saved"), printed.constData());
        QVERIFY(QFile::remove(session.notePath())); // mended: the lines must not come back
        session.type(u"!"_s);
        QTRY_COMPARE(session.note(), QByteArray("first!"));
        return;
    }
    // The user is typing at the end of the note when the lines come, and goes on: the word
    // stays whole, on its line, and the lines go after it.
    const bool typing = running && !outside;
    if (typing)
        session.type(u"de"_s);
    // Scripts that add lines at the same moment each wait their turn, and none fails. A NUL
    // is a character like any other; each --append adds lines of its own, and the mark of
    // UTF-8 that some programs write first is no character.
    const bool many = situation == u"many at once"_s;
    QList<QStringList> commands{{u"--append"_s, u"second"_s, u"--append"_s, u"-"_s}};
    if (many)
        commands = QList<QStringList>(40, {u"--append"_s, u"-"_s});
    QVERIFY2(session.commands(commands,
                              many ? QByteArray("second\nth\0ird", 13) : "\xEF\xBB\xBFthird",
                              &printed) == 0,
             printed.constData());
    if (typing)
        session.type(u"f"_s);
    // On disk when the command returns: each line once, and in meeting mode each stamped as if
    // typed. The window holds the same, and goes on from there.
    static const QRegularExpression minutes(
        uR"(^\d{4} \d\d \d\d, \d\d:\d\d\n\nfirst\n\d\d:\d\d - de(f?)\n\d\d:\d\d - second\n\d\d:\d\d - third\n\d\d:\d\d - $)"_s);
    const QByteArray lines =
        many ? QByteArray("second\nth\0ird\n", 14).repeated(40) : "second\nthird\n";
    const auto expected = [&](bool typed) -> QByteArray {
        return outside  ? "first\noutside\n" + lines
               : typing ? (typed ? "firstdef\n" : "firstde\n") + lines
                        : "first\n" + lines;
    };
    const auto sorted = [](const QByteArray &text) {
        QList<QByteArray> lines = text.split('\n');
        std::sort(lines.begin(), lines.end());
        return lines;
    };
    // Lines both sides added at the end are merged in an order of the merge's own.
    const auto holdsTheLines = [&](const QByteArray &note, bool typed) {
        if (meeting)
            return minutes.match(QString::fromUtf8(note)).captured(1) == (typed ? u"f"_s : u""_s);
        return outside || many ? sorted(note) == sorted(expected(typed)) : note == expected(typed);
    };
    QVERIFY2(holdsTheLines(session.note(), false), session.note().constData());
    if (typing)
        QTRY_VERIFY2(holdsTheLines(session.note(), true), session.note().constData());
}

void tst_EndToEnd::toggleShowsAndHidesTheNote_data() {
    QTest::addColumn<QString>("through");
    QTest::newRow("mirt --toggle") << u"command"_s;
    QTest::newRow("mirt --toggle without a bus") << u"command without a bus"_s;
    QTest::newRow("mirt --toggle after the bus went away") << u"command, bus gone"_s;
    QTest::newRow("mirt --toggle with the Clear question open") << u"command, question"_s;
    QTest::newRow("the global shortcut, after a start at login, and a portal that restarted")
        << u"shortcut"_s;
}

void tst_EndToEnd::toggleShowsAndHidesTheNote() {
    QFETCH(QString, through);
    Session session;
    std::optional<ShortcutsPortal> portal;
    QProcess *app = nullptr;
    std::function<void()> toggle;
    if (through == u"shortcut"_s) {
        portal.emplace();
        app = session.start({u"--hidden"_s});
        QTRY_COMPARE(portal->bound(),
                     QStringList{u"toggle-note|Show or hide the note|CTRL+ALT+n"_s});
        QVERIFY(Session::shownWindow(app).isEmpty());
        toggle = [&] {
            portal->press(u"toggle-note"_s, u"token"_s);
        };
        toggle();
    } else {
        if (through.endsWith(u"without a bus"_s))
            session.withoutBus();
        if (through.endsWith(u"bus gone"_s))
            session.ownBus();
        toggle = [&] { // a second Mirt started would never end: command() fails then
            QCOMPARE(session.command({u"--toggle"_s}), 0);
        };
        // A Mirt that died left its claim, and its process id is another program's now.
        session.writeNote("");
        const QString key = QString::fromLatin1(
            QCryptographicHash::hash(QFileInfo(session.notePath()).canonicalFilePath().toUtf8(),
                                     QCryptographicHash::Sha256)
                .toHex()
                .left(16));
        writeFile(session.home() + u"/run/mirt-"_s + key + u".lock"_s,
                  QByteArray::number(QCoreApplication::applicationPid()) + "\nmirt\n");
        app = session.start({u"--toggle"_s}); // nothing runs: the app starts
        QTRY_VERIFY(!Session::shownWindow(app).isEmpty());
        xdotool({u"windowfocus"_s, u"--sync"_s, Session::shownWindow(app)});
        if (through.endsWith(u"bus gone"_s))
            session.killBus(); // the app runs on, and the commands find it all the same
    }
    QTRY_VERIFY(!Session::shownWindow(app).isEmpty());
    const QString window = Session::shownWindow(app);
    QTRY_COMPARE(xdotool({u"getwindowfocus"_s}), window);
    session.type(u"ab"_s);
    session.key(u"Left"_s);
    // The question has the keyboard while it is open, and goes and comes with the window.
    QString focused = window;
    if (through.endsWith(u"question"_s)) {
        session.key(u"ctrl+shift+k"_s);
        QTRY_COMPARE(Session::shownWindow(app).split(u'\n').size(), 2);
        focused = Session::shownWindow(app).remove(window).trimmed();
        QTRY_COMPARE(xdotool({u"getwindowfocus"_s}), focused);
    }
    toggle(); // it has the keyboard: it hides, and the app goes on
    QTRY_VERIFY(Session::shownWindow(app).isEmpty());
    QCOMPARE(app->state(), QProcess::Running);
    if (portal) { // the portal forgot the session: bound again
        portal.reset();
        portal.emplace();
        QTRY_VERIFY(!portal->bound().isEmpty());
    }
    toggle(); // back, with the keyboard, and the caret where it was
    QTRY_VERIFY(Session::shownWindow(app).contains(window));
    QTRY_COMPARE(xdotool({u"getwindowfocus"_s}), focused);
    if (focused != window) { // answered; the window manager a desktop has gives the focus back
        session.key(u"Escape"_s);
        QTRY_COMPARE(Session::shownWindow(app), window);
        xdotool({u"windowfocus"_s, u"--sync"_s, window});
    }
    session.type(u"X"_s);
    QTRY_COMPARE(session.note(), QByteArray("aXb"));
    toggle(); // shown again so soon, it still knows that it has the keyboard
    QTRY_VERIFY(Session::shownWindow(app).isEmpty());
}

void tst_EndToEnd::launchRightAfterQuitOpensTheNote_data() {
    QTest::addColumn<int>("way");
    QTest::newRow("Quit with a 10 MB note and a key unsaved") << 0;
    QTest::newRow("SIGTERM") << int(SIGTERM);
}

void tst_EndToEnd::launchRightAfterQuitOpensTheNote() {
    // The Mirt that ends writes the last key first, and holds the note meanwhile: the next one
    // waits for it, then opens the note with every word.
    QFETCH(int, way);
    Session session;
    const QByteArray large = QByteArray(79, 'x').append('\n').repeated(125000);
    session.writeNote(large);
    QByteArray typed;
    QProcess *app = session.launch();
    for (int trial = 0; trial < 3; ++trial) {
        session.key(u"ctrl+End"_s);
        session.type(u"k"_s);
        typed += 'k';
        way ? void(::kill(pid_t(app->processId()), way)) : session.key(u"ctrl+q"_s);
        app = session.start();
        QTRY_VERIFY_WITH_TIMEOUT(!Session::shownWindow(app).isEmpty(), 20000);
        xdotool({u"windowfocus"_s, u"--sync"_s, Session::shownWindow(app)});
        QTest::qWait(300);
    }
    QTRY_COMPARE(session.note(), large + typed);
}

QTEST_MAIN(tst_EndToEnd)
#include "tst_endtoend.moc"
