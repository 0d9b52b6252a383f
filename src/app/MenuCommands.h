// SPDX-License-Identifier: MIT
#pragma once

#include <QKeySequence>
#include <QObject>

class ContentView;
class NoteEditor;
class NoteHistory;
class NoteModel;
class QAction;
class QMenu;
class QMenuBar;
class Spelling;

/// Every note action in the menu bar, each with its shortcut and a mnemonic. Two titles
/// follow the model.
class MenuCommands : public QObject {
    Q_OBJECT
public:
    MenuCommands(NoteModel &model, ContentView &content, Spelling &spelling, QMenuBar &menuBar,
                 NoteHistory *history = nullptr, QObject *parent = nullptr);

    static inline const QString countVisibleKey = QStringLiteral("mirt.view.count");
    static inline const QString keepsHistoryKey = QStringLiteral("mirt.history.enabled");

private:
    void createActions();
    void createMenus(QMenuBar &menuBar);
    void fillLanguages(QMenu *menu);
    void refreshTitles();
    void showAbout();
    void createHistoryActions(QMenu &file);
    void clearHistory();
    QAction *action(const char *objectName, const QString &title, const QList<QKeySequence> &keys);
    QAction *editAction(const char *objectName, const QString &title, QKeySequence::StandardKey key,
                        void (NoteEditor::*slot)());

    NoteModel &model_;
    ContentView &content_;
    NoteEditor &editor_;
    Spelling &spelling_;
    NoteHistory *history_;

    QAction *clearNote_ = nullptr;
    QAction *exportNote_ = nullptr;
    QAction *printNote_ = nullptr;
    QAction *previewNote_ = nullptr;
    QAction *moveNote_ = nullptr;
    QAction *quit_ = nullptr;
    QAction *undo_ = nullptr;
    QAction *redo_ = nullptr;
    QAction *cut_ = nullptr;
    QAction *copy_ = nullptr;
    QAction *paste_ = nullptr;
    QAction *selectAll_ = nullptr;
    QAction *find_ = nullptr;
    QAction *findNext_ = nullptr;
    QAction *findPrevious_ = nullptr;
    QAction *replace_ = nullptr;
    QAction *checkSpelling_ = nullptr;
    QAction *increaseFont_ = nullptr;
    QAction *decreaseFont_ = nullptr;
    QAction *resetFont_ = nullptr;
    QAction *meeting_ = nullptr;
    QAction *toolbar_ = nullptr;
    QAction *count_ = nullptr;
    QAction *about_ = nullptr;
};
