// SPDX-License-Identifier: MIT
#include "MenuCommands.h"

#include "ModelObserver.h"
#include "NoteEditor.h"
#include "Notemodel.h"

#include <QApplication>
#include <QMenu>
#include <QMenuBar>

MenuCommands::MenuCommands(NoteModel &model, NoteEditor &editor, QMenuBar &menuBar, QObject *parent)
    : QObject(parent)
    , model_(model)
    , editor_(editor) {
    createActions();
    createMenus(menuBar);
    refreshTitles();
    new ModelObserver(
        model_, [this] { refreshTitles(); }, this);
}

QAction *MenuCommands::action(const char *objectName, const QString &title) {
    auto *a = new QAction(title, this);
    a->setObjectName(QLatin1String(objectName));
    return a;
}

void MenuCommands::createActions() {
    clearNote_ = action("clearNote", tr("Clear Note"));
    clearNote_->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_K));
    connect(clearNote_, &QAction::triggered, this, [this] { model_.setClearRequested(true); });

    exportNote_ = action("exportNote", tr("Export Note…"));
    exportNote_->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_E));
    connect(exportNote_, &QAction::triggered, &model_, &NoteModel::exportNote);

    printNote_ = action("printNote", tr("Print Note…"));
    printNote_->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_P));
    connect(printNote_, &QAction::triggered, &model_, &NoteModel::printNote);

    quit_ = action("quit", tr("Quit"));
    quit_->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Q));
    quit_->setMenuRole(QAction::QuitRole);
    connect(quit_, &QAction::triggered, qApp, &QApplication::closeAllWindows);

    undo_ = action("undo", tr("Undo"));
    undo_->setShortcut(QKeySequence::Undo);
    undo_->setEnabled(false);
    connect(undo_, &QAction::triggered, &editor_, &NoteEditor::undo);
    connect(&editor_, &NoteEditor::undoAvailable, undo_, &QAction::setEnabled);

    redo_ = action("redo", tr("Redo"));
    redo_->setShortcut(QKeySequence::Redo);
    redo_->setEnabled(false);
    connect(redo_, &QAction::triggered, &editor_, &NoteEditor::redo);
    connect(&editor_, &NoteEditor::redoAvailable, redo_, &QAction::setEnabled);

    cut_ = action("cut", tr("Cut"));
    cut_->setShortcut(QKeySequence::Cut);
    connect(cut_, &QAction::triggered, &editor_, &NoteEditor::cut);
    copy_ = action("copy", tr("Copy"));
    copy_->setShortcut(QKeySequence::Copy);
    connect(copy_, &QAction::triggered, &editor_, &NoteEditor::copy);
    for (QAction *needsSelection : {cut_, copy_}) {
        needsSelection->setEnabled(false);
        connect(&editor_, &NoteEditor::copyAvailable, needsSelection, &QAction::setEnabled);
    }
    paste_ = action("paste", tr("Paste"));
    paste_->setShortcut(QKeySequence::Paste);
    connect(paste_, &QAction::triggered, &editor_, &NoteEditor::paste);
    selectAll_ = action("selectAll", tr("Select All"));
    selectAll_->setShortcut(QKeySequence::SelectAll);
    connect(selectAll_, &QAction::triggered, &editor_, &NoteEditor::selectAll);

    // "+" needs Shift on many layouts; Ctrl+= and the keypad answer too.
    increaseFont_ = action("increaseFontSize", tr("Increase Font Size"));
    increaseFont_->setShortcuts(
        {QKeySequence(Qt::CTRL | Qt::Key_Plus), QKeySequence(Qt::CTRL | Qt::Key_Equal),
         QKeySequence(QKeyCombination(Qt::ControlModifier | Qt::KeypadModifier, Qt::Key_Plus))});
    connect(increaseFont_, &QAction::triggered, &model_, &NoteModel::increaseFontSize);

    decreaseFont_ = action("decreaseFontSize", tr("Decrease Font Size"));
    decreaseFont_->setShortcuts(
        {QKeySequence(Qt::CTRL | Qt::Key_Minus),
         QKeySequence(QKeyCombination(Qt::ControlModifier | Qt::KeypadModifier, Qt::Key_Minus))});
    connect(decreaseFont_, &QAction::triggered, &model_, &NoteModel::decreaseFontSize);

    meeting_ = action("meetingMode", QString());
    meeting_->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_M));
    connect(meeting_, &QAction::triggered, this, [this] {
        if (model_.isMeetingMode())
            model_.endMeetingMode();
        else
            model_.requestMeetingMode();
    });

    toolbar_ = action("toggleToolbar", QString());
    toolbar_->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_T));
    connect(toolbar_, &QAction::triggered, this,
            [this] { model_.setToolbarVisible(!model_.toolbarVisible()); });
}

void MenuCommands::createMenus(QMenuBar &menuBar) {
    // No command opens a new window or a new note: there is one of each.
    QMenu *file = menuBar.addMenu(tr("&File"));
    file->setObjectName(QStringLiteral("fileMenu"));
    file->addAction(clearNote_);
    file->addSeparator();
    file->addAction(exportNote_);
    file->addAction(printNote_);
    file->addSeparator();
    file->addAction(quit_);

    QMenu *edit = menuBar.addMenu(tr("&Edit"));
    edit->setObjectName(QStringLiteral("editMenu"));
    edit->addActions({undo_, redo_});
    edit->addSeparator();
    edit->addActions({cut_, copy_, paste_});
    edit->addSeparator();
    edit->addAction(selectAll_);

    QMenu *format = menuBar.addMenu(tr("F&ormat"));
    format->setObjectName(QStringLiteral("formatMenu"));
    format->addSeparator();
    format->addAction(increaseFont_);
    format->addAction(decreaseFont_);
    format->addSeparator();
    format->addAction(meeting_);

    QMenu *view = menuBar.addMenu(tr("&View"));
    view->setObjectName(QStringLiteral("viewMenu"));
    view->addAction(toolbar_);
}

void MenuCommands::refreshTitles() {
    meeting_->setText(model_.isMeetingMode() ? tr("End Meeting Mode") : tr("Meeting Mode"));
    toolbar_->setText(model_.toolbarVisible() ? tr("Hide Toolbar") : tr("Show Toolbar"));
}
