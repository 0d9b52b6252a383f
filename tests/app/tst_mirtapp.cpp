// SPDX-License-Identifier: MIT
// The whole app in this process, one QApplication at a time.
#include "CaptureRequests.h"
#include "ContentView.h"
#include "FileDefaultsStore.h"
#include "Files.h"
#include "MainWindow.h"
#include "MirtApp.h"
#include "NoteEditor.h"
#include "NoticeBar.h"
#include "SingleInstance.h"
#include "WidgetDialogs.h"

#include <QAction>
#include <QDesktopServices>
#include <QFileDialog>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QMessageBox>
#include <QPushButton>
#include <QSettings>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <csignal>
#include <unistd.h>

using namespace Qt::StringLiterals;

namespace {
char name[] = "tst_mirtapp";

/// Takes the URLs the app asks the desktop to open.
class UrlSink : public QObject {
    Q_OBJECT
public Q_SLOTS:
    void open(const QUrl &url) { urls << url; }

public:
    QList<QUrl> urls;
};
char *arguments[] = {name, nullptr};
int argumentCount = 1;
} // namespace

class tst_MirtApp : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void everyWayOutWritesTheLastKeystrokes_data();
    void everyWayOutWritesTheLastKeystrokes();
    void wordsThatCannotBeSavedOutliveTheApp_data();
    void wordsThatCannotBeSavedOutliveTheApp();
    void missingRememberedFolderIsToldNotReplaced();
    void oneCopyPerNoteFileAndNothingLeftBehind();
    void exportPanelOpensInDocumentsElseHome();
    void firstStartGivesTheNoteTheKeyboard();
};

void tst_MirtApp::everyWayOutWritesTheLastKeystrokes_data() {
    QTest::addColumn<QString>("way");
    QTest::newRow("window closed") << u"close"_s;
    QTest::newRow("Quit") << u"quit"_s;
    QTest::newRow("SIGTERM") << u"signal"_s;
}

void tst_MirtApp::everyWayOutWritesTheLastKeystrokes() {
    QFETCH(QString, way);
    QTemporaryDir dir;
    const QString note = dir.filePath(u"note.txt"_s);
    MirtApp app(argumentCount, arguments, note);
    QVERIFY(app.start());
    QTimer::singleShot(0, [&] {
        // Well inside the autosave delay: only the way out can have written this.
        QTest::keyClicks(app.mainWindow().content()->editor(), u"last words"_s);
        if (way == QLatin1String("close"))
            app.mainWindow().close();
        else if (way == QLatin1String("quit"))
            app.mainWindow().findChild<QAction *>(u"quit"_s)->trigger();
        else
            std::raise(SIGTERM);
    });
    QCOMPARE(QApplication::exec(), 0);
    QCOMPARE(contents(note), QByteArray("last words"));
    // A note of its own is named in the title, for the window list and Alt+Tab.
    QCOMPARE(app.mainWindow().windowTitle(),
             u"note.txt (%1)"_s.arg(QDir::toNativeSeparators(dir.path())));
}

void tst_MirtApp::wordsThatCannotBeSavedOutliveTheApp_data() {
    QTest::addColumn<QString>("way");
    QTest::newRow("Keep Working, then the cause mended") << u"keepWorking"_s;
    QTest::newRow("Quit Without Saving") << u"quitWithoutSaving"_s;
    QTest::newRow("Save a Copy") << u"saveCopy"_s;
    QTest::newRow("Save a Copy that fails, then SIGTERM") << u"saveCopyFails"_s;
    QTest::newRow("SIGTERM: nobody to ask") << u"signal"_s;
}

void tst_MirtApp::wordsThatCannotBeSavedOutliveTheApp() {
    QFETCH(QString, way);
    QTemporaryDir dir;
    const QString note = dir.filePath(u"note.txt"_s), copy = dir.filePath(u"copy.txt"_s);
    const QString data = QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
    QDir(data).removeRecursively();
    const bool copyFails = way == QLatin1String("saveCopyFails");
    {
        MirtApp app(argumentCount, arguments, note);
        QVERIFY(app.start());
        QVERIFY(QDir().mkdir(note)); // nothing can be saved there
        const QString refusing = dir.filePath(u"refusing"_s);
        if (copyFails) // nor there
            QVERIFY(QDir().mkdir(refusing) && setReadOnly(refusing, true));
        QTimer::singleShot(0, [&] {
            QTest::keyClicks(app.mainWindow().content()->editor(), u"unsaved words"_s);
            if (way == QLatin1String("signal"))
                std::raise(SIGTERM);
            else
                app.mainWindow().findChild<QAction *>(u"quit"_s)->trigger();
        });
        QTimer answer;
        QObject::connect(&answer, &QTimer::timeout, [&] {
            // Each panel and question is answered once: they close, and go later.
            auto *panel = app.mainWindow().findChild<QFileDialog *>();
            auto *button =
                app.mainWindow().findChild<QPushButton *>(copyFails ? u"saveCopy"_s : way);
            if (panel && panel->isVisible()) {
                panel->setDirectory(dir.path());
                panel->findChild<QLineEdit *>(u"fileNameEdit"_s)
                    ->setText(copyFails ? u"refusing/copy.txt"_s : u"copy.txt"_s);
                QMetaObject::invokeMethod(panel, "accept", Qt::QueuedConnection);
            } else if (auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
                       box && box->text() == u"The Copy Was Not Saved"_s) {
                QVERIFY(setReadOnly(refusing, false));
                box->accept(); // the copy was not saved: back to the note, which is still here
                std::raise(SIGTERM);
            } else if (button && button->isVisible()) {
                button->click();
                if (way == QLatin1String("keepWorking")) { // the words are still here
                    QCOMPARE(app.model().text(), u"unsaved words"_s);
                    QDir().rmdir(note);
                    app.mainWindow().close();
                }
            }
        });
        answer.start(50);
        QCOMPARE(QApplication::exec(), 0);
    }
    const QStringList emergency = QDir(data).entryList({u"mirt.note.unsaved-*"_s}, QDir::Files);
    QCOMPARE(contents(way == QLatin1String("keepWorking") ? note
                      : way == QLatin1String("saveCopy")  ? copy
                      : way == QLatin1String("quitWithoutSaving")
                          ? QString()
                          : data + u'/' + emergency.value(0)),
             way == QLatin1String("quitWithoutSaving") ? QByteArray("<missing>")
                                                       : QByteArray("unsaved words"));
    QCOMPARE(emergency.size(), way == QLatin1String("signal") || copyFails ? 1 : 0);
    if (way == QLatin1String("signal")) { // the next start names it
        MirtApp again(argumentCount, arguments, dir.filePath(u"other.txt"_s));
        QVERIFY(again.start());
        QVERIFY(again.mainWindow().notice()->text().contains(emergency[0]));
        // Its button shows the file: with no file manager on the bus, its folder opens.
        UrlSink opened;
        QDesktopServices::setUrlHandler(u"file"_s, &opened, "open");
        again.mainWindow().findChild<QPushButton *>(u"noticeAction"_s)->click();
        QTRY_COMPARE(opened.urls, QList<QUrl>{QUrl::fromLocalFile(data)});
        QDesktopServices::unsetUrlHandler(u"file"_s);
    }
    QDir(data).removeRecursively();
}

void tst_MirtApp::missingRememberedFolderIsToldNotReplaced() {
    QTemporaryDir dir;
    const QString unmounted = dir.filePath(u"usb/notes"_s);
    QSettings().setValue(FileDefaultsStore::noteFolderKey, unmounted);
    {
        MirtApp app(argumentCount, arguments);
        QVERIFY(app.start());
        NoticeBar *notice = app.mainWindow().notice();
        QVERIFY(notice->isVisibleTo(&app.mainWindow()));
        QCOMPARE(app.mainWindow().windowTitle(), u"Mirt"_s); // the usual note
        QVERIFY(notice->text().contains(unmounted));
        QPalette dark = notice->palette(); // drawn in the palette's colours, dark ones too
        dark.setColor(QPalette::AlternateBase, QColor(30, 30, 30));
        notice->setPalette(dark);
        const QImage shot = notice->grab().toImage();
        QCOMPARE(shot.pixelColor(shot.width() - 2, shot.height() - 2), QColor(30, 30, 30));
        QTest::keyClicks(app.mainWindow().content()->editor(), u"kept"_s);
        app.model().flushAutosave();
        QCOMPARE(app.model().text(), u"kept"_s);
    }
    QVERIFY2(!QFileInfo::exists(dir.filePath(u"usb"_s)), "no folder made for it");
    QVERIFY(!QFileInfo::exists(QStandardPaths::writableLocation(QStandardPaths::AppDataLocation) +
                               u"/mirt.note.autosave.txt"_s));
    QSettings().remove(FileDefaultsStore::noteFolderKey);
}

void tst_MirtApp::oneCopyPerNoteFileAndNothingLeftBehind() {
    QTemporaryDir dir;
    const QString runtime = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    const QStringList before = QDir(runtime).entryList(QDir::AllEntries | QDir::NoDotAndDotDot);
    {
        QVERIFY(QDir().mkpath(dir.filePath(u"a"_s)));
        QVERIFY(QFile::link(dir.filePath(u"a"_s), dir.filePath(u"link"_s)));
        writeFile(dir.filePath(u"a/note.txt"_s), "");
        QVERIFY(::link(QFile::encodeName(dir.filePath(u"a/note.txt"_s)),
                       QFile::encodeName(dir.filePath(u"hard.txt"_s))) == 0);
        SingleInstance first(dir.filePath(u"a/note.txt"_s), false);
        SingleInstance same(dir.filePath(u"a/../a/note.txt"_s), false);
        SingleInstance linked(dir.filePath(u"link/note.txt"_s), false);
        SingleInstance hard(dir.filePath(u"hard.txt"_s), false);
        SingleInstance other(dir.filePath(u"b/note.txt"_s), false);
        QVERIFY(first.claim());
        QVERIFY(!same.claim());
        QVERIFY(!linked.claim());
        QVERIFY(!hard.claim());
        QVERIFY(other.claim());
        // Move Note carries the claim: the old file is free, the taken one refused.
        QVERIFY(first.reclaim(dir.filePath(u"c/note.txt"_s)));
        QVERIFY(same.claim());
        QVERIFY(!first.reclaim(dir.filePath(u"b/note.txt"_s)));
        QVERIFY(!SingleInstance(dir.filePath(u"c/note.txt"_s), false).claim());
        QCOMPARE(QDir(dir.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot),
                 (QStringList{u"a"_s, u"hard.txt"_s, u"link"_s}));
    }
    QCOMPARE(QDir(runtime).entryList(QDir::AllEntries | QDir::NoDotAndDotDot), before);
}

void tst_MirtApp::exportPanelOpensInDocumentsElseHome() {
    const QString documents = QDir::home().filePath(u"Documents"_s);
    QDir(documents).removeRecursively();
    QSettings().remove(WidgetDialogs::exportFolderKey);
    QCOMPARE(WidgetDialogs::exportFolder(), QDir::homePath()); // never the working folder
    QVERIFY(QDir().mkpath(documents));
    QCOMPARE(WidgetDialogs::exportFolder(), documents);

    // Then where the last export went, while that folder is there.
    QTemporaryDir elsewhere;
    int argc = 1;
    QApplication app(argc, arguments);
    WidgetDialogs dialogs([] { return nullptr; });
    dialogs.showSavePanel({u"Export Note"_s, u"n.txt"_s, u"text/plain"_s}, [](const QString &) {});
    auto *panel = qobject_cast<QFileDialog *>(QApplication::topLevelWidgets().value(0));
    QCOMPARE(panel->directory().path(), documents);
    panel->selectFile(elsewhere.filePath(u"n.txt"_s));
    static_cast<QDialog *>(panel)->accept();
    QCOMPARE(WidgetDialogs::exportFolder(), elsewhere.path());
    QDir(elsewhere.path()).removeRecursively();
    QCOMPARE(WidgetDialogs::exportFolder(), documents);
}

void tst_MirtApp::firstStartGivesTheNoteTheKeyboard() {
    // The usual note, with no desktop portal on the bus: a notice names the command to bind.
    QSettings().remove(CaptureRequests::shortcutToldKey);
    QList<QWidget *> focused;
    QApplication *toolkit = nullptr;
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany)); // the app speaks it
    MirtApp app(argumentCount, arguments);
    toolkit = qApp;
    QObject::connect(toolkit, &QApplication::focusChanged,
                     [&](QWidget *, QWidget *now) { focused << now; });
    QVERIFY(app.start());
    auto *notice = app.mainWindow().findChild<QLabel *>(u"noticeMessage"_s);
    QTRY_VERIFY(notice->isVisible());
    QTRY_COMPARE(QApplication::focusWidget(), app.mainWindow().content()->editor());
    QTest::qWait(100);
    // A screen reader announces where the keyboard goes: the note, and nothing before it.
    QCOMPARE(focused, QList<QWidget *>{app.mainWindow().content()->editor()});
    // The command stands on a line of its own, which no window is too narrow for, to be copied
    // whole: the strip would break a longer line at its hyphens.
    QVERIFY2(notice->text().split(u'\n').contains(u"mirt --toggle"_s), qPrintable(notice->text()));
    QCOMPARE(app.mainWindow().menuBar()->actions().first()->text(), u"&Datei"_s);
    QLocale::setDefault(QLocale::c());
}

QTEST_APPLESS_MAIN(tst_MirtApp)
#include "tst_mirtapp.moc"
