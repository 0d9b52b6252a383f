// SPDX-License-Identifier: MIT
#include "AtomicFile.h"
#include "Fakes.h"
#include "FileDefaultsStore.h"
#include "Notemodel.h"

#include <QDir>
#include <QProcess>
#include <QRandomGenerator>
#include <QSettings>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>
#include <sys/stat.h>

namespace {

std::unique_ptr<FileDefaultsStore> openStore(const QTemporaryDir &home) {
    return std::make_unique<FileDefaultsStore>(
        home.filePath(QStringLiteral("data/Mirt")),
        std::make_unique<QSettings>(home.filePath(QStringLiteral("config/Mirt.conf")),
                                    QSettings::IniFormat));
}

int mode(const QString &path) {
    struct stat info {};
    return ::stat(QFile::encodeName(path).constData(), &info) == 0 ? int(info.st_mode & 0777) : -1;
}

QStringList leftovers(const QString &folder) {
    return QDir(folder).entryList(QDir::Files | QDir::Hidden).filter(QStringLiteral(".txt."));
}

} // namespace

class tst_FileDefaultsStore : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void keepsAnyNoteExactlyAcrossARestart_data();
    void keepsAnyNoteExactlyAcrossARestart();
    void loneSurrogateIsStoredAsReplacementCharacter();
    void noteIsPlainUtf8AndPrivate();
    void laterSavesSupersedeEarlierOnes();
    void failedWriteIsReportedAndLeavesNothingBehind();
    void fontSizeRoundTripsAndRejectsGarbage();
    void undecodableNoteIsCopiedAsideBeforeItIsReplaced();
};

void tst_FileDefaultsStore::keepsAnyNoteExactlyAcrossARestart_data() {
    QTest::addColumn<QString>("note");
    QString large;
    large.reserve(10 * 1024 * 1024);
    for (int i = 0; large.size() < 10 * 1024 * 1024; ++i)
        large +=
            QStringLiteral("%1: the quick brown fox jumps over the lazy dog, \u00e9\U0001F600\n")
                .arg(i);
    QTest::newRow("empty") << QString();
    QTest::newRow("10 MB") << large;
    QTest::newRow("NUL characters")
        << QStringLiteral("a") + QChar(0) + QStringLiteral("b") + QChar(0);
    QTest::newRow("CR and CR LF") << QStringLiteral("one\rtwo\r\nthree\n\r");
    QTest::newRow("tabs") << QStringLiteral("\tindented\t\ttext\t");
    QTest::newRow("outside the BMP")
        << QStringLiteral("\U0001F600 \U0001F9D1\u200D\U0001F4BB \U00010348");
    QTest::newRow("leading and trailing blanks") << QStringLiteral("  \n note \n\n  ");
    QTest::newRow("settings-special characters")
        << QStringLiteral("@leading = ; # \" \\ [ ] , key=value\n[General]\n@Variant(x)");
    QTest::newRow("leading U+FEFF") << QStringLiteral("\uFEFFbyte order mark kept");
}

void tst_FileDefaultsStore::keepsAnyNoteExactlyAcrossARestart() {
    QFETCH(QString, note);
    QTemporaryDir home;
    Timeline timeline;
    FakeClock clock(timeline);
    FakePresentations presentations;
    {
        auto store = openStore(home);
        NoteModel model({*store, clock, timeline.makeTimer(), presentations, 13.0});
        model.setText(note);
        model.flushAutosave();
    }
    auto store = openStore(home);
    NoteModel model({*store, clock, timeline.makeTimer(), presentations, 13.0});
    QCOMPARE(model.text().size(), note.size());
    QVERIFY(model.text() == note);
}

void tst_FileDefaultsStore::loneSurrogateIsStoredAsReplacementCharacter() {
    // UTF-8 has no spelling for half a character: it is kept as U+FFFD, the rest exactly.
    QTemporaryDir home;
    const QString note = QStringLiteral("a") + QChar(0xD800) + QStringLiteral("b");
    openStore(home)->setString(NoteModel::saveKey, note);
    QCOMPARE(openStore(home)->string(NoteModel::saveKey),
             std::optional(QStringLiteral("a\uFFFDb")));
}

void tst_FileDefaultsStore::noteIsPlainUtf8AndPrivate() {
    QTemporaryDir home;
    auto store = openStore(home);
    const QString note = QStringLiteral("caf\u00e9\n\U0001F600");
    store->setString(NoteModel::saveKey, note);
    store->flush();
    const QString path = store->pathForKey(NoteModel::saveKey);
    QCOMPARE(QFileInfo(path).fileName(), QStringLiteral("mirt.note.autosave.txt"));
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll(), note.toUtf8());
    QCOMPARE(mode(path), 0600);
    QCOMPARE(mode(QFileInfo(path).absolutePath()), 0700);

    // A file the user widened is narrowed again at the next save.
    QVERIFY(file.setPermissions(file.permissions() | QFileDevice::ReadOther));
    store->setString(NoteModel::saveKey, note);
    store->flush();
    QCOMPARE(mode(path), 0600);
}

void tst_FileDefaultsStore::laterSavesSupersedeEarlierOnes() {
    QTemporaryDir home;
    auto store = openStore(home);
    QSignalSpy succeeded(store.get(), &DefaultsStore::writeSucceeded);
    const QString big(2 * 1024 * 1024, u'x');
    for (int i = 0; i < 50; ++i)
        store->setString(NoteModel::saveKey, big + QString::number(i));
    store->flush();
    QCOMPARE(store->string(NoteModel::saveKey), std::optional(big + QStringLiteral("49")));
    QVERIFY(succeeded.wait(5000) || succeeded.count() > 0);
    QVERIFY(leftovers(QFileInfo(store->pathForKey(NoteModel::saveKey)).absolutePath()).isEmpty());
}

void tst_FileDefaultsStore::failedWriteIsReportedAndLeavesNothingBehind() {
    // A file where the folder should be: even root cannot write through it.
    QTemporaryDir home;
    QFile blocker(home.filePath(QStringLiteral("data")));
    QVERIFY(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    auto store = openStore(home);
    QSignalSpy failed(store.get(), &DefaultsStore::writeFailed);
    store->setString(NoteModel::saveKey, QStringLiteral("note"));
    store->flush();
    QVERIFY(failed.wait(2000));
    QVERIFY(!failed[0][0].toString().isEmpty());

    // An existing note that cannot be replaced stays whole, and no temporary file is left.
    QTemporaryDir other;
    const QString target = other.filePath(QStringLiteral("note.txt"));
    QVERIFY(!AtomicFile::write(target, "old note"));
    QFile::setPermissions(other.path(), QFileDevice::ReadOwner | QFileDevice::ExeOwner);
    const bool rootBypasses = !AtomicFile::write(other.filePath(QStringLiteral("probe")), "x");
    if (!rootBypasses) {
        QVERIFY(AtomicFile::write(target, "new note").has_value());
        QFile file(target);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), QByteArray("old note"));
    }
    QFile::setPermissions(other.path(),
                          QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    QCOMPARE(QDir(other.path()).entryList(QDir::Files).size(), rootBypasses ? 2 : 1);
}

void tst_FileDefaultsStore::fontSizeRoundTripsAndRejectsGarbage() {
    QTemporaryDir home;
    openStore(home)->setFloat(NoteModel::fontSizeKey, 17.5f);
    QCOMPARE(openStore(home)->floatValue(NoteModel::fontSizeKey), std::optional(17.5f));

    for (const char *garbage : {"abc", "", "@Variant(\\0\\0)", "1,5,7"}) {
        QSettings settings(home.filePath(QStringLiteral("config/Mirt.conf")), QSettings::IniFormat);
        settings.setValue(NoteModel::fontSizeKey, QString::fromLatin1(garbage));
        settings.sync();
        QCOMPARE(openStore(home)->floatValue(NoteModel::fontSizeKey), std::nullopt);
    }
}

void tst_FileDefaultsStore::undecodableNoteIsCopiedAsideBeforeItIsReplaced() {
    QTemporaryDir home;
    QDir().mkpath(home.filePath(QStringLiteral("data/Mirt")));
    const QByteArray broken("good \xff\xfe bytes");
    const QString path = home.filePath(QStringLiteral("data/Mirt/mirt.note.autosave.txt"));
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(broken);
    file.close();

    auto store = openStore(home);
    QVERIFY(store->string(NoteModel::saveKey)->startsWith(QStringLiteral("good ")));
    store->setString(NoteModel::saveKey, QStringLiteral("replaced"));
    store->flush();
    const QStringList aside = QDir(QFileInfo(path).absolutePath())
                                  .entryList({QStringLiteral("*unreadable*")}, QDir::Files);
    QCOMPARE(aside.size(), 1);
    QFile copy(QFileInfo(path).absolutePath() + u'/' + aside[0]);
    QVERIFY(copy.open(QIODevice::ReadOnly));
    QCOMPARE(copy.readAll(), broken);
}

QTEST_GUILESS_MAIN(tst_FileDefaultsStore)
#include "tst_filedefaultsstore.moc"
