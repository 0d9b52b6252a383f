// SPDX-License-Identifier: MIT
#pragma once

#include <QMainWindow>

class ContentView;
class MenuCommands;
class NoteModel;
class QLabel;
class QTimer;

/// The one window: the note's content, the menus, and a quiet notice when saving fails.
class MainWindow : public QMainWindow {
    Q_OBJECT
public:
    explicit MainWindow(NoteModel &model, QWidget *parent = nullptr);

    ContentView *content() const { return content_; }
    /// Brings the window to the front, for a second launch of the app.
    void bringToFront();

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    void showSaveFailed(const QString &reason);
    void showSaveRecovered();

    NoteModel &model_;
    ContentView *content_;
    QLabel *notice_;
    QTimer *noticeTimeout_;
    MenuCommands *commands_;
};
