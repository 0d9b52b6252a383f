// SPDX-License-Identifier: MIT
// Faults injected into the store, the export and the app: the note is never lost or exposed.
// MIRT_FAULT_SCALE sets the share of the full trial counts (1 for `make faults`; the test
// suite runs a fifth).
#include "Files.h"
#include "Rig.h"

#include <QDirIterator>
#include <QProcess>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QSysInfo>
#include <QTemporaryDir>
#include <QTest>

#include <atomic>
#include <csignal>
#include <map>
#include <sys/mount.h>
#include <thread>
#include <unistd.h>

using namespace Qt::StringLiterals;

namespace {

struct Figure {
    QString name;
    int trials = 0;
    int failures = 0;
};
std::map<int, Figure> figures;

void tally(int figure, const QString &name, bool ok) {
    Figure &f = figures[figure];
    f.name = name;
    ++f.trials;
    f.failures += ok ? 0 : 1;
}

// Time budgets hold for an ordinary build; sanitizers make the same work several times slower.
#ifdef MIRT_SANITIZE
constexpr qint64 slowdown = 5;
#else
constexpr qint64 slowdown = 1;
#endif

int scaled(int full) {
    const double scale = qEnvironmentVariableIsSet("MIRT_FAULT_SCALE")
                             ? qEnvironmentVariable("MIRT_FAULT_SCALE").toDouble()
                             : 0.2;
    return std::max(1, int(full * scale + 0.5));
}

QString helper(const char *name) {
    return QCoreApplication::applicationDirPath() + u'/' + QLatin1String(name);
}

/// A small RAM disk, for full-disk faults. Needs root, as CI has.
class Tmpfs {
public:
    Tmpfs(const QString &where, qint64 bytes)
        : where_(where) {
        QDir().mkpath(where);
        const QByteArray options = "size=" + QByteArray::number(bytes);
        mounted_ = ::mount("tmpfs", QFile::encodeName(where).constData(), "tmpfs", 0,
                           options.constData()) == 0;
    }
    ~Tmpfs() {
        if (mounted_)
            ::umount2(QFile::encodeName(where_).constData(), MNT_DETACH);
    }
    bool mounted() const { return mounted_; }

private:
    QString where_;
    bool mounted_ = false;
};

QString randomNote(QRandomGenerator &random, qsizetype length) {
    // A leading byte-order mark is part of the note; the face is outside the BMP.
    static const QString alphabet = u"aZ \n\r\t\"\\,=;#[]@\0\uFEFF\u00E9\u2028\u2029\U0001F600"_s;
    QString note = random.bounded(4) == 0 ? u"\uFEFF"_s : QString();
    while (note.size() < length) {
        const qsizetype at = random.bounded(alphabet.size() - 1);
        note += alphabet.sliced(at, alphabet[at].isHighSurrogate() ? 2 : 1);
    }
    return note;
}

} // namespace

class tst_Faults : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void killedWhileSavingLeavesAWholeNote();
    void killedRightAfterAClearLosesNothing();
    void unwritableStoreIsReportedAndRecovers_data();
    void unwritableStoreIsReportedAndRecovers();
    void partialSpaceIsNeverReportedAsSaved();
    void hostileStoresLoadSafely();
    void randomNotesRoundTripExactly();
    void noteStaysPrivateThroughEverySave();
    void saveSyncsTheBytesBeforeTheyTakeTheName();
    void cleanupTestCase();
};

void tst_Faults::killedWhileSavingLeavesAWholeNote() {
    // A helper saves ever longer notes of one repeated letter and says when each is on disk;
    // it is killed at random moments. A cut-off or mixed file would show.
    QTemporaryDir home;
    QRandomGenerator random(7);
    const int trials = scaled(200);
    for (int trial = 0; trial < trials; ++trial) {
        QProcess process;
        process.start(helper("store_writer"), {home.path()});
        QVERIFY(process.waitForReadyRead(5000));
        QTest::qWait(random.bounded(1, 120));
        ::kill(process.processId(), SIGKILL);
        QVERIFY(process.waitForFinished(5000));
        const qint64 reported = QString::fromLatin1(process.readAllStandardOutput())
                                    .split(u'\n', Qt::SkipEmptyParts)
                                    .last()
                                    .toLongLong();
        Rig rig(home.path()); // opening the store sweeps what the killed one left
        const QString &note = rig.model->text();
        const qsizetype round = (note.size() - 3'000'000) / 1000;
        const bool whole = round >= 0 && note.size() == 3'000'000 + round * 1000 &&
                           note.count(QChar(char16_t(u'a' + round % 26))) == note.size();
        const bool kept = note.size() >= reported; // nothing reported done is gone
        const bool clean = strayFiles(rig.dataFolder).isEmpty();
        tally(1, u"kill -9 while saving a large note"_s, whole && kept && clean);
        if (!(whole && kept && clean))
            qWarning() << "size" << note.size() << "reported" << reported << "whole" << whole
                       << "kept" << kept << "stray" << strayFiles(rig.dataFolder);
    }
    QCOMPARE(figures[1].failures, 0);
}

void tst_Faults::killedRightAfterAClearLosesNothing() {
    // A helper writes a note, says so, and clears it at once, keeping the note as an earlier
    // version first, over and over; it is killed at random moments. The last note it said was
    // written is in the note file or among the earlier versions, whole.
    QTemporaryDir home;
    QRandomGenerator random(11);
    const int trials = scaled(300);
    for (int trial = 0; trial < trials; ++trial) {
        QProcess process;
        process.start(helper("store_writer"), {home.path(), u"clear"_s});
        QVERIFY(process.waitForReadyRead(5000));
        QTest::qWait(random.bounded(0, 60));
        ::kill(process.processId(), SIGKILL);
        QVERIFY(process.waitForFinished(5000));
        const qint64 reported = QString::fromLatin1(process.readAllStandardOutput())
                                    .split(u'\n', Qt::SkipEmptyParts)
                                    .last()
                                    .toLongLong();
        const qint64 round = (reported - 3'000'000) / 1000;
        const QByteArray last(reported, char('a' + round % 26));
        bool found = contents(home.filePath(u"data/mirt.note.autosave.txt"_s)) == last;
        for (const QString &version : QDir(home.filePath(u"history"_s)).entryList(QDir::Files))
            found = found || contents(home.filePath(u"history/"_s + version)) == last;
        tally(10, u"kill -9 right after a Clear: the note or its earlier version"_s, found);
    }
    QCOMPARE(figures[10].failures, 0);
}

void tst_Faults::unwritableStoreIsReportedAndRecovers_data() {
    QTest::addColumn<QString>("kind");
    QTest::addColumn<bool>("asNobody");
    QTest::addColumn<bool>("onTmpfs");
    QTest::addColumn<QString>("refused"); // what the file system lacks
    QTest::newRow("read-only file") << u"read-only-file"_s << true << false << QString();
    QTest::newRow("read-only folder") << u"read-only-folder"_s << true << false << QString();
    QTest::newRow("missing folder") << u"missing-folder"_s << false << false << QString();
    QTest::newRow("folder where the file should be")
        << u"folder-for-file"_s << false << false << QString();
    QTest::newRow("full disk, 0 bytes free") << u"full-disk"_s << false << true << QString();
    QTest::newRow("full disk, some space free") << u"some-space"_s << false << true << QString();
    QTest::newRow("no hard links, as on a USB stick")
        << u"no-hard-links"_s << false << false << u"links"_s;
    QTest::newRow("rewritten in place without reserving space, the disk full midway")
        << u"linked-full-disk"_s << false << true << u"fallocate"_s;
}

void tst_Faults::unwritableStoreIsReportedAndRecovers() {
    QFETCH(QString, kind);
    QFETCH(bool, asNobody);
    QFETCH(bool, onTmpfs);
    QFETCH(QString, refused);
    if (::geteuid() != 0)
        QSKIP("needs root to mount a small disk and to drop to another user");
    QTemporaryDir home;
    std::unique_ptr<Tmpfs> disk;
    if (onTmpfs) {
        disk = std::make_unique<Tmpfs>(home.filePath(u"data"_s), 64 * 1024);
        QVERIFY(disk->mounted());
    }
    QProcess scenario;
    if (asNobody) {
        // Root writes anywhere; the permission faults need an ordinary user.
        QVERIFY(::chown(QFile::encodeName(home.path()).constData(), 65534, 65534) == 0);
        scenario.setChildProcessModifier([] {
            if (::setgid(65534) != 0 || ::setuid(65534) != 0)
                ::_exit(3);
        });
    }
    if (!refused.isEmpty()) {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(u"LD_PRELOAD"_s, helper("librefusing_fs.so"));
        environment.insert(u"MIRT_REFUSE"_s, refused);
        scenario.setProcessEnvironment(environment);
    }
    scenario.start(helper("fault_scenario"), {kind, home.path()});
    QVERIFY(scenario.waitForFinished(30000));
    const QString outcome = QString::fromLocal8Bit(scenario.readAllStandardOutput()).trimmed();
    tally(3, u"unwritable store told, kept, recovered"_s,
          scenario.exitCode() == 0 && outcome == QLatin1String("ok"));
    QVERIFY2(scenario.exitCode() == 0, qPrintable(outcome));
}

void tst_Faults::partialSpaceIsNeverReportedAsSaved() {
    if (::geteuid() != 0)
        QSKIP("needs root to mount a small disk");
    QRandomGenerator random(4);
    const int trials = scaled(20);
    for (int trial = 0; trial < trials; ++trial) {
        QTemporaryDir home;
        Tmpfs disk(home.filePath(u"data"_s), 2 * 1024 * 1024);
        QVERIFY(disk.mounted());
        Rig rig(home.path());
        const QString old = QString(300 * 1024, u'o');
        rig.model->setText(old);
        rig.save();
        const QString exported = QDir(rig.dataFolder).filePath(u"export.txt"_s);
        writeFile(exported, "the user's earlier export");
        const qsizetype bigger = 600 * 1024;
        fillDisk(rig.dataFolder, random.bounded(1, int(bigger) - 1));
        QSignalSpy succeeded(&rig.store, &DefaultsStore::writeSucceeded);
        rig.model->setText(QString(bigger, u'n'));
        rig.save();
        tally(4, u"save into too little space: never reported saved"_s,
              succeeded.isEmpty() && !rig.failed.isEmpty() &&
                  contents(rig.notePath()) == old.toUtf8() && strayFiles(rig.dataFolder).isEmpty());
        // An export there, or under a path that is a file, fails aloud and harms nothing.
        rig.model->exportNote();
        rig.fakes.dialogs.answer(trial % 2 ? exported : rig.notePath() + u"/export.txt"_s);
        QCoreApplication::processEvents();
        const auto &warnings = rig.fakes.dialogs.warnings;
        tally(5, u"export to a full disk or an impossible place"_s,
              warnings.size() == 1 && warnings[0].first == QLatin1String("Export Failed") &&
                  !warnings[0].second.isEmpty() &&
                  contents(exported) == "the user's earlier export" &&
                  strayFiles(rig.dataFolder).isEmpty());
    }
    QCOMPARE(figures[4].failures, 0);
    QCOMPARE(figures[5].failures, 0);
}

void tst_Faults::hostileStoresLoadSafely() {
    const int failedBefore = figures[6].failures;
    const QByteArray valid = u"caf\u00e9 \U0001F600 note\n"_s.toUtf8();
    QByteArray huge(200 * 1024 * 1024, 'h');
    const std::vector<std::pair<const char *, QByteArray>> notes = {
        {"not UTF-8", QByteArray("bad \xff\xfe\xc0\x80 bytes")},
        {"empty", QByteArray()},
        {"truncated in a character", valid.left(valid.indexOf('\xf0') + 2)},
        {"200 MB", huge},
    };
    for (const auto &[name, bytes] : notes) {
        QTemporaryDir home;
        writeFile(home.filePath(u"data/mirt.note.autosave.txt"_s), bytes);
        Rig rig(home.path()); // how long this takes is measured by `make bench`
        const bool exact = rig.model->text().toUtf8() == bytes;
        // What cannot be read exactly is kept aside before anything can overwrite it.
        const QStringList aside = QDir(rig.dataFolder).entryList({u"*unreadable*"_s}, QDir::Files);
        const bool keptAside =
            exact ? aside.isEmpty()
                  : aside.size() == 1 && contents(QDir(rig.dataFolder).filePath(aside[0])) == bytes;
        rig.model->replaceText(0, 0, u"x");
        rig.autosave();
        rig.store.flush();
        tally(6, u"hostile stores"_s, keptAside);
        QVERIFY2(keptAside, name);
    }
    huge.clear();

    for (const char *garbage :
         {"[General]\nmirt.font.size=nan\n", "[General]\nmirt.font.size=1e999\n",
          "\xff\xfe garbage \x00\x01", "[General\nmirt.font.size=@Variant(\\0)"}) {
        QTemporaryDir home;
        writeFile(home.filePath(u"prefs.ini"_s), QByteArray(garbage));
        Rig rig(home.path());
        const double size = rig.model->fontSize();
        tally(6, u"hostile stores"_s,
              std::isfinite(size) && size >= 13.0 && size <= NoteModel::fontSizeCeiling);
    }
    // A lock left by a process of this machine that is gone, and one with garbage in it.
    const QByteArray deadOwner =
        "999999\nMirt\n" + QSysInfo::machineHostName().toUtf8() + "\n"; // no such process
    for (const QByteArray &lock : {deadOwner, QByteArray("\xff")}) {
        QTemporaryDir home;
        writeFile(home.filePath(u"prefs.ini.lock"_s), lock);
        Rig rig(home.path());
        QElapsedTimer clock;
        clock.start();
        rig.model->increaseFontSize();
        tally(6, u"hostile stores"_s, clock.elapsed() < 1000 * slowdown);
    }
    QCOMPARE(figures[6].failures, failedBefore);
}

void tst_Faults::randomNotesRoundTripExactly() {
    QRandomGenerator random(1234);
    QTemporaryDir home;
    const int trials = scaled(1000);
    for (int trial = 0; trial <= trials; ++trial) {
        const QString note = trial == trials ? randomNote(random, 10 * 1024 * 1024)
                                             : randomNote(random, random.bounded(0, 2000));
        {
            Rig rig(home.path());
            rig.model->setText(note);
            rig.model->flushAutosave();
        }
        Rig again(home.path());
        tally(7, u"random notes exact after save and restart"_s, again.model->text() == note);
    }
    QCOMPARE(figures[7].failures, 0);
}

void tst_Faults::noteStaysPrivateThroughEverySave() {
    QTemporaryDir home;
    Rig rig(home.path());
    std::atomic<bool> saving = true;
    std::atomic<int> exposed = 0;
    std::atomic<int> allowed = 0600; // what the user lets others see of the note
    // Watches the folder while notes are saved: no file of the note may ever be readable by
    // anyone the note itself is not, not even for a moment.
    std::thread watcher([&] {
        while (saving) {
            QDirIterator files(rig.dataFolder, QDir::Files | QDir::Hidden);
            while (files.hasNext()) {
                const QString file = files.next();
                const int m = mode(file);
                if (file != rig.notePath() && m >= 0 && (m & 077 & ~allowed) != 0)
                    ++exposed;
            }
        }
    });
    const int trials = scaled(100);
    for (int trial = 0; trial < trials; ++trial) {
        if (trial == trials / 2) { // the user widened them meanwhile: the note stays so
            allowed = 0604;
            QFile::setPermissions(rig.notePath(), QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                                      QFileDevice::ReadOther);
            QFile::setPermissions(rig.dataFolder, QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                                      QFileDevice::ExeOwner |
                                                      QFileDevice::ReadOther |
                                                      QFileDevice::ExeOther);
        }
        rig.model->setText(QString(50'000 + trial, u'p'));
        rig.autosave();
        rig.store.flush();
        tally(9, u"note as private as the user keeps it, folder 0700"_s,
              mode(rig.notePath()) == allowed && mode(rig.dataFolder) == 0700);
    }
    saving = false;
    watcher.join();
    tally(9, u"note as private as the user keeps it, folder 0700"_s, exposed == 0);
    QCOMPARE(figures[9].failures, 0);
}

void tst_Faults::saveSyncsTheBytesBeforeTheyTakeTheName() {
    // A kill cannot show a save that never syncs (the page cache outlives the process); the
    // order of its system calls can: the bytes reach the disk before they take a name, and the
    // folder after.
    QTemporaryDir home;
    const QString log = home.filePath(u"calls"_s);
    QCOMPARE(
        runProgram(u"strace"_s, {u"-f"_s, u"-o"_s, log, u"-e"_s,
                                 u"trace=openat,write,fsync,fdatasync,link,linkat,rename,renameat,"
                                 "renameat2,close"_s,
                                 helper("store_writer"), home.path(), u"2"_s}),
        0);
    std::map<QString, bool> synced; // by descriptor: written since its last fsync or not
    bool folderSynced = false;
    int published = 0;
    static const QRegularExpression call(uR"(^\d+\s+(\w+)\((\d+)?.*\)\s+=\s+(-?\d+))"_s);
    static const QRegularExpression proc(uR"(/proc/self/fd/(\d+))"_s);
    for (const QString &line : QString::fromUtf8(contents(log)).split(u'\n')) {
        const QRegularExpressionMatch m = call.match(line);
        if (!m.hasMatch())
            continue;
        const QString name = m.captured(1), fd = m.captured(2), result = m.captured(3);
        if (name == u"openat" && line.contains(u"O_TMPFILE"))
            synced[result] = false;
        else if (name == u"write" && synced.count(fd))
            synced[fd] = false;
        else if (name == u"fsync" && synced.count(fd))
            synced[fd] = true;
        else if (name == u"fsync")
            folderSynced = true;
        else if (name.startsWith(u"link") && line.contains(u"mirt.note.autosave.txt")) {
            const QString source = proc.match(line).captured(1);
            QVERIFY2(synced.count(source) && synced[source], qPrintable(line));
            folderSynced = false;
            ++published;
        } else if (name.startsWith(u"rename") && line.contains(u"mirt.note.autosave.txt")) {
            folderSynced = false;
        }
    }
    QCOMPARE(published, 2); // a new note, then one that replaces it
    QVERIFY2(folderSynced, "the folder is not synced after the last save");
}

void tst_Faults::cleanupTestCase() {
    std::printf("\n%-8s %-56s %8s %9s\n", "figure", "what", "trials", "failures");
    for (const auto &[number, f] : figures)
        std::printf("%-8d %-56s %8d %9d\n", number, qPrintable(f.name), f.trials, f.failures);
    std::fflush(stdout);
}

QTEST_GUILESS_MAIN(tst_Faults)
#include "tst_faults.moc"
