// SPDX-License-Identifier: MIT
// The whole app in this process, one QApplication at a time.
#include "ContentView.h"
#include "FileDefaultsStore.h"
#include "Files.h"
#include "MainWindow.h"
#include "MirtApp.h"
#include "NoteEditor.h"
#include "NoticeBar.h"
#include "SingleInstance.h"

#include <QAction>
#include <QSettings>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <csignal>

namespace {
char name[] = "tst_mirtapp";
char *arguments[] = {name, nullptr};
int argumentCount = 1;
} // namespace

class tst_MirtApp : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void everyWayOutWritesTheLastKeystrokes_data();
    void everyWayOutWritesTheLastKeystrokes();
    void missingRememberedFolderIsToldNotReplaced();
    void oneCopyPerNoteFileAndNothingLeftBehind();
};

void tst_MirtApp::everyWayOutWritesTheLastKeystrokes_data() {
    QTest::addColumn<QString>("way");
    QTest::newRow("window closed") << QStringLiteral("close");
    QTest::newRow("Quit") << QStringLiteral("quit");
    QTest::newRow("SIGTERM") << QStringLiteral("signal");
}

void tst_MirtApp::everyWayOutWritesTheLastKeystrokes() {
    QFETCH(QString, way);
    QTemporaryDir dir;
    const QString note = dir.filePath(QStringLiteral("note.txt"));
    MirtApp app(argumentCount, arguments, note);
    QVERIFY(app.start());
    QTimer::singleShot(0, [&] {
        // Well inside the autosave delay: only the way out can have written this.
        QTest::keyClicks(app.mainWindow().content()->editor(), QStringLiteral("last words"));
        if (way == QLatin1String("close"))
            app.mainWindow().close();
        else if (way == QLatin1String("quit"))
            app.mainWindow().findChild<QAction *>(QStringLiteral("quit"))->trigger();
        else
            std::raise(SIGTERM);
    });
    QCOMPARE(QApplication::exec(), 0);
    QCOMPARE(contents(note), QByteArray("last words"));
}

void tst_MirtApp::missingRememberedFolderIsToldNotReplaced() {
    QTemporaryDir dir;
    const QString unmounted = dir.filePath(QStringLiteral("usb/notes"));
    QSettings().setValue(FileDefaultsStore::noteFolderKey, unmounted);
    {
        MirtApp app(argumentCount, arguments);
        QVERIFY(app.start());
        NoticeBar *notice = app.mainWindow().notice();
        QVERIFY(notice->isVisibleTo(&app.mainWindow()));
        QVERIFY(notice->text().contains(unmounted));
        QTest::keyClicks(app.mainWindow().content()->editor(), QStringLiteral("kept"));
        app.model().flushAutosave();
        QCOMPARE(app.model().text(), QStringLiteral("kept"));
    }
    QVERIFY2(!QFileInfo::exists(dir.filePath(QStringLiteral("usb"))), "no folder made for it");
    QVERIFY(!QFileInfo::exists(QStandardPaths::writableLocation(QStandardPaths::AppDataLocation) +
                               QStringLiteral("/mirt.note.autosave.txt")));
    QSettings().remove(FileDefaultsStore::noteFolderKey);
}

void tst_MirtApp::oneCopyPerNoteFileAndNothingLeftBehind() {
    QTemporaryDir dir;
    const QString runtime = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    const QStringList before = QDir(runtime).entryList(QDir::AllEntries | QDir::NoDotAndDotDot);
    {
        SingleInstance first(dir.filePath(QStringLiteral("a/note.txt")));
        SingleInstance same(dir.filePath(QStringLiteral("a/../a/note.txt")));
        SingleInstance other(dir.filePath(QStringLiteral("b/note.txt")));
        QVERIFY(first.claim());
        QVERIFY(!same.claim());
        QVERIFY(other.claim());
        QVERIFY(QDir(dir.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot).isEmpty());
    }
    QCOMPARE(QDir(runtime).entryList(QDir::AllEntries | QDir::NoDotAndDotDot), before);
}

QTEST_APPLESS_MAIN(tst_MirtApp)
#include "tst_mirtapp.moc"
