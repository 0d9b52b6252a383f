// SPDX-License-Identifier: MIT
#include "ContentView.h"
#include "Fakes.h"
#include "MainWindow.h"
#include "NoteEditor.h"
#include "Notemodel.h"

#include "FindBar.h"

#include <QAbstractButton>
#include <QAccessible>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QTest>

using namespace Qt::StringLiterals;

class tst_MenuCommands : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();
    void shortcutsReachTheModel_data();
    void shortcutsReachTheModel();
    void stateTitlesFollowTheModelWhoeverChangesIt();
    void everyControlIsNamedAndMnemonicsDoNotClash();

private:
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

void tst_MenuCommands::shortcutsReachTheModel_data() {
    QTest::addColumn<int>("key");
    QTest::addColumn<Qt::KeyboardModifiers>("modifiers");
    QTest::addColumn<QString>("effect");
    const auto ctrl = Qt::KeyboardModifiers(Qt::ControlModifier);
    const auto ctrlShift = Qt::ControlModifier | Qt::ShiftModifier;
    const auto keypad = Qt::ControlModifier | Qt::KeypadModifier;
    QTest::newRow("Ctrl and +") << int(Qt::Key_Plus) << ctrl << u"size 19"_s;
    QTest::newRow("Ctrl and =") << int(Qt::Key_Equal) << ctrl << u"size 19"_s;
    QTest::newRow("Ctrl and keypad +") << int(Qt::Key_Plus) << keypad << u"size 19"_s;
    QTest::newRow("Ctrl and -") << int(Qt::Key_Minus) << ctrl << u"size 15"_s;
    QTest::newRow("meeting") << int(Qt::Key_M) << ctrlShift << u"meeting"_s;
    QTest::newRow("toolbar") << int(Qt::Key_T) << ctrlShift << u"toolbar"_s;
    QTest::newRow("export") << int(Qt::Key_E) << ctrlShift << u"export"_s;
    QTest::newRow("print") << int(Qt::Key_P) << ctrl << u"print"_s;
    QTest::newRow("clear") << int(Qt::Key_K) << ctrlShift << u"clear"_s;
    QTest::newRow("move") << int(Qt::Key_L) << ctrlShift << u"move"_s;
}

void tst_MenuCommands::shortcutsReachTheModel() {
    QFETCH(int, key);
    QFETCH(Qt::KeyboardModifiers, modifiers);
    QFETCH(QString, effect);
    model_->setText(u"x"_s);
    QTest::keyClick(window_->content()->editor(), Qt::Key(key), modifiers);
    QCoreApplication::processEvents();
    QCOMPARE(model_->text(), u"x"_s); // the key went to the command, not the note
    if (effect.startsWith(QLatin1String("size"))) {
        const double size = effect.mid(5).toDouble();
        QCOMPARE(model_->fontSize(), size);
        QCOMPARE(f_->store.floats[NoteModel::fontSizeKey], float(size));
    } else if (effect == QLatin1String("meeting")) {
        QVERIFY(window_->findChild<QMessageBox *>()); // the note has content: it asks
    } else if (effect == QLatin1String("toolbar")) {
        QVERIFY(!model_->toolbarVisible());
    } else if (effect == QLatin1String("export")) {
        QCOMPARE(f_->dialogs.panels.size(), 1u);
    } else if (effect == QLatin1String("print")) {
        QCOMPARE(f_->dialogs.printed.size(), 1u);
    } else if (effect == QLatin1String("clear")) {
        QVERIFY(model_->clearRequested());
    } else {
        QVERIFY(f_->dialogs.pendingAnswer);
    }
}

void tst_MenuCommands::stateTitlesFollowTheModelWhoeverChangesIt() {
    QAction *meeting = action("meetingMode");
    QAction *toolbar = action("toggleToolbar");
    QCOMPARE(meeting->iconText(), u"Meeting Mode"_s);
    window_->findChild<QAbstractButton *>(u"meetingButton"_s)->click();
    QCoreApplication::processEvents();
    QCOMPARE(meeting->iconText(), u"End Meeting Mode"_s);
    meeting->trigger();
    QCoreApplication::processEvents();
    QCOMPARE(meeting->iconText(), u"Meeting Mode"_s);
    QCOMPARE(toolbar->iconText(), u"Hide Toolbar"_s);
    model_->setToolbarVisible(false);
    QCoreApplication::processEvents();
    QCOMPARE(toolbar->iconText(), u"Show Toolbar"_s);
}

void tst_MenuCommands::everyControlIsNamedAndMnemonicsDoNotClash() {
    window_->content()->findBar()->open(true);
    // What a screen reader finds: every control it can act on has a name.
    QStringList unnamed;
    int controls = 0;
    std::function<void(QAccessibleInterface *)> walk = [&](QAccessibleInterface *node) {
        const QAccessible::Role role = node->role();
        if (role == QAccessible::PushButton || role == QAccessible::CheckBox ||
            role == QAccessible::EditableText || role == QAccessible::ButtonMenu) {
            ++controls;
            if (node->text(QAccessible::Name).isEmpty())
                unnamed << QString::fromLatin1(node->object()->metaObject()->className()) + u':' +
                               node->object()->objectName();
        }
        for (int i = 0; i < node->childCount(); ++i)
            walk(node->child(i));
    };
    walk(QAccessible::queryAccessibleInterface(window_.get()));
    QVERIFY(controls >= 12); // the editor, the toolbar's and the find bar's controls
    QVERIFY2(unnamed.isEmpty(), qPrintable(unnamed.join(u", ")));
    // Alt and a letter reach each menu and each item in it, and no two share one.
    const auto mnemonics = [](const QList<QAction *> &actions) {
        QString letters;
        for (const QAction *a : actions) {
            const qsizetype at = a->text().indexOf(u'&');
            if (!a->isSeparator() && (at < 0 || at + 1 >= a->text().size()))
                return QStringLiteral("missing in ") + a->text();
            if (!a->isSeparator())
                letters += a->text()[at + 1].toLower();
        }
        for (QChar c : letters)
            if (letters.count(c) > 1)
                return QStringLiteral("clash on ") + c;
        return QString();
    };
    QCOMPARE(mnemonics(window_->menuBar()->actions()), QString());
    for (QMenu *menu : window_->menuBar()->findChildren<QMenu *>())
        if (menu->objectName() != u"spellingLanguages"_s) // the installed dictionaries
            QCOMPARE(mnemonics(menu->actions()), QString());
}

QTEST_MAIN(tst_MenuCommands)
#include "tst_menucommands.moc"
