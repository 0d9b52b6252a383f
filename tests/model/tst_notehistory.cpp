// SPDX-License-Identifier: MIT
// The note's earlier versions on disk: kept like a backup over a year of virtual time, a
// snapshot at most every five minutes, and never blocking anything when they cannot be written.
#include "Fakes.h"
#include "Files.h"
#include "NoteHistory.h"

#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {

// Thousands of versions are written and synced: on a RAM disk where there is one.
QString scratch() {
    return QDir(u"/dev/shm"_s).exists() ? u"/dev/shm/mirt-history-XXXXXX"_s : QString();
}

} // namespace

class tst_NoteHistory : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void keptLikeABackupNotLikeACache();
    void aSnapshotAtMostEveryFiveMinutesOfAChangedNote();
    void versionsThatCannotBeWrittenWaitAndAreToldOnce();
    void scriptsListAndReadTheVersions();
};

void tst_NoteHistory::keptLikeABackupNotLikeACache() {
    QTemporaryDir dir(scratch());
    Timeline time;
    FakeClock clock(time);
    NoteHistory history(dir.filePath(u"history"_s), clock);
    // A growing note, each version holding those before, every 5 h 17 min for 400 days; the
    // first a meeting's minutes and one, later, a cleared note.
    struct Kept {
        QDateTime when;
        bool mustStay;
    };
    QList<Kept> kept;
    QByteArray note;
    const qint64 step = (5 * 60 + 17) * 60 * 1000;
    for (int n = 0; qint64(n) * step < 400LL * 24 * 3600 * 1000; ++n) {
        time.advance(qint64(n) * step - time.nowMs());
        note += "line " + QByteArray::number(n) + '\n';
        if (n == 600) { // older than one of its day, but with a line no later version has
            history.keep(NoteHistory::Kind::Snapshot, note + "deleted later\n");
            kept.append({time.now(), true});
            time.advance(30 * 60'000);
        }
        const NoteHistory::Kind kind = n == 1     ? NoteHistory::Kind::Meeting
                                       : n == 900 ? NoteHistory::Kind::BeforeClear
                                                  : NoteHistory::Kind::Snapshot;
        history.keep(kind, note);
        kept.append({time.now(), kind != NoteHistory::Kind::Snapshot});
    }
    // The oracle: every version of the last day, the newest of each hour for a week and of
    // each day for a year, and those that must stay.
    QSet<QString> buckets;
    QList<QDateTime> expected;
    const QDateTime now = time.now();
    for (auto version = kept.rbegin(); version != kept.rend(); ++version) {
        const QDateTime when = version->when.toUTC();
        const qint64 age = when.secsTo(now);
        const QString bucket = age <= 7 * 86400     ? when.toString(u"yyyyMMddHH"_s)
                               : age <= 365 * 86400 ? when.toString(u"yyyyMMdd"_s)
                                                    : QString();
        if (age <= 86400 || version->mustStay || (!bucket.isEmpty() && !buckets.contains(bucket)))
            expected << when;
        buckets.insert(bucket);
    }
    QList<QDateTime> left;
    for (const NoteHistory::Version &version : history.versions())
        left << version.time;
    QCOMPARE(left, expected);

    // The budget forces the oldest out, whatever they are, but never the newest.
    NoteHistory tight(dir.filePath(u"history"_s), clock, note.size() * 3);
    time.advance(1000);
    tight.keep(NoteHistory::Kind::BeforeClear, note);
    const QList<NoteHistory::Version> fitting = tight.versions();
    QCOMPARE(fitting.size(), 3);
    QCOMPARE(fitting.last().time, expected[1]);
}

void tst_NoteHistory::aSnapshotAtMostEveryFiveMinutesOfAChangedNote() {
    QTemporaryDir dir;
    Timeline time;
    FakeClock clock(time);
    const QString folder = dir.filePath(u"history"_s);
    {
        NoteHistory history(folder, clock);
        for (const auto &[minutes, note] : {std::pair{0, "one"},
                                            {1, "two"},
                                            {6, "three"},
                                            {12, "three"},
                                            {13, "four"},
                                            {19, "five"}}) {
            time.advance(qint64(minutes) * 60'000 - time.nowMs());
            history.offerSnapshot(note);
        }
        QStringList kept;
        for (const NoteHistory::Version &version : history.versions())
            kept << QString::fromUtf8(*history.read(version));
        QCOMPARE(kept, (QStringList{u"five"_s, u"four"_s, u"three"_s, u"one"_s}));
        QCOMPARE(mode(folder), 0700);
        QCOMPARE(mode(history.versions().first().path), 0600);
    }
    // Started again within five minutes of the last: none yet, and none of the same words.
    NoteHistory again(folder, clock);
    time.advance(60'000);
    again.offerSnapshot("six");
    time.advance(10 * 60'000);
    again.offerSnapshot("five");
    QCOMPARE(again.versions().size(), 4);
    again.setEnabled(false);
    time.advance(10 * 60'000);
    again.offerSnapshot("seven");
    again.keep(NoteHistory::Kind::BeforeClear, "seven");
    QCOMPARE(again.versions().size(), 4); // off keeps nothing new, and removes nothing
}

void tst_NoteHistory::versionsThatCannotBeWrittenWaitAndAreToldOnce() {
    QTemporaryDir dir;
    Timeline time;
    FakeClock clock(time);
    const QString folder = dir.filePath(u"history"_s);
    writeFile(folder, "a file where the folder should be");
    NoteHistory history(folder, clock);
    QSignalSpy failed(&history, &NoteHistory::failed);
    history.keep(NoteHistory::Kind::BeforeClear, "cleared");
    time.advance(1000);
    history.keep(NoteHistory::Kind::BeforeChange, "changed");
    QCOMPARE(failed.count(), 1);
    QVERIFY(failed[0][0].toString().contains(QDir::toNativeSeparators(folder)));
    QVERIFY(QFile::remove(folder));
    time.advance(1000);
    history.keep(NoteHistory::Kind::BeforeMerge, "merged");
    QStringList kept;
    for (const NoteHistory::Version &version : history.versions())
        kept << NoteHistory::kindName(version.kind) + u':' +
                    QString::fromUtf8(*history.read(version));
    QCOMPARE(kept, (QStringList{u"before-merge:merged"_s, u"before-change:changed"_s,
                                u"before-clear:cleared"_s}));
    QCOMPARE(failed.count(), 1);
}

void tst_NoteHistory::scriptsListAndReadTheVersions() {
    QTemporaryDir home;
    const QString data = home.filePath(u"data"_s);
    SystemClock clock;
    NoteHistory history(NoteHistory::folderFor(data + u"/Mirt/Mirt"_s, QString()), clock);
    history.keep(NoteHistory::Kind::Meeting, "\n2026 12 07, 14:05\n\n14:05 - budget\n");
    QTest::qWait(5);
    history.keep(NoteHistory::Kind::BeforeClear, "caf\xc3\xa9\tand tabs\n");
    const auto mirt = [&](const QStringList &arguments, QByteArray *out) {
        QProcess process;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(u"XDG_DATA_HOME"_s, data);
        process.setProcessEnvironment(env);
        process.start(QStringLiteral(MIRT_BINARY), arguments);
        process.waitForFinished(30000);
        *out = process.readAllStandardOutput();
        return process.exitCode();
    };
    QByteArray out;
    QCOMPARE(mirt({u"--history"_s}, &out), 0);
    const QList<QByteArray> lines = out.trimmed().split('\n');
    QCOMPARE(lines.size(), 2);
    const QList<QByteArray> first = lines[0].split('\t'), second = lines[1].split('\t');
    QCOMPARE(first.size(), 5);
    QCOMPARE(first[0], "1");
    QCOMPARE(first[2], "before-clear");
    QCOMPARE(first[3], "caf\xc3\xa9 and tabs"); // a tab in a line cannot split its columns
    QCOMPARE(second[2], "meeting");
    QCOMPARE(second[3], "2026 12 07, 14:05");
    QCOMPARE(contents(QString::fromUtf8(second[4])), "\n2026 12 07, 14:05\n\n14:05 - budget\n");
    QCOMPARE(mirt({u"--history"_s, u"2"_s}, &out), 0);
    QCOMPARE(out, "\n2026 12 07, 14:05\n\n14:05 - budget\n");
    QCOMPARE(mirt({u"--history"_s, u"3"_s}, &out), 1);
    QVERIFY(out.isEmpty());
}

QTEST_GUILESS_MAIN(tst_NoteHistory)
#include "tst_notehistory.moc"
