// SPDX-License-Identifier: MIT
#include "ContentView.h"
#include "EarlierNotesWindow.h"
#include "Fakes.h"
#include "Files.h"
#include "MainWindow.h"
#include "NoteEditor.h"
#include "Notemodel.h"
#include "StartAtLogin.h"
#include "Translations.h"

#include "FindBar.h"

#include <QAbstractButton>
#include <QAccessible>
#include <QDir>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTranslator>

using namespace Qt::StringLiterals;

class tst_MenuCommands : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();
    void shortcutsReachTheModel_data();
    void shortcutsReachTheModel();
    void stateTitlesFollowTheModelWhoeverChangesIt();
    void eachLanguageNamesEveryControlWithItsMnemonicsAndTheToolkitsTerms_data();
    void eachLanguageNamesEveryControlWithItsMnemonicsAndTheToolkitsTerms();
    void choicesThatKeepTheNoteAtHandAreRemembered_data();
    void choicesThatKeepTheNoteAtHandAreRemembered();

private:
    QAction *action(const char *name) const {
        return window_->findChild<QAction *>(QLatin1String(name));
    }

    std::unique_ptr<ModelFixture> f_;
    std::unique_ptr<NoteModel> model_;
    QTemporaryDir historyFolder_;
    std::unique_ptr<NoteHistory> history_;
    std::unique_ptr<MainWindow> window_;
};

void tst_MenuCommands::init() {
    f_ = std::make_unique<ModelFixture>();
    f_->store.floats[NoteModel::fontSizeKey] = 17.0f;
    model_ = f_->make();
    history_ = std::make_unique<NoteHistory>(historyFolder_.path(), f_->clock);
    window_ = std::make_unique<MainWindow>(*model_, history_.get());
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
    QTest::newRow("earlier notes") << int(Qt::Key_H) << ctrlShift << u"earlier"_s;
    QTest::newRow("Ctrl and 0") << int(Qt::Key_0) << ctrl << u"size 13"_s;
    QTest::newRow("Ctrl and keypad 0") << int(Qt::Key_0) << keypad << u"size 13"_s;
    QTest::newRow("F3") << int(Qt::Key_F3) << Qt::KeyboardModifiers() << u"findNext"_s;
    QTest::newRow("Shift+F3") << int(Qt::Key_F3) << Qt::KeyboardModifiers(Qt::ShiftModifier)
                              << u"findPrevious"_s;
}

void tst_MenuCommands::shortcutsReachTheModel() {
    QFETCH(int, key);
    QFETCH(Qt::KeyboardModifiers, modifiers);
    QFETCH(QString, effect);
    model_->setText(u"x"_s);
    // The command the key is for runs, and no other: keys given to two would run neither.
    std::map<QString, std::unique_ptr<QSignalSpy>> ran;
    for (const char *name : {"findNext", "findPrevious"})
        ran[QLatin1String(name)] = std::make_unique<QSignalSpy>(action(name), &QAction::triggered);
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
    } else if (effect == QLatin1String("earlier")) {
        QTRY_VERIFY(window_->findChild<EarlierNotesWindow *>()->isActiveWindow());
    } else if (effect == QLatin1String("clear")) {
        QVERIFY(model_->clearRequested());
    } else if (ran.count(effect)) {
        for (const auto &[name, spy] : ran)
            QCOMPARE(spy->size(), name == effect ? 1 : 0);
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

void tst_MenuCommands::eachLanguageNamesEveryControlWithItsMnemonicsAndTheToolkitsTerms_data() {
    QTest::addColumn<QString>("language");
    QTest::newRow("en") << QString();
    for (const QString &file : QDir(u":/i18n"_s).entryList({u"mirt_*.qm"_s}))
        QTest::newRow(qPrintable(file)) << file.mid(5).chopped(3);
    QVERIFY(QDir(u":/i18n"_s).entryList({u"mirt_*.qm"_s}).size() >= 2);
}

void tst_MenuCommands::eachLanguageNamesEveryControlWithItsMnemonicsAndTheToolkitsTerms() {
    QFETCH(QString, language);
    Translations translations;
    QVERIFY(language.isEmpty() || translations.install(QLocale(language)));
    history_->keep(NoteHistory::Kind::BeforeClear, "an earlier note\n");
    window_ = std::make_unique<MainWindow>(*model_, history_.get()); // built in that language
    window_->content()->findBar()->open(true);
    window_->show();
    action("earlierNotes")->trigger();
    auto *earlier = window_->findChild<EarlierNotesWindow *>();
    QVERIFY(earlier && earlier->isVisible());
    // What a screen reader finds: every control it can act on has a name.
    QStringList unnamed;
    int controls = 0;
    std::function<void(QAccessibleInterface *)> walk = [&](QAccessibleInterface *node) {
        const QAccessible::Role role = node->role();
        if (node->state().invisible)
            return;
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
    walk(QAccessible::queryAccessibleInterface(earlier));
    QVERIFY(controls >= 18); // its list, its preview, its find field and its buttons
    QVERIFY2(unnamed.isEmpty(), qPrintable(unnamed.join(u", ")));
    // Alt and a letter reach each menu, each of its items, and each button of the window, and
    // no two that answer at once share one.
    const auto clashes = [](const QStringList &texts, bool all) {
        QStringList problems;
        std::map<QKeySequence, QString> taken;
        for (const QString &text : texts) {
            const QKeySequence key = QKeySequence::mnemonic(text);
            if (key.isEmpty() && all)
                problems << u"no mnemonic: "_s + text;
            else if (!key.isEmpty() && !taken.try_emplace(key, text).second)
                problems << taken[key] + u" and "_s + text;
        }
        return problems.join(u"; "_s);
    };
    QStringList window;
    for (const QAction *a : window_->menuBar()->actions())
        window << a->text();
    for (const QAbstractButton *b : window_->findChildren<QAbstractButton *>())
        if (b->isVisible() && b->window() == window_.get()) // a dialog's are its own
            window << b->text();
    QCOMPARE(clashes(window, false), QString());
    QStringList inEarlier;
    for (const QAbstractButton *b : earlier->findChildren<QAbstractButton *>())
        inEarlier << b->text();
    for (const QLabel *label : earlier->findChildren<QLabel *>())
        if (label->buddy())
            inEarlier << label->text();
    QCOMPARE(clashes(inEarlier, false), QString());
    for (QMenu *menu : window_->menuBar()->findChildren<QMenu *>()) {
        QStringList items;
        for (const QAction *a : menu->actions())
            if (!a->isSeparator() && menu->objectName() != u"spellingLanguages"_s)
                items << a->text();
        QCOMPARE(clashes(items, true), QString());
    }
    // The editing commands say what the toolkit's context menu says for them.
    const QList<std::pair<const char *, const char *>> terms = {
        {"undo", "&Undo"}, {"redo", "&Redo"},   {"cut", "Cu&t"},
        {"copy", "&Copy"}, {"paste", "&Paste"}, {"selectAll", "Select All"}};
    for (const auto &[name, source] : terms)
        QCOMPARE(QString(action(name)->text()).remove(u'&'),
                 QCoreApplication::translate("QWidgetTextControl", source).remove(u'&'));
}

void tst_MenuCommands::choicesThatKeepTheNoteAtHandAreRemembered_data() {
    QTest::addColumn<QString>("choice");
    QTest::newRow("Start at Login") << u"startAtLogin"_s;
    QTest::newRow("Keep on Top") << u"keepOnTop"_s;
}

void tst_MenuCommands::choicesThatKeepTheNoteAtHandAreRemembered() {
    QFETCH(QString, choice);
    const QString entry = StartAtLogin::entryPath();
    // Whether the item is checked, and whether what it stands for is so.
    const auto state = [&](MainWindow &window) {
        return std::pair(window.findChild<QAction *>(choice)->isChecked(),
                         choice == u"startAtLogin"_s
                             ? QFile::exists(entry)
                             : window.windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    };
    for (const bool on : {true, false}) {
        action(qPrintable(choice))->trigger();
        QCOMPARE(state(*window_), std::pair(on, on));
        QVERIFY(window_->isVisible());
        MainWindow next(*model_); // the next start
        QCOMPARE(state(next), std::pair(on, on));
        if (!on || choice != u"startAtLogin"_s)
            continue;
        // An entry every desktop takes, that starts this very program without a window.
        QByteArray output;
        QCOMPARE(runProgram(u"desktop-file-validate"_s, {entry}, &output), 0);
        QVERIFY2(output.isEmpty(), output.constData());
        QVERIFY(contents(entry).contains(
            "\nExec=\"" + QCoreApplication::applicationFilePath().toUtf8() + "\" --hidden\n"));
        // Switched off in the desktop's own list of startup programs, it is off here too.
        writeFile(entry, contents(entry) + "Hidden=true\n");
        QVERIFY(!MainWindow(*model_).findChild<QAction *>(choice)->isChecked());
        writeFile(entry, contents(entry).replace("Hidden=true\n", ""));
    }
}

QTEST_MAIN(tst_MenuCommands)
#include "tst_menucommands.moc"
