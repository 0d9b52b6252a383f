// SPDX-License-Identifier: MIT
#pragma once

#include "HistorySearch.h"
#include "NoteHistory.h"

#include <QDialog>

class NoteModel;
class QLabel;
class QLineEdit;
class QListView;
class QPlainTextEdit;
class QPushButton;
class VersionList;

/// The note's earlier versions, newest first: each shown read-only with what differs from the
/// note marked, found by the words they hold, and brought back, copied or exported.
class EarlierNotesWindow : public QDialog {
    Q_OBJECT
public:
    EarlierNotesWindow(NoteModel &model, NoteHistory &history, QWidget *parent = nullptr);

    /// Lists the versions kept, anew.
    void refresh();
    /// What a version is, for a list and a screen reader: "Before Clear", "Meeting 2026 12 07,
    /// 14:05".
    static QString describe(const NoteHistory::Version &version, const QString &firstLine);

private:
    void find(const QString &words);
    void showSelected();
    /// Makes the version at `path` the current row, or else the newest shown.
    void select(const QString &path);
    std::optional<QString> selectedText() const;
    void bringBack();

    NoteModel &model_;
    NoteHistory &history_;
    HistorySearch search_;
    VersionList *versions_;
    QLineEdit *findField_;
    QListView *list_;
    QPlainTextEdit *preview_;
    QLabel *status_;
    QPushButton *bringBack_;
    QPushButton *copy_;
    QPushButton *export_;
};
