// SPDX-License-Identifier: MIT
#pragma once

#include <QMainWindow>

class ContentView;
class MenuCommands;
class NoteHistory;
class NoteModel;
class NoticeBar;
class Spelling;

/// The one window: the note's content, the menus, and a quiet notice strip above the note.
class MainWindow : public QMainWindow {
    Q_OBJECT
public:
    /// With a `history`, the File menu offers the note's earlier versions.
    explicit MainWindow(NoteModel &model, NoteHistory *history = nullptr,
                        QWidget *parent = nullptr);

    static inline const QString geometryKey = QStringLiteral("mirt.window.geometry");

    ContentView *content() const { return content_; }
    NoticeBar *notice() const { return notice_; }
    /// Brings the window to the front, for a second launch of the app.
    void bringToFront();
    /// Names a file beside the note that holds words the note does not, until the user has
    /// looked, with a button that shows the file.
    void nameKeptFile(const QString &message, const QString &path);

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    ContentView *content_;
    NoticeBar *notice_;
    Spelling *spelling_;
    MenuCommands *commands_;
};
