// SPDX-License-Identifier: MIT
// The note's file with other writers on a real file system: another editor, a sync engine,
// a restored backup. Whatever they do, both sides' words survive.
#include "Files.h"
#include "Rig.h"

#include <QTemporaryDir>
#include <QTest>

#include <unistd.h>

using namespace Qt::StringLiterals;

namespace {

const QByteArray saved = "line 1\nline 2\nline 3\n";

// Another program writing the note the way `how` says.
void writeOutside(const QString &path, const QString &how) {
    if (how == QLatin1String("in place")) {
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) ||
            file.write("line 1\nline 2\nline 3\nfrom outside\n") < 0)
            qFatal("cannot write the note in place");
    } else if (how == QLatin1String("by rename")) {
        writeFile(path + u".new"_s, "line 1\nline 2\nline 3\nfrom outside\n");
        QVERIFY(::rename(QFile::encodeName(path + u".new"_s).constData(),
                         QFile::encodeName(path).constData()) == 0);
    } else if (how == QLatin1String("deleted")) {
        QVERIFY(QFile::remove(path));
    } else { // an older copy restored from a backup
        writeFile(path, "line 1\nline 2\n");
    }
}

} // namespace

class tst_NoteFile : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void readsTheBytesExactlyOrKeepsThemAside_data();
    void readsTheBytesExactlyOrKeepsThemAside();
    void outsideWritersNeverLoseWords_data();
    void outsideWritersNeverLoseWords();
    void quittingRightAfterAnotherWriterLosesNoWord();
    void syncEngineCopiesAreMergedOrKept();
    void interruptedSavesAreSweptAtStart();
    void moveWritesTheNewPlaceBeforeTheOldGoes();
};

void tst_NoteFile::readsTheBytesExactlyOrKeepsThemAside_data() {
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("keptAside");
    const QByteArray a64k(65535, 'a');
    QTest::newRow("CR LF and another machine's BOM")
        << QByteArray("\xef\xbb\xbfone\r\ntwo\r\n") << u"\uFEFFone\r\ntwo\r\n"_s << false;
    QTest::newRow("a character across the 64 KiB read chunk")
        << a64k + "\xc3\xa9" + QByteArray(70000, 'b')
        << QString(65535, u'a') + u'\u00e9' + QString(70000, u'b') << false;
    QTest::newRow("four bytes across the chunk, then plain text")
        << a64k + "\xf0\x9f\x98\x80" + QByteArray(65536, 'c')
        << QString(65535, u'a') + u"\U0001F600"_s + QString(65536, u'c') << false;
    QTest::newRow("ends in a character of two bytes")
        << QByteArray("caf\xc3\xa9") << u"caf\u00e9"_s << false;
    QTest::newRow("cut inside a character") << QByteArray("caf\xc3") << u"caf\uFFFD"_s << true;
}

void tst_NoteFile::readsTheBytesExactlyOrKeepsThemAside() {
    QFETCH(QByteArray, bytes);
    QFETCH(QString, text);
    QFETCH(bool, keptAside);
    QTemporaryDir home;
    writeFile(home.filePath(u"data/mirt.note.autosave.txt"_s), bytes);
    Rig rig(home.path());
    QCOMPARE(rig.model->text(), text);
    const QStringList aside = QDir(rig.dataFolder).entryList({u"*unreadable*"_s}, QDir::Files);
    QCOMPARE(aside.size(), keptAside ? 1 : 0);
    if (keptAside)
        QCOMPARE(contents(QDir(rig.dataFolder).filePath(aside[0])), bytes);
}

void tst_NoteFile::outsideWritersNeverLoseWords_data() {
    QTest::addColumn<QString>("how");
    QTest::addColumn<bool>("typing");
    QTest::addColumn<QByteArray>("expected");
    const QByteArray typed = "line 1 typed here\nline 2\nline 3\n";
    QTest::newRow("in place, nothing typed")
        << u"in place"_s << false << QByteArray(saved + "from outside\n");
    QTest::newRow("in place, typed")
        << u"in place"_s << true << QByteArray(typed + "from outside\n");
    QTest::newRow("by rename, nothing typed")
        << u"by rename"_s << false << QByteArray(saved + "from outside\n");
    QTest::newRow("by rename, typed")
        << u"by rename"_s << true << QByteArray(typed + "from outside\n");
    QTest::newRow("deleted, nothing typed") << u"deleted"_s << false << saved;
    QTest::newRow("deleted, typed") << u"deleted"_s << true << typed;
    QTest::newRow("older copy restored, nothing typed")
        << u"restored"_s << false << QByteArray("line 1\nline 2\n");
    QTest::newRow("older copy restored, typed")
        << u"restored"_s << true << QByteArray("line 1 typed here\nline 2\n");
}

void tst_NoteFile::outsideWritersNeverLoseWords() {
    QFETCH(QString, how);
    QFETCH(bool, typing);
    QFETCH(QByteArray, expected);
    QTemporaryDir home;
    Rig rig(home.path());
    rig.model->setText(QString::fromUtf8(saved));
    rig.save();
    if (typing)
        rig.model->replaceText(6, 0, u" typed here");
    writeOutside(rig.notePath(), how);
    // The watcher tells at once; without it, the check before the next save would.
    QTRY_COMPARE_WITH_TIMEOUT(rig.noticed.count(), 1, 3000);
    QCOMPARE(rig.model->text().toUtf8(), expected);
    rig.save();
    QCOMPARE(contents(rig.notePath()), expected);
    QVERIFY(strayFiles(rig.dataFolder).isEmpty());
}

void tst_NoteFile::quittingRightAfterAnotherWriterLosesNoWord() {
    QTemporaryDir home;
    Rig rig(home.path());
    rig.model->setText(QString::fromUtf8(saved));
    rig.save();
    rig.model->replaceText(6, 0, u" typed here");
    writeOutside(rig.notePath(), u"by rename"_s); // no turn of the event loop after this
    rig.model->flushAutosave();
    QCOMPARE(contents(rig.notePath()), "line 1 typed here\nline 2\nline 3\nfrom outside\n");
}

void tst_NoteFile::syncEngineCopiesAreMergedOrKept() {
    QTemporaryDir home;
    Rig rig(home.path());
    rig.model->setText(QString::fromUtf8(saved));
    rig.save();
    const QString merged = QDir(rig.dataFolder)
                               .filePath(QStringLiteral("mirt.note.autosave.sync-conflict-20261207-"
                                                        "090512-ABCDEFG.txt"));
    const QString kept = QDir(rig.dataFolder)
                             .filePath(QStringLiteral("mirt.note.autosave (conflicted copy "
                                                      "2026-12-07 090512).txt"));
    writeFile(merged, saved + "added on the laptop\n");
    writeFile(kept, "line 1\nline 2 changed on the laptop\nline 3\n");
    QTRY_COMPARE_WITH_TIMEOUT(rig.noticed.count(), 2, 3000);
    QCOMPARE(rig.model->text().toUtf8(), saved + "added on the laptop\n");
    rig.save();
    QCOMPARE(contents(rig.notePath()), saved + "added on the laptop\n");
    QVERIFY2(!QFile::exists(merged), "its words are in the note");
    QVERIFY2(QFile::exists(kept), "its words are not in the note");
}

void tst_NoteFile::interruptedSavesAreSweptAtStart() {
    QTemporaryDir home;
    const QString folder = home.filePath(u"data"_s);
    writeFile(folder + u"/~mirt.note.autosave.txt.aB3xYz.tmp"_s, "half a note");
    writeFile(folder + u"/~someone-else.tmp"_s, "not ours");
    Rig rig(home.path());
    QCOMPARE(strayFiles(folder), QStringList{u"~someone-else.tmp"_s});
}

void tst_NoteFile::moveWritesTheNewPlaceBeforeTheOldGoes() {
    QTemporaryDir home;
    Rig rig(home.path());
    rig.model->setText(u"mine\n"_s);
    rig.save();
    const QString old = rig.notePath();
    const QString sync = home.filePath(u"Sync"_s);
    QVERIFY(QDir().mkpath(sync));
    QCOMPARE(rig.store.moveTo(NoteModel::saveKey, sync, rig.model->text()), std::nullopt);
    QCOMPARE(contents(sync + u"/mirt.note.autosave.txt"_s), QByteArray("mine\n"));
    QVERIFY(!QFile::exists(old));
    QSettings prefs(home.filePath(u"prefs.ini"_s), QSettings::IniFormat);
    QCOMPARE(prefs.value(FileDefaultsStore::noteFolderKey).toString(), sync);

    // A folder where the other machine's note waits already: it is never overwritten unseen.
    const QString other = home.filePath(u"Other"_s);
    writeFile(other + u"/mirt.note.autosave.txt"_s, "from the laptop\n");
    QCOMPARE(rig.store.moveTo(NoteModel::saveKey, other, rig.model->text()), std::nullopt);
    rig.save();
    QTRY_VERIFY(rig.noticed.count() >= 1);
    rig.save();
    QCOMPARE(contents(other + u"/mirt.note.autosave.txt"_s), QByteArray("mine\n"));
    const QStringList copies = QDir(other).entryList({u"*.conflict-*"_s}, QDir::Files);
    QCOMPARE(copies.size(), 1);
    QCOMPARE(contents(QDir(other).filePath(copies[0])), QByteArray("from the laptop\n"));
    QVERIFY(!QFile::exists(sync + u"/mirt.note.autosave.txt"_s));
}

QTEST_GUILESS_MAIN(tst_NoteFile)
#include "tst_notefile.moc"
