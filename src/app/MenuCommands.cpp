// SPDX-License-Identifier: MIT
#include "MenuCommands.h"

#include "ContentView.h"
#include "EarlierNotesWindow.h"
#include "FindBar.h"
#include "ModelObserver.h"
#include "NoteEditor.h"
#include "Notemodel.h"
#include "SpellChecker.h"
#include "Spelling.h"

#include <QActionGroup>
#include <QApplication>
#include <QLocale>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QPushButton>
#include <QSettings>

MenuCommands::MenuCommands(NoteModel &model, ContentView &content, Spelling &spelling,
                           QMenuBar &menuBar, NoteHistory *history, QObject *parent)
    : QObject(parent)
    , model_(model)
    , content_(content)
    , editor_(*content.editor())
    , spelling_(spelling)
    , history_(history) {
    createActions();
    createMenus(menuBar);
    refreshTitles();
    new ModelObserver(
        model_, [this] { refreshTitles(); }, this);
}

QAction *MenuCommands::action(const char *objectName, const QString &title,
                              const QList<QKeySequence> &keys) {
    auto *a = new QAction(title, this);
    a->setObjectName(QLatin1String(objectName));
    a->setShortcuts(keys);
    return a;
}

QAction *MenuCommands::editAction(const char *objectName, const QString &title,
                                  QKeySequence::StandardKey key, void (NoteEditor::*slot)()) {
    QAction *a = action(objectName, title, QKeySequence::keyBindings(key));
    connect(a, &QAction::triggered, &editor_, slot);
    return a;
}

void MenuCommands::createActions() {
    clearNote_ = action("clearNote", tr("C&lear Note"), {Qt::CTRL | Qt::SHIFT | Qt::Key_K});
    connect(clearNote_, &QAction::triggered, this, [this] { model_.setClearRequested(true); });
    exportNote_ = action("exportNote", tr("&Export Note…"), {Qt::CTRL | Qt::SHIFT | Qt::Key_E});
    connect(exportNote_, &QAction::triggered, &model_, &NoteModel::exportNote);
    printNote_ = action("printNote", tr("&Print Note…"), {Qt::CTRL | Qt::Key_P});
    connect(printNote_, &QAction::triggered, &model_, &NoteModel::printNote);
    previewNote_ = action("previewNote", tr("Print Pre&view…"), {});
    connect(previewNote_, &QAction::triggered, &model_, &NoteModel::previewNote);
    moveNote_ = action("moveNote", tr("&Move Note…"), {Qt::CTRL | Qt::SHIFT | Qt::Key_L});
    connect(moveNote_, &QAction::triggered, &model_, &NoteModel::moveNote);
    quit_ = action("quit", tr("&Quit"), {Qt::CTRL | Qt::Key_Q});
    quit_->setMenuRole(QAction::QuitRole);
    connect(quit_, &QAction::triggered, qApp, &QApplication::closeAllWindows);

    // The editing commands keep the platform's own keys and act on the editor.
    undo_ = editAction("undo", tr("&Undo"), QKeySequence::Undo, &NoteEditor::undo);
    redo_ = editAction("redo", tr("&Redo"), QKeySequence::Redo, &NoteEditor::redo);
    cut_ = editAction("cut", tr("Cu&t"), QKeySequence::Cut, &NoteEditor::cut);
    copy_ = editAction("copy", tr("&Copy"), QKeySequence::Copy, &NoteEditor::copy);
    paste_ = editAction("paste", tr("&Paste"), QKeySequence::Paste, &NoteEditor::paste);
    selectAll_ = editAction("selectAll", tr("Select &All"), QKeySequence::SelectAll,
                            &NoteEditor::selectWholeNote);
    for (QAction *a : {undo_, redo_, cut_, copy_})
        a->setEnabled(false);
    connect(&editor_, &NoteEditor::undoAvailable, undo_, &QAction::setEnabled);
    connect(&editor_, &NoteEditor::redoAvailable, redo_, &QAction::setEnabled);
    connect(&editor_, &NoteEditor::copyAvailable, cut_, &QAction::setEnabled);
    connect(&editor_, &NoteEditor::copyAvailable, copy_, &QAction::setEnabled);

    FindBar *bar = content_.findBar();
    find_ = action("find", tr("&Find…"), QKeySequence::keyBindings(QKeySequence::Find));
    connect(find_, &QAction::triggered, bar, [bar] { bar->open(false); });
    findNext_ =
        action("findNext", tr("Find &Next"), QKeySequence::keyBindings(QKeySequence::FindNext));
    connect(findNext_, &QAction::triggered, bar, &FindBar::findNext);
    findPrevious_ = action("findPrevious", tr("Find Pre&vious"),
                           QKeySequence::keyBindings(QKeySequence::FindPrevious));
    connect(findPrevious_, &QAction::triggered, bar, &FindBar::findPrevious);
    QList<QKeySequence> replaceKeys = QKeySequence::keyBindings(QKeySequence::Replace);
    if (!replaceKeys.contains(QKeySequence(Qt::CTRL | Qt::Key_H)))
        replaceKeys << QKeySequence(Qt::CTRL | Qt::Key_H);
    replace_ = action("replace", tr("R&eplace…"), replaceKeys);
    connect(replace_, &QAction::triggered, bar, [bar] { bar->open(true); });
    checkSpelling_ = action("checkSpelling", tr("Check &Spelling"), {Qt::Key_F7});
    checkSpelling_->setCheckable(true);
    checkSpelling_->setChecked(spelling_.isEnabled());
    connect(checkSpelling_, &QAction::toggled, &spelling_, &Spelling::setEnabled);

    // "+" needs Shift on many layouts; Ctrl+= and the keypad answer too.
    const auto keypad = [](Qt::Key key) {
        return QKeySequence(QKeyCombination(Qt::ControlModifier | Qt::KeypadModifier, key));
    };
    increaseFont_ =
        action("increaseFontSize", tr("&Increase Font Size"),
               {Qt::CTRL | Qt::Key_Plus, Qt::CTRL | Qt::Key_Equal, keypad(Qt::Key_Plus)});
    connect(increaseFont_, &QAction::triggered, &model_, &NoteModel::increaseFontSize);
    decreaseFont_ = action("decreaseFontSize", tr("&Decrease Font Size"),
                           {Qt::CTRL | Qt::Key_Minus, keypad(Qt::Key_Minus)});
    connect(decreaseFont_, &QAction::triggered, &model_, &NoteModel::decreaseFontSize);
    resetFont_ =
        action("resetFontSize", tr("&Reset Font Size"), {Qt::CTRL | Qt::Key_0, keypad(Qt::Key_0)});
    connect(resetFont_, &QAction::triggered, &model_, &NoteModel::resetFontSize);

    meeting_ = action("meetingMode", QString(), {Qt::CTRL | Qt::SHIFT | Qt::Key_M});
    connect(meeting_, &QAction::triggered, &model_, &NoteModel::toggleMeetingMode);
    toolbar_ = action("toggleToolbar", QString(), {Qt::CTRL | Qt::SHIFT | Qt::Key_T});
    connect(toolbar_, &QAction::triggered, this,
            [this] { model_.setToolbarVisible(!model_.toolbarVisible()); });
    count_ = action("wordCount", tr("&Word Count"), {});
    count_->setCheckable(true);
    count_->setChecked(QSettings().value(countVisibleKey, false).toBool());
    content_.setCountVisible(count_->isChecked());
    connect(count_, &QAction::toggled, this, [this](bool visible) {
        content_.setCountVisible(visible);
        QSettings().setValue(countVisibleKey, visible);
    });
    about_ = action("about", tr("&About Mirt"), {QKeySequence::HelpContents});
    about_->setMenuRole(QAction::AboutRole);
    connect(about_, &QAction::triggered, this, &MenuCommands::showAbout);
}

void MenuCommands::createMenus(QMenuBar &menuBar) {
    // No command opens a new window or a new note: there is one of each.
    QMenu *file = menuBar.addMenu(tr("&File"));
    file->setObjectName(QStringLiteral("fileMenu"));
    file->addAction(clearNote_);
    file->addSeparator();
    file->addActions({exportNote_, printNote_, previewNote_, moveNote_});
    file->addSeparator();
    if (history_)
        createHistoryActions(*file);
    file->addAction(quit_);

    QMenu *edit = menuBar.addMenu(tr("&Edit"));
    edit->setObjectName(QStringLiteral("editMenu"));
    edit->addActions({undo_, redo_});
    edit->addSeparator();
    edit->addActions({cut_, copy_, paste_});
    edit->addSeparator();
    edit->addAction(selectAll_);
    edit->addSeparator();
    edit->addActions({find_, findNext_, findPrevious_, replace_});
    edit->addSeparator();
    edit->addAction(checkSpelling_);
    QMenu *languages = edit->addMenu(tr("Spelling &Language"));
    languages->setObjectName(QStringLiteral("spellingLanguages"));
    // Filled when first opened: the dictionaries are looked up only when someone asks.
    connect(languages, &QMenu::aboutToShow, this, [this, languages] {
        if (languages->isEmpty())
            fillLanguages(languages);
    });

    QMenu *format = menuBar.addMenu(tr("F&ormat"));
    format->setObjectName(QStringLiteral("formatMenu"));
    format->addSeparator();
    format->addActions({increaseFont_, decreaseFont_, resetFont_});
    format->addSeparator();
    format->addAction(meeting_);

    QMenu *view = menuBar.addMenu(tr("&View"));
    view->setObjectName(QStringLiteral("viewMenu"));
    view->addActions({toolbar_, count_});

    QMenu *help = menuBar.addMenu(tr("&Help"));
    help->setObjectName(QStringLiteral("helpMenu"));
    help->addAction(about_);
}

void MenuCommands::createHistoryActions(QMenu &file) {
    QAction *open =
        action("earlierNotes", tr("Ea&rlier Notes…"), {Qt::CTRL | Qt::SHIFT | Qt::Key_H});
    connect(open, &QAction::triggered, this, [this] {
        auto *window = content_.window()->findChild<EarlierNotesWindow *>();
        if (!window)
            window = new EarlierNotesWindow(model_, *history_, content_.window());
        window->refresh();
        window->show();
        window->raise();
        window->activateWindow();
    });
    QAction *keep = action("keepEarlierNotes", tr("&Keep Earlier Notes"), {});
    keep->setCheckable(true);
    keep->setChecked(history_->isEnabled());
    // Turned off, the history keeps what it has: only Clear Earlier Notes removes it.
    connect(keep, &QAction::toggled, this, [this](bool on) {
        history_->setEnabled(on);
        QSettings().setValue(keepsHistoryKey, on);
    });
    QAction *clear = action("clearEarlierNotes", tr("Clear Earlier &Notes…"), {});
    connect(clear, &QAction::triggered, this, &MenuCommands::clearHistory);
    file.addActions({open, keep, clear});
    file.addSeparator();
}

void MenuCommands::clearHistory() {
    auto *box = new QMessageBox(QMessageBox::Warning, tr("Clear Earlier Notes?"),
                                tr("Every earlier version of the note kept on this computer will "
                                   "be removed. The note itself stays."),
                                QMessageBox::Cancel, content_.window());
    box->setObjectName(QStringLiteral("clearEarlierQuestion"));
    QPushButton *remove = box->addButton(tr("&Remove Them"), QMessageBox::DestructiveRole);
    remove->setObjectName(QStringLiteral("removeEarlier"));
    box->setDefaultButton(QMessageBox::Cancel);
    box->setWindowModality(Qt::WindowModal);
    box->setAttribute(Qt::WA_DeleteOnClose);
    connect(remove, &QPushButton::clicked, this, [this] { history_->clear(); });
    box->open();
}

void MenuCommands::fillLanguages(QMenu *menu) {
    auto *group = new QActionGroup(menu);
    SpellChecker &checker = spelling_.checker();
    for (const QString &language : checker.languages()) {
        QAction *choice = menu->addAction(
            QLocale(language).nativeLanguageName().isEmpty()
                ? language
                : QStringLiteral("%1 (%2)").arg(QLocale(language).nativeLanguageName(), language));
        choice->setCheckable(true);
        choice->setChecked(language == checker.language());
        group->addAction(choice);
        connect(choice, &QAction::triggered, &spelling_,
                [this, language] { spelling_.setLanguage(language); });
    }
    if (group->actions().isEmpty())
        menu->addAction(tr("No dictionaries installed"))->setEnabled(false);
}

void MenuCommands::refreshTitles() {
    meeting_->setText(model_.isMeetingMode() ? tr("&End Meeting Mode") : tr("&Meeting Mode"));
    toolbar_->setText(model_.toolbarVisible() ? tr("Hide &Toolbar") : tr("Show &Toolbar"));
}

void MenuCommands::showAbout() {
    auto *box = new QMessageBox(QMessageBox::Information, tr("About Mirt"),
                                tr("<b>Mirt %1</b><p>A one-note scratchpad that saves itself.</p>"
                                   "<p>Released under the MIT licence.</p>")
                                    .arg(QCoreApplication::applicationVersion()),
                                QMessageBox::Ok, content_.window());
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->open();
}
