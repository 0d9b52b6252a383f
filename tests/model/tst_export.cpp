// SPDX-License-Identifier: MIT
#include "Fakes.h"
#include "Notemodel.h"

#include <QDir>
#include <QTemporaryDir>
#include <QTest>

namespace {

QByteArray contents(const QString &path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

} // namespace

class tst_Export : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void panelSuggestsADatedPlainTextName();
    void cancelWritesNothingAndShowsNothing();
    void writesTheTextOfTheMomentTheUserConfirms();
    void writesExactUtf8_data();
    void writesExactUtf8();
    void replacesAnExistingFileWhole();
    void failedWriteWarnsOnceAfterTheCompletion_data();
    void failedWriteWarnsOnceAfterTheCompletion();
    void completionAfterTheModelIsGoneDoesNothing();
};

void tst_Export::panelSuggestsADatedPlainTextName() {
    ModelFixture f;
    auto model = f.make();
    model->exportNote();
    QCOMPARE(f.presentations.panels.size(), 1u);
    QCOMPARE(f.presentations.panels[0].title, QStringLiteral("Export Note"));
    QCOMPARE(f.presentations.panels[0].suggestedName,
             QStringLiteral("mirt-note-2024-03-07-0905.txt"));
    QCOMPARE(f.presentations.panels[0].mimeType, QStringLiteral("text/plain"));
}

void tst_Export::cancelWritesNothingAndShowsNothing() {
    QTemporaryDir dir;
    ModelFixture f;
    auto model = f.make();
    model->setText(QStringLiteral("note"));
    model->exportNote();
    f.presentations.answerSavePanel(QString());
    QCoreApplication::processEvents();
    QVERIFY(QDir(dir.path()).isEmpty());
    QVERIFY(f.presentations.warnings.empty());
}

void tst_Export::writesTheTextOfTheMomentTheUserConfirms() {
    QTemporaryDir dir;
    ModelFixture f;
    auto model = f.make();
    model->setText(QStringLiteral("draft"));
    model->exportNote();
    model->replaceText(5, 0, u" typed while the panel was open");
    const QString path = dir.filePath(QStringLiteral("out.txt"));
    f.presentations.answerSavePanel(path);
    QCOMPARE(contents(path), QByteArray("draft typed while the panel was open"));
}

void tst_Export::writesExactUtf8_data() {
    QTest::addColumn<QString>("note");
    QTest::addColumn<QByteArray>("bytes");
    QTest::newRow("empty note, empty file") << QString() << QByteArray("");
    QTest::newRow("two lines, no line feed added")
        << QStringLiteral("first line\nsecond line") << QByteArray("first line\nsecond line");
    QTest::newRow("UTF-8 without a byte-order mark")
        << QStringLiteral("caf\u00e9 \U0001F600\r\n")
        << QByteArray("caf\xc3\xa9 \xf0\x9f\x98\x80\r\n");
}

void tst_Export::writesExactUtf8() {
    QFETCH(QString, note);
    QFETCH(QByteArray, bytes);
    QTemporaryDir dir;
    ModelFixture f;
    auto model = f.make();
    model->setText(note);
    model->exportNote();
    const QString path = dir.filePath(QStringLiteral("note.txt"));
    f.presentations.answerSavePanel(path);
    QVERIFY(QFileInfo::exists(path));
    QCOMPARE(contents(path), bytes);
}

void tst_Export::replacesAnExistingFileWhole() {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("note.txt"));
    QFile old(path);
    QVERIFY(old.open(QIODevice::WriteOnly));
    old.write(QByteArray(10000, 'z'));
    old.close();
    ModelFixture f;
    auto model = f.make();
    model->setText(QStringLiteral("short"));
    model->exportNote();
    f.presentations.answerSavePanel(path);
    QCOMPARE(contents(path), QByteArray("short"));
}

void tst_Export::failedWriteWarnsOnceAfterTheCompletion_data() {
    // Places even root cannot write to.
    QTest::addColumn<QString>("target");
    QTest::newRow("inside a path that is a file") << QStringLiteral("blocker/note.txt");
    QTest::newRow("missing folder") << QStringLiteral("missing/note.txt");
    QTest::newRow("target is a folder") << QStringLiteral("folder");
}

void tst_Export::failedWriteWarnsOnceAfterTheCompletion() {
    QFETCH(QString, target);
    QTemporaryDir dir;
    QFile blocker(dir.filePath(QStringLiteral("blocker")));
    QVERIFY(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("folder")));
    const QStringList before = QDir(dir.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot);

    ModelFixture f;
    auto model = f.make();
    model->setText(QStringLiteral("the note"));
    model->exportNote();
    f.presentations.answerSavePanel(dir.filePath(target));
    QVERIFY2(f.presentations.warnings.empty(), "the alert waits until the completion returned");
    QCoreApplication::processEvents();
    QCOMPARE(f.presentations.warnings.size(), 1u);
    QCOMPARE(f.presentations.warnings[0].first, QStringLiteral("Export Failed"));
    QVERIFY(!f.presentations.warnings[0].second.isEmpty());
    QCOMPARE(model->text(), QStringLiteral("the note"));
    // Nothing half-written or temporary is left behind.
    QCOMPARE(QDir(dir.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot), before);
    QVERIFY(QDir(dir.filePath(QStringLiteral("folder"))).isEmpty());
}

void tst_Export::completionAfterTheModelIsGoneDoesNothing() {
    QTemporaryDir dir;
    ModelFixture f;
    auto model = f.make();
    model->setText(QStringLiteral("note"));
    model->exportNote();
    model.reset();
    f.presentations.answerSavePanel(dir.filePath(QStringLiteral("late.txt")));
    QCoreApplication::processEvents();
    QVERIFY(QDir(dir.path()).isEmpty());
    QVERIFY(f.presentations.warnings.empty());
}

QTEST_GUILESS_MAIN(tst_Export)
#include "tst_export.moc"
