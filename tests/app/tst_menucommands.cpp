// SPDX-License-Identifier: MIT
#include "ContentView.h"
#include "Fakes.h"
#include "MainWindow.h"
#include "NoteEditor.h"
#include "Notemodel.h"

#include <QAbstractButton>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QTest>

namespace {

// A menu as the user reads it: titles, "-" for a separator, each with its first shortcut.
QStringList entries(const QMenu *menu) {
    QStringList result;
    for (const QAction *a : menu->actions())
        result << (a->isSeparator()
                       ? QStringLiteral("-")
                       : a->text() + u'|' + a->shortcut().toString(QKeySequence::PortableText));
    return result;
}

} // namespace

class tst_MenuCommands : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();
    void commandsStandInOrderWithTheirShortcuts();
    void nothingOpensASecondWindowAndNothingIsDisabled();
    void stateTitlesFollowTheModelWhoeverChangesIt();
    void fontSizeAnswersTheKeysPeoplePress_data();
    void fontSizeAnswersTheKeysPeoplePress();
    void noteShortcutsActOnTheModel();

private:
    QMenu *menu(const char *name) const { return window_->findChild<QMenu *>(QLatin1String(name)); }
    QAction *action(const char *name) const {
        return window_->findChild<QAction *>(QLatin1String(name));
    }

    std::unique_ptr<ModelFixture> f_;
    std::unique_ptr<NoteModel> model_;
    std::unique_ptr<MainWindow> window_;
};

void tst_MenuCommands::init() {
    f_ = std::make_unique<ModelFixture>();
    f_->store.floats[NoteModel::fontSizeKey] = 17.0f;
    model_ = f_->make();
    window_ = std::make_unique<MainWindow>(*model_);
    window_->show();
    window_->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(window_.get()));
    QTRY_VERIFY(window_->content()->editor()->hasFocus());
}

void tst_MenuCommands::cleanup() {
    window_.reset();
    model_.reset();
}

void tst_MenuCommands::commandsStandInOrderWithTheirShortcuts() {
    QCOMPARE(window_->objectName(), QStringLiteral("main"));
    QCOMPARE(window_->windowTitle(), QStringLiteral("tst_menucommands")); // the app's name
    QCOMPARE(entries(menu("fileMenu")),
             (QStringList{QStringLiteral("Clear Note|Ctrl+Shift+K"), QStringLiteral("-"),
                          QStringLiteral("Export Note\u2026|Ctrl+Shift+E"),
                          QStringLiteral("Print Note\u2026|Ctrl+P"), QStringLiteral("-"),
                          QStringLiteral("Quit|Ctrl+Q")}));
    QCOMPARE(entries(menu("formatMenu")),
             (QStringList{QStringLiteral("-"), QStringLiteral("Increase Font Size|Ctrl++"),
                          QStringLiteral("Decrease Font Size|Ctrl+-"), QStringLiteral("-"),
                          QStringLiteral("Meeting Mode|Ctrl+Shift+M")}));
    QCOMPARE(entries(menu("viewMenu")), QStringList{QStringLiteral("Hide Toolbar|Ctrl+Shift+T")});
    QCOMPARE(menu("viewMenu")->title().remove(u'&'), QStringLiteral("View"));
    // The editing commands keep the platform's own keys.
    const auto standard = [](const char *title, QKeySequence::StandardKey key) {
        return QLatin1String(title) + u'|' + QKeySequence(key).toString(QKeySequence::PortableText);
    };
    QCOMPARE(
        entries(menu("editMenu")),
        (QStringList{standard("Undo", QKeySequence::Undo), standard("Redo", QKeySequence::Redo),
                     QStringLiteral("-"), standard("Cut", QKeySequence::Cut),
                     standard("Copy", QKeySequence::Copy), standard("Paste", QKeySequence::Paste),
                     QStringLiteral("-"), standard("Select All", QKeySequence::SelectAll)}));
}

void tst_MenuCommands::nothingOpensASecondWindowAndNothingIsDisabled() {
    for (const QAction *a : window_->menuBar()->actions()) {
        for (const QAction *item : a->menu()->actions()) {
            QVERIFY2(!item->text().contains(QStringLiteral("New")), qPrintable(item->text()));
            QVERIFY(!item->text().contains(QStringLiteral("...")));
        }
    }
    model_->setClearRequested(true);
    model_->setText(QString());
    for (const char *name : {"clearNote", "exportNote", "printNote", "increaseFontSize",
                             "decreaseFontSize", "meetingMode", "toggleToolbar"})
        QVERIFY2(action(name)->isEnabled(), name);
}

void tst_MenuCommands::stateTitlesFollowTheModelWhoeverChangesIt() {
    QAction *meeting = action("meetingMode");
    QAction *toolbar = action("toggleToolbar");

    window_->findChild<QAbstractButton *>(QStringLiteral("meetingButton"))->click();
    QCoreApplication::processEvents();
    QCOMPARE(meeting->text(), QStringLiteral("End Meeting Mode"));

    meeting->trigger();
    QCoreApplication::processEvents();
    QCOMPARE(meeting->text(), QStringLiteral("Meeting Mode"));

    model_->replaceText(model_->text().size(), 0, u"minutes");
    meeting->trigger(); // content: the dialog asks first
    QCoreApplication::processEvents();
    QCOMPARE(meeting->text(), QStringLiteral("Meeting Mode"));
    auto *box = window_->findChild<QMessageBox *>();
    QVERIFY(box);
    for (QAbstractButton *b : box->buttons())
        if (b->text() == QStringLiteral("Clear & Start Meeting"))
            b->click();
    QCoreApplication::processEvents();
    QCOMPARE(meeting->text(), QStringLiteral("End Meeting Mode"));

    toolbar->trigger();
    QCoreApplication::processEvents();
    QCOMPARE(toolbar->text(), QStringLiteral("Show Toolbar"));
    QVERIFY(!model_->toolbarVisible());
    model_->setToolbarVisible(true);
    QCoreApplication::processEvents();
    QCOMPARE(toolbar->text(), QStringLiteral("Hide Toolbar"));
}

void tst_MenuCommands::fontSizeAnswersTheKeysPeoplePress_data() {
    QTest::addColumn<int>("key");
    QTest::addColumn<Qt::KeyboardModifiers>("modifiers");
    QTest::addColumn<double>("size");
    QTest::newRow("Ctrl and +") << int(Qt::Key_Plus) << Qt::KeyboardModifiers(Qt::ControlModifier)
                                << 19.0;
    QTest::newRow("Ctrl and =") << int(Qt::Key_Equal) << Qt::KeyboardModifiers(Qt::ControlModifier)
                                << 19.0;
    QTest::newRow("Ctrl and keypad +")
        << int(Qt::Key_Plus) << (Qt::ControlModifier | Qt::KeypadModifier) << 19.0;
    QTest::newRow("Ctrl and -") << int(Qt::Key_Minus) << Qt::KeyboardModifiers(Qt::ControlModifier)
                                << 15.0;
    QTest::newRow("Ctrl and keypad -")
        << int(Qt::Key_Minus) << (Qt::ControlModifier | Qt::KeypadModifier) << 15.0;
}

void tst_MenuCommands::fontSizeAnswersTheKeysPeoplePress() {
    QFETCH(int, key);
    QFETCH(Qt::KeyboardModifiers, modifiers);
    QFETCH(double, size);
    QTest::keyClick(window_->content()->editor(), Qt::Key(key), modifiers);
    QCOMPARE(model_->fontSize(), size);
    QCOMPARE(f_->store.floats[NoteModel::fontSizeKey], float(size));
    QCOMPARE(model_->text(), QString()); // the key went to the command, not into the note
}

void tst_MenuCommands::noteShortcutsActOnTheModel() {
    NoteEditor *editor = window_->content()->editor();
    QTest::keyClick(editor, Qt::Key_M, Qt::ControlModifier | Qt::ShiftModifier);
    QVERIFY(model_->isMeetingMode());
    QTest::keyClick(editor, Qt::Key_T, Qt::ControlModifier | Qt::ShiftModifier);
    QVERIFY(!model_->toolbarVisible());
    QTest::keyClick(editor, Qt::Key_E, Qt::ControlModifier | Qt::ShiftModifier);
    QCOMPARE(f_->presentations.panels.size(), 1u);
    QTest::keyClick(editor, Qt::Key_P, Qt::ControlModifier);
    QCOMPARE(f_->presentations.printedText.size(), 1u);
    QTest::keyClick(editor, Qt::Key_K, Qt::ControlModifier | Qt::ShiftModifier);
    QVERIFY(model_->clearRequested());
    QCoreApplication::processEvents();
    QVERIFY(window_->findChild<QMessageBox *>()); // the header is content: it asks first
}

QTEST_MAIN(tst_MenuCommands)
#include "tst_menucommands.moc"
