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
    clearNote_ = action("clearNote", tr("Clear Note"), {Qt::CTRL | Qt::SHIFT | Qt::Key_K});
    connect(clearNote_, &QAction::triggered, this, [this] { model_.setClearRequested(true); });
    exportNote_ = action("exportNote", tr("Export Note…"), {Qt::CTRL | Qt::SHIFT | Qt::Key_E});
    connect(exportNote_, &QAction::triggered, &model_, &NoteModel::exportNote);
    printNote_ = action("printNote", tr("Print Note…"), {Qt::CTRL | Qt::Key_P});
    connect(printNote_, &QAction::triggered, &model_, &NoteModel::printNote);
    moveNote_ = action("moveNote", tr("Move Note…"), {Qt::CTRL | Qt::SHIFT | Qt::Key_L});
    connect(moveNote_, &QAction::triggered, &model_, &NoteModel::moveNote);
    quit_ = action("quit", tr("Quit"), {Qt::CTRL | Qt::Key_Q});
    quit_->setMenuRole(QAction::QuitRole);
    connect(quit_, &QAction::triggered, qApp, &QApplication::closeAllWindows);

    // The editing commands keep the platform's own keys and act on the editor.
    undo_ = editAction("undo", tr("Undo"), QKeySequence::Undo, &NoteEditor::undo);
    redo_ = editAction("redo", tr("Redo"), QKeySequence::Redo, &NoteEditor::redo);
    cut_ = editAction("cut", tr("Cut"), QKeySequence::Cut, &NoteEditor::cut);
    copy_ = editAction("copy", tr("Copy"), QKeySequence::Copy, &NoteEditor::copy);
    paste_ = editAction("paste", tr("Paste"), QKeySequence::Paste, &NoteEditor::paste);
    selectAll_ =
        editAction("selectAll", tr("Select All"), QKeySequence::SelectAll, &NoteEditor::selectAll);
    for (QAction *a : {undo_, redo_, cut_, copy_})
        a->setEnabled(false);
    connect(&editor_, &NoteEditor::undoAvailable, undo_, &QAction::setEnabled);
    connect(&editor_, &NoteEditor::redoAvailable, redo_, &QAction::setEnabled);
    connect(&editor_, &NoteEditor::copyAvailable, cut_, &QAction::setEnabled);
    connect(&editor_, &NoteEditor::copyAvailable, copy_, &QAction::setEnabled);

    // "+" needs Shift on many layouts; Ctrl+= and the keypad answer too.
    const auto keypad = [](Qt::Key key) {
        return QKeySequence(QKeyCombination(Qt::ControlModifier | Qt::KeypadModifier, key));
    };
    increaseFont_ =
        action("increaseFontSize", tr("Increase Font Size"),
               {Qt::CTRL | Qt::Key_Plus, Qt::CTRL | Qt::Key_Equal, keypad(Qt::Key_Plus)});
    connect(increaseFont_, &QAction::triggered, &model_, &NoteModel::increaseFontSize);
    decreaseFont_ = action("decreaseFontSize", tr("Decrease Font Size"),
                           {Qt::CTRL | Qt::Key_Minus, keypad(Qt::Key_Minus)});
    connect(decreaseFont_, &QAction::triggered, &model_, &NoteModel::decreaseFontSize);

    meeting_ = action("meetingMode", QString(), {Qt::CTRL | Qt::SHIFT | Qt::Key_M});
    connect(meeting_, &QAction::triggered, &model_, &NoteModel::toggleMeetingMode);
    toolbar_ = action("toggleToolbar", QString(), {Qt::CTRL | Qt::SHIFT | Qt::Key_T});
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
    file->addAction(moveNote_);
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
