// SPDX-License-Identifier: MIT
// The note's file with other writers on a real file system: another editor, a sync engine,
// a restored backup. Whatever they do, both sides' words survive.
#include "CommonVersions.h"
#include "Files.h"
#include "Rig.h"

#include <QTemporaryDir>
#include <QTest>

#include <algorithm>
#include <csignal>
#include <fcntl.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <thread>
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
    } else if (how == QLatin1String("same size, times put back")) {
        // As a tool that keeps times does, at once: size, inode and times say nothing changed.
        struct stat before {};
        QVERIFY(::stat(QFile::encodeName(path).constData(), &before) == 0);
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadWrite) && file.write("line 1\nline 2\nline X\n") > 0);
        file.close();
        const struct timespec times[2] = {before.st_atim, before.st_mtim};
        QVERIFY(::utimensat(AT_FDCWD, QFile::encodeName(path).constData(), times, 0) == 0);
    } else if (how.startsWith(u"emptied"_s)) {
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        if (how.endsWith(u"refilled"_s)) // one writer's save in two steps, as some editors do
            std::thread([path] {
                std::this_thread::sleep_for(std::chrono::milliseconds(300));
                writeFile(path, "line 1\nline 2\nline 3\nfrom outside\n");
            }).detach();
    } else if (how == QLatin1String("Latin-1")) {
        writeFile(path, "line 1\nline 2\nline 3\ncaf\xe9\n");
    } else { // an older copy restored from a backup
        writeFile(path, "line 1\nline 2\n");
    }
}

struct stat stated(const QString &path) {
    struct stat info {};
    ::lstat(QFile::encodeName(path).constData(), &info);
    return info;
}

bool sameWrite(const struct stat &a, const struct stat &b) {
    return a.st_ino == b.st_ino && a.st_mtim.tv_sec == b.st_mtim.tv_sec &&
           a.st_mtim.tv_nsec == b.st_mtim.tv_nsec;
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
    void aVersionThatCannotBeKeptIsASaveFailure();
    void conflictCopiesAreMergedOrKeptNamed_data();
    void conflictCopiesAreMergedOrKeptNamed();
    void everyKindOfPathKeepsTheWords_data();
    void everyKindOfPathKeepsTheWords();
    void aFolderRemovedMeanwhileComesBackAsItWas();
    void aLargeNoteIsCheckedAndMergedAsASmallOne();
    void aLateVersionMergesAgainstTheOneItCameFrom();
    void aNoteRewrittenInPlaceIsWholeWhenTheDiskRefuses_data();
    void aNoteRewrittenInPlaceIsWholeWhenTheDiskRefuses();
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
    QTest::addColumn<bool>("keepsTyped"); // a copy holds the note as typed: lines went
    const QByteArray typed = "line 1 typed here\nline 2\nline 3\n";
    QTest::newRow("in place, nothing typed")
        << u"in place"_s << false << QByteArray(saved + "from outside\n") << false;
    QTest::newRow("in place, typed")
        << u"in place"_s << true << QByteArray(typed + "from outside\n") << false;
    QTest::newRow("by rename, nothing typed")
        << u"by rename"_s << false << QByteArray(saved + "from outside\n") << false;
    QTest::newRow("by rename, typed")
        << u"by rename"_s << true << QByteArray(typed + "from outside\n") << false;
    QTest::newRow("deleted, nothing typed") << u"deleted"_s << false << saved << false;
    QTest::newRow("deleted, typed") << u"deleted"_s << true << typed << false;
    QTest::newRow("emptied, typed") << u"emptied"_s << true << typed << false;
    QTest::newRow("emptied and refilled, typed")
        << u"emptied and refilled"_s << true << QByteArray(typed + "from outside\n") << false;
    QTest::newRow("older copy restored, nothing typed")
        << u"restored"_s << false << QByteArray("line 1\nline 2\n") << false;
    QTest::newRow("older copy restored, typed")
        << u"restored"_s << true << QByteArray("line 1 typed here\nline 2\n") << true;
    QTest::newRow("same size, times put back, nothing typed")
        << u"same size, times put back"_s << false << QByteArray("line 1\nline 2\nline X\n")
        << false;
    QTest::newRow("same size, times put back, typed")
        << u"same size, times put back"_s << true
        << QByteArray("line 1 typed here\nline 2\nline X\n") << false;
    QTest::newRow("Latin-1, nothing typed: the file left as it is")
        << u"Latin-1"_s << false << QByteArray(saved + "caf\xe9\n") << false;
}

void tst_NoteFile::outsideWritersNeverLoseWords() {
    QFETCH(QString, how);
    QFETCH(bool, typing);
    QFETCH(QByteArray, expected);
    QFETCH(bool, keepsTyped);
    QTemporaryDir home;
    Rig rig(home.path());
    rig.model->setText(QString::fromUtf8(saved));
    rig.save();
    if (typing)
        rig.model->replaceText(6, 0, u" typed here");
    writeOutside(rig.notePath(), how);
    // The watcher tells at once; without it, the check before the next save would.
    QTRY_COMPARE_WITH_TIMEOUT(rig.noticed.count() + rig.kept.count(), 1, 5000);
    const QByteArray outside = contents(rig.notePath());
    const struct stat written = stated(rig.notePath());
    QCOMPARE(rig.model->text(), QString::fromUtf8(expected));
    // Lines the user still had, taken out by the other version, stay in a copy named.
    QCOMPARE(rig.kept.count(), keepsTyped ? 1 : 0);
    if (keepsTyped)
        QCOMPARE(contents(rig.kept[0][1].toString()), QByteArray(saved).insert(6, " typed here"));
    rig.save();
    QCOMPARE(contents(rig.notePath()), expected);
    QVERIFY(strayFiles(rig.dataFolder).isEmpty());
    // Taken in, another program's version is not written again: a sync engine would take the
    // same bytes under a new inode for an edit, and conflict with the machine that made it.
    if (!typing && how != QLatin1String("deleted"))
        QVERIFY(sameWrite(stated(rig.notePath()), written));
    // Bytes that are no UTF-8 are kept aside as they were, before anything is written over them.
    const QStringList aside = QDir(rig.dataFolder).entryList({u"*.unreadable-*"_s}, QDir::Files);
    QCOMPARE(aside.size(), how == QLatin1String("Latin-1") ? 1 : 0);
    if (!aside.isEmpty())
        QCOMPARE(contents(QDir(rig.dataFolder).filePath(aside[0])), outside);
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

void tst_NoteFile::aVersionThatCannotBeKeptIsASaveFailure() {
    QTemporaryDir home;
    Rig rig(home.path());
    rig.model->setText(QString::fromUtf8(saved));
    rig.save();
    rig.model->replaceText(5, 1, u"one");
    // The folder takes no new file: the other version cannot be kept beside the note.
    QVERIFY(setReadOnly(rig.dataFolder, true));
    const QByteArray other = "line 1 from elsewhere\nline 2\nline 3\n";
    writeFile(rig.notePath(), other);
    QTRY_COMPARE_WITH_TIMEOUT(rig.failed.count(), 1, 3000);
    rig.save();
    QVERIFY(rig.model->isSaveFailing());
    QCOMPARE(contents(rig.notePath()), other);
    QVERIFY(setReadOnly(rig.dataFolder, false));
    rig.model->flushAutosave(); // quitting tries again
    QCOMPARE(contents(rig.notePath()), "line one\nline 2\nline 3\n");
    QCOMPARE(rig.kept.count(), 1);
    QCOMPARE(contents(rig.kept[0][1].toString()), other);
    QCOMPARE(rig.recovered.count(), 1);
}

void tst_NoteFile::conflictCopiesAreMergedOrKeptNamed_data() {
    QTest::addColumn<QString>("note");
    QTest::addColumn<QStringList>("versions"); // saved here in turn; the last is the note
    QTest::addColumn<QString>("copy");
    QTest::addColumn<QByteArray>("copied");
    QTest::addColumn<QString>("expected"); // empty: the copy is kept, and named
    const QString x = u"1\n2\n3\n4\n"_s, x1 = u"1 here\n2\n3\n4\n"_s, x3 = u"1\n2\n3 there\n4\n"_s;
    const QString both = u"1 here\n2\n3 there\n4\n"_s, note = u"mirt.note.autosave.txt"_s;
    const QString syncthing = u"mirt.note.autosave.sync-conflict-20261207-090512-ABCDEFG.txt"_s;
    QTest::newRow("Syncthing: lines added")
        << note << QStringList{x} << syncthing << (x + u"5\n"_s).toUtf8() << x + u"5\n"_s;
    QTest::newRow("Syncthing: another line changed, from the version before ours")
        << note << QStringList{x, x1} << syncthing << x3.toUtf8() << both;
    QTest::newRow("Syncthing: our version that the other machine's replaced")
        << note << QStringList{x, x3, x1} << syncthing << x3.toUtf8() << both;
    // The other machine's version grew from before two of ours: its lines are no deletions.
    QTest::newRow("Syncthing: ours, displaced by a version from before the one before it")
        << note
        << QStringList{u"m\nA10\n"_s, u"m\nA10\nA11\n"_s, u"m\nA10\nA11\nA12\n"_s,
                       u"B top\nm\nA10\n"_s}
        << syncthing << u"m\nA10\nA11\nA12\n"_s.toUtf8() << u"B top\nm\nA10\nA11\nA12\n"_s;
    // Both hold "one": it is no line that each added at the end.
    QTest::newRow("Syncthing: a line added before one that both have")
        << note << QStringList{u"start\n"_s, u"start\none\n"_s} << syncthing
        << u"start\ntwo\none\n"_s.toUtf8() << u"start\ntwo\none\n"_s;
    // The other machine made its version from nothing, and never had "a" (ledger seeds 1, 30).
    QTest::newRow("Syncthing: a version made elsewhere from nothing")
        << note << QStringList{u"a\n"_s, u"a\nb\n"_s} << syncthing << u"c\n"_s.toUtf8()
        << QString();
    // The copy has the change that made ours, but never had "b", an earlier one (ledger seed 3).
    QTest::newRow("Syncthing: our last change, without one before it")
        << note << QStringList{u"m\n"_s, u"m\nb\n"_s, u"m\nb\nc\n"_s} << syncthing
        << u"m\nx\nc\n"_s.toUtf8() << u"m\nb\nx\nc\n"_s;
    // The other machine's version, taken in, never had "x0"; ours had merged it back from a
    // copy: "m x1" is what both hold (ledger seed 201).
    QTest::newRow("Syncthing: ours, after a version taken in and a copy merged")
        << note
        << QStringList{u"m\nx0\n"_s, u"m\nx1\n"_s, u"m\nx0\nx1\n"_s, u"m\nx0\nx1\nx7\n"_s,
                       u"m\nx1\nx5\n"_s}
        << syncthing << u"m\nx0\nx1\nx7\n"_s.toUtf8() << u"m\nx0\nx1\nx5\nx7\n"_s;
    // The other machine's version, taken in, grew from before the oldest we remember: against
    // that one, "x0 x2" seem changed here, but only the copy has them (ledger seed 201).
    QTest::newRow("Syncthing: ours, displaced by a version from before all we remember")
        << note << QStringList{u"m\nx0\nx2\n"_s, u"m\nx0\nx2\nx7\n"_s, u"m\nx1\nx3\nx10\n"_s}
        << syncthing << u"m\nx0\nx2\nx7\nx1\nx3\nx11\n"_s.toUtf8()
        << u"m\nx7\nx1\nx3\nx10\nx11\n"_s;
    QTest::newRow("Nextcloud: nothing the note lacks")
        << note << QStringList{x, x + u"5\n"_s}
        << u"mirt.note.autosave (conflicted copy 2026-12-07 090512).txt"_s << x.toUtf8()
        << x + u"5\n"_s;
    QTest::newRow("Dropbox: the line we changed, changed otherwise")
        << note << QStringList{x, x1}
        << u"mirt.note.autosave (laptop's conflicted copy 2026-12-07).txt"_s
        << u"1 there\n2\n3\n4\n"_s.toUtf8() << QString();
    QTest::newRow("a note without a suffix")
        << u"notes"_s << QStringList{x} << u"notes.sync-conflict-20261207-090512-ABCDEFG"_s
        << (x + u"5\n"_s).toUtf8() << x + u"5\n"_s;
    QTest::newRow("no UTF-8") << note << QStringList{x} << syncthing
                              << QByteArray("1\n2\ncaf\xe9\n") << QString();
    QTest::newRow("the app's own copy, same lines")
        << note << QStringList{x1} << u"mirt.note.autosave.conflict-2026-12-07-090512.txt"_s
        << u"1 there\n2\n3\n4\n"_s.toUtf8() << QString();
}

void tst_NoteFile::conflictCopiesAreMergedOrKeptNamed() {
    QFETCH(QString, note);
    QFETCH(QStringList, versions);
    QFETCH(QString, copy);
    QFETCH(QByteArray, copied);
    QFETCH(QString, expected);
    QTemporaryDir home;
    Rig rig(home.path(), {.privateFolder = true}, note);
    for (const QString &version : versions) {
        rig.model->setText(version);
        rig.save();
    }
    // The note cannot be written for now: a copy may only go once its words are on disk.
    QVERIFY(QFile::remove(rig.notePath()) && QDir().mkdir(rig.notePath()));
    // The copy of another file, whose name differs only in case, on a file system with case.
    const QString decoy = QDir(rig.dataFolder).filePath(copy.toUpper());
    writeFile(decoy, "a line of another file\n");
    const QString path = QDir(rig.dataFolder).filePath(copy);
    writeFile(path, copied);
    QTRY_COMPARE_WITH_TIMEOUT(rig.noticed.count() + rig.kept.count(), 1, 3000);
    // A copy goes only once every line of it stands in the note; until then it is named.
    const QStringList noteLines = expected.split(u'\n');
    const bool goes =
        !expected.isEmpty() &&
        std::ranges::all_of(QString::fromUtf8(copied).split(u'\n'),
                            [&](const QString &line) { return noteLines.contains(line); });
    QCOMPARE(rig.kept.count(), goes ? 0 : 1);
    QCOMPARE(rig.model->text(), expected.isEmpty() ? versions.last() : expected);
    rig.save();
    QVERIFY2(QFile::exists(path), "removed before its words were on disk");
    QVERIFY(QDir(rig.notePath()).removeRecursively());
    rig.model->flushAutosave(); // as the app does at its end: the failed save is tried again
    QCOMPARE(QFile::exists(path), !goes);
    QCOMPARE(contents(decoy), "a line of another file\n");
    if (!expected.isEmpty())
        QCOMPARE(contents(rig.notePath()), expected.toUtf8());
    if (!goes) {
        QCOMPARE(rig.kept[0][1].toString(), path);
        QCOMPARE(contents(path), copied);
    }
}

void tst_NoteFile::everyKindOfPathKeepsTheWords_data() {
    QTest::addColumn<QString>("kind");
    for (const char *kind :
         {"regular file", "link to a file in a synced folder", "link to a folder",
          "link to a file not made yet", "hard link", "file shared 0664", "no suffix", "FIFO",
          "folder", "missing folder", "read-only file", "read-only folder"})
        QTest::newRow(kind) << QString::fromLatin1(kind);
}

void tst_NoteFile::everyKindOfPathKeepsTheWords() {
    // Each kind of path, at start, at a save, at another program's change, at a conflict copy,
    // at a move and at the end of the app: the words reach the real file, or stay and are told.
    QFETCH(QString, kind);
    QTemporaryDir home;
    const QString data = home.filePath(u"data"_s), sync = home.filePath(u"Sync"_s);
    QVERIFY(QDir().mkpath(sync));
    const QString name = kind == QLatin1String("no suffix") ? u"notes"_s : u"note.txt"_s;
    const QString path = data + u'/' + name;
    QString real = path;
    QByteArray before = "line 1\n";
    const auto link = [](const QString &target, const QString &at) {
        QDir().mkpath(QFileInfo(at).absolutePath());
        QVERIFY(QFile::link(target, at));
    };
    if (kind.startsWith(u"link to a file")) {
        real = sync + u"/note.txt"_s;
        if (kind.endsWith(u"not made yet"))
            before.clear();
        else
            writeFile(real, before);
        link(real, path);
    } else if (kind == QLatin1String("link to a folder")) {
        real = sync + u'/' + name;
        writeFile(real, before);
        link(sync, data);
    } else if (kind == QLatin1String("FIFO") || kind == QLatin1String("folder")) {
        before.clear();
        QDir().mkpath(data);
        QVERIFY(kind == QLatin1String("FIFO") ? ::mkfifo(QFile::encodeName(path), 0600) == 0
                                              : QDir().mkdir(path));
    } else if (kind != QLatin1String("missing folder")) {
        writeFile(path, before);
    } else {
        before.clear();
    }
    if (kind == QLatin1String("hard link"))
        QVERIFY(::link(QFile::encodeName(path), QFile::encodeName(sync + u"/other name"_s)) == 0);
    if (kind == QLatin1String("file shared 0664")) { // in a folder whose files take its group
        QVERIFY(::chmod(QFile::encodeName(path), 0664) == 0);
        QVERIFY(::chown(QFile::encodeName(data), uid_t(-1), 4242) == 0 &&
                ::chmod(QFile::encodeName(data), 02775) == 0);
        QVERIFY(::setxattr(QFile::encodeName(path), "user.tag", "kept", 4, 0) == 0);
    }
    const QString readOnly = kind == QLatin1String("read-only file")     ? path
                             : kind == QLatin1String("read-only folder") ? data
                                                                         : QString();
    if (!readOnly.isEmpty())
        QVERIFY2(setReadOnly(readOnly, true), "this file system cannot make a file read-only");
    const struct stat original = stated(path);
    const int originalMode = mode(real);

    Rig rig(home.path(), {}, name); // a FIFO must not hold the start
    QCOMPARE(rig.model->text().toUtf8(), before);
    rig.model->replaceText(rig.model->text().size(), 0, u"typed\n");
    rig.save();
    // A read-only folder still lets its note change, in place.
    const bool writable = kind != QLatin1String("FIFO") && kind != QLatin1String("folder") &&
                          kind != QLatin1String("read-only file");
    QCOMPARE(rig.model->isSaveFailing(), !writable);
    if (!writable) { // refused, told, and left as it was; tried again once it can be written
        const QString reason = rig.failed[0][0].toString();
        QVERIFY2(reason.contains(readOnly.isEmpty() ? kind : path), qPrintable(reason));
        QCOMPARE(stated(path).st_mode & S_IFMT, original.st_mode & S_IFMT);
        if (!readOnly.isEmpty())
            QCOMPARE(contents(path), before);
        QVERIFY(!readOnly.isEmpty()             ? setReadOnly(readOnly, false)
                : kind == QLatin1String("FIFO") ? QFile::remove(path)
                                                : QDir().rmdir(path));
        rig.model->flushAutosave();
        QCOMPARE(contents(path), before + "typed\n");
        return;
    }
    const QByteArray saved = before + "typed\n";
    QCOMPARE(contents(real), saved);
    QCOMPARE(stated(path).st_mode & S_IFMT, kind.startsWith(u"link to a file") ? S_IFLNK : S_IFREG);
    QCOMPARE(mode(real), originalMode < 0 ? 0600 : originalMode); // only new files are private
    QCOMPARE(stated(real).st_gid, original.st_gid);
    if (kind == QLatin1String("file shared 0664")) {
        char tag[8] = {};
        QCOMPARE(::getxattr(QFile::encodeName(real), "user.tag", tag, sizeof tag), ssize_t(4));
    }
    if (kind == QLatin1String("hard link"))
        QCOMPARE(contents(sync + u"/other name"_s), saved);
    if (!readOnly.isEmpty()) // copies and moves need a folder that takes new names
        QVERIFY(setReadOnly(readOnly, false));

    const struct stat taken = (writeFile(real, saved + "outside\n"), stated(real));
    QTRY_COMPARE_WITH_TIMEOUT(rig.model->text().toUtf8(), saved + "outside\n", 3000);
    rig.save();
    QVERIFY2(sameWrite(stated(real), taken), "what was taken in is written again");

    // Copies of the same second never replace each other, and a note without a suffix gets
    // copies without one.
    const auto [first, error] = rig.store.keepConflictCopy(NoteModel::saveKey, u"one\n"_s);
    const auto [second, again] = rig.store.keepConflictCopy(NoteModel::saveKey, u"two\n"_s);
    QVERIFY(!error && !again && first != second);
    QCOMPARE(QFileInfo(first).absolutePath(), QFileInfo(real).canonicalPath());
    QCOMPARE(contents(first) + contents(second), QByteArray("one\ntwo\n"));
    QCOMPARE(first.endsWith(u".txt"_s), name.endsWith(u".txt"_s));

    const QString moved = home.filePath(u"moved"_s);
    QVERIFY(QDir().mkpath(moved));
    QCOMPARE(rig.store.moveTo(NoteModel::saveKey, moved, rig.model->text()), std::nullopt);
    QCOMPARE(contents(moved + u'/' + name), saved + "outside\n");
    QVERIFY2(!QFileInfo(path).exists() && !QFileInfo(path).isSymLink(), "the old name stays");
}

void tst_NoteFile::aFolderRemovedMeanwhileComesBackAsItWas() {
    for (const bool isPrivate : {false, true}) { // a note of the user's choosing; the app's own
        QTemporaryDir home;
        Rig rig(home.path(), {.createFolder = true, .privateFolder = isPrivate});
        rig.model->setText(u"one\n"_s);
        rig.save();
        QVERIFY(::chmod(QFile::encodeName(rig.dataFolder), 0751) == 0);
        rig.model->setText(u"two\n"_s);
        rig.save();
        QVERIFY(QDir(rig.dataFolder).removeRecursively());
        rig.model->setText(u"three\n"_s);
        rig.save();
        QCOMPARE(contents(rig.notePath()), "three\n");
        QCOMPARE(mode(rig.dataFolder), isPrivate ? 0700 : 0751);
    }
}

void tst_NoteFile::aLargeNoteIsCheckedAndMergedAsASmallOne() {
    // The version both sides agree on is kept compressed when it is large.
    QTemporaryDir home;
    Rig rig(home.path());
    const QString lines = u"a line of a long note\n"_s.repeated(100'000);
    rig.model->setText(u"first\n"_s + lines);
    rig.save();
    rig.store.flush(); // and compressed meanwhile
    const QByteArray saved = contents(rig.notePath());
    writeFile(rig.notePath(), saved); // the same words written back: nothing to tell
    const struct stat rewritten = stated(rig.notePath());
    rig.model->replaceText(0, 0, u"x"_s); // and typed and taken back: nothing to write
    rig.model->replaceText(0, 1, {});
    rig.save();
    QVERIFY(sameWrite(stated(rig.notePath()), rewritten));
    rig.model->replaceText(0, 0, u"typed "_s);
    rig.save();
    QCOMPARE(rig.noticed.count(), 0);
    QVERIFY(contents(rig.notePath()).startsWith("typed first\n"));
    rig.model->replaceText(0, 0, u"more "_s);
    writeFile(rig.notePath(), "typed first\n" + lines.toUtf8() + "from outside\n");
    QTRY_COMPARE_WITH_TIMEOUT(rig.noticed.count(), 1, 3000);
    QCOMPARE(rig.model->text(), u"more typed first\n"_s + lines + u"from outside\n"_s);
    // Compressed, it is still told from a version of the same size, and given back whole.
    CommonVersions versions;
    versions.start(saved);
    const auto job = versions.compaction();
    QVERIFY(job);
    versions.compacted(job->generation, CommonVersions::pack(job->raw));
    QVERIFY(!versions.compaction() && versions.isCurrent(saved));
    QVERIFY(!versions.isCurrent(QByteArray(saved).replace("first", "frost")));
    QCOMPARE(versions.current(), saved);
}

void tst_NoteFile::aLateVersionMergesAgainstTheOneItCameFrom() {
    // Two lines typed and saved at the top here; another machine's line at the end was made
    // from the note before them, and arrives while a third is typed.
    QTemporaryDir home;
    Rig rig(home.path());
    rig.model->setText(u"minutes\n\nA1"_s);
    rig.save();
    for (const QString &line : {u"B1\n"_s, u"B2\n"_s}) {
        rig.model->replaceText(0, 0, line);
        rig.save();
    }
    rig.model->replaceText(0, 0, u"B3 slow ");
    writeFile(rig.notePath() + u".new"_s, "minutes\n\nA1\nA2");
    QVERIFY(QFile::remove(rig.notePath()) &&
            QFile::rename(rig.notePath() + u".new"_s, rig.notePath()));
    QTRY_COMPARE_WITH_TIMEOUT(rig.noticed.count() + rig.kept.count(), 1, 3000);
    QCOMPARE(rig.model->text(), u"B3 slow B2\nB1\nminutes\n\nA1\nA2"_s);
}

void tst_NoteFile::aNoteRewrittenInPlaceIsWholeWhenTheDiskRefuses_data() {
    QTest::addColumn<bool>("linked");
    QTest::addColumn<qsizetype>("at");
    // A note with a second name is rewritten in place.
    QTest::newRow("a second name, typed at the start") << true << qsizetype(0);
    // Only the line added at the end is written.
    QTest::newRow("a line added at the end") << false << qsizetype(100'000);
}

void tst_NoteFile::aNoteRewrittenInPlaceIsWholeWhenTheDiskRefuses() {
    // The disk refuses a byte past the old size (a file size limit stands in for a full disk):
    // the file keeps its old bytes, and says so; once the disk takes them, the same file has
    // the new ones.
    QFETCH(bool, linked);
    QFETCH(qsizetype, at);
    QTemporaryDir home;
    Rig rig(home.path());
    rig.model->setText(QString(100'000, u'o'));
    rig.save();
    const QString other = home.filePath(u"other"_s);
    QVERIFY(!linked || ::link(QFile::encodeName(rig.notePath()), QFile::encodeName(other)) == 0);
    const struct stat before = stated(rig.notePath());
    ::signal(SIGXFSZ, SIG_IGN);
    struct rlimit unlimited {};
    ::getrlimit(RLIMIT_FSIZE, &unlimited);
    const struct rlimit full = {100'003, unlimited.rlim_max};
    ::setrlimit(RLIMIT_FSIZE, &full);
    rig.model->replaceText(at, 0, u"\nnew"_s);
    rig.save();
    ::setrlimit(RLIMIT_FSIZE, &unlimited);
    QCOMPARE(contents(rig.notePath()), QByteArray(100'000, 'o'));
    QCOMPARE(rig.failed.count(), 1);
    QTest::qWait(300); // what a watcher would make of a file cut short
    QCOMPARE(rig.noticed.count(), 0);
    rig.model->flushAutosave();
    QCOMPARE(contents(rig.notePath()), QByteArray(100'000, 'o').insert(at, "\nnew"));
    QCOMPARE(stated(rig.notePath()).st_ino, before.st_ino);
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
    QTRY_VERIFY(rig.kept.count() >= 1);
    rig.save();
    QCOMPARE(contents(other + u"/mirt.note.autosave.txt"_s), QByteArray("mine\n"));
    const QStringList copies = QDir(other).entryList({u"*.conflict-*"_s}, QDir::Files);
    QCOMPARE(copies.size(), 1);
    QCOMPARE(contents(QDir(other).filePath(copies[0])), QByteArray("from the laptop\n"));
    QVERIFY(!QFile::exists(sync + u"/mirt.note.autosave.txt"_s));

    // Refused: a folder where the note's name is a folder, and one where another copy of the
    // app keeps a note. The same folder under another spelling is no move, and never removes
    // the note; a note named for one run never changes the remembered folder.
    const QString blocked = home.filePath(u"Blocked"_s);
    QVERIFY(QDir().mkpath(blocked + u"/mirt.note.autosave.txt"_s));
    QVERIFY(rig.store.moveTo(NoteModel::saveKey, blocked, rig.model->text()));
    const QString taken = home.filePath(u"Taken"_s);
    QVERIFY(QDir().mkpath(taken));
    rig.store.setClaim([&](const QString &path) { return !path.startsWith(taken); });
    QVERIFY(rig.store.moveTo(NoteModel::saveKey, taken, rig.model->text()));
    QVERIFY(QFile::link(other, home.filePath(u"Other again"_s)));
    QCOMPARE(
        rig.store.moveTo(NoteModel::saveKey, home.filePath(u"Other again"_s), rig.model->text()),
        std::nullopt);
    QCOMPARE(contents(other + u"/mirt.note.autosave.txt"_s), QByteArray("mine\n"));
    FileDefaultsStore once(
        home.filePath(u"once.txt"_s), {},
        std::make_unique<QSettings>(home.filePath(u"prefs.ini"_s), QSettings::IniFormat), false);
    QCOMPARE(once.moveTo(NoteModel::saveKey, sync, u"for one run"_s), std::nullopt);
    QCOMPARE(contents(sync + u"/once.txt"_s), QByteArray("for one run"));
    prefs.sync();
    QCOMPARE(prefs.value(FileDefaultsStore::noteFolderKey).toString(), other);
}

QTEST_GUILESS_MAIN(tst_NoteFile)
#include "tst_notefile.moc"
