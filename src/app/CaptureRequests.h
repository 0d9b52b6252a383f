// SPDX-License-Identifier: MIT
#pragma once

#include "SingleInstance.h"

#include <QObject>
#include <QPointer>

class QTimer;

class MainWindow;
class NoteModel;

/// What the running app does when it is asked from outside its window: by the desktop's global
/// shortcut, and through SingleInstance by `mirt --toggle`, `--show` and `--append`, by a
/// launcher or by a second launch.
class CaptureRequests : public QObject {
    Q_OBJECT
public:
    /// With `globalShortcut`, the shortcut is bound too: by the usual note's copy only, since
    /// two copies would compete for the same keys.
    CaptureRequests(SingleInstance &instance, MainWindow &window, NoteModel &model,
                    bool globalShortcut, QObject *parent = nullptr);
    ~CaptureRequests() override;

    /// Set once the user has heard that the desktop offers no global shortcut.
    static inline const QString shortcutToldKey = QStringLiteral("mirt.shortcut.missingTold");

    /// Readies the hidden window of a start without one, so that its first show costs no more
    /// than a later one: the platform's window made, the widgets laid out and drawn once off
    /// screen.
    void standBy();
    /// Brings the window forward with the keyboard in the note, the caret where it was.
    void show(const QString &activationToken);
    /// Hides the window when it has the keyboard, and shows it otherwise.
    void toggle(const QString &activationToken);
    /// Adds lines at the end of the note and returns once they are on disk: nothing, or why
    /// they are not there, and will not be.
    std::optional<QString> append(const QString &lines);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    /// The window's own dialogs on screen: a question, a panel.
    QList<QWidget *> openDialogs() const;
    /// Whether the window, or one of its dialogs, has the keyboard.
    bool hasKeyboard() const;
    std::optional<QString> answer(const SingleInstance::Request &request);
    void tellShortcutMissing();

    SingleInstance &instance_;
    MainWindow &window_;
    NoteModel &model_;
    bool shortcutMissing_ = false; // and the user has not heard it yet
    QList<QPointer<QWidget>> hiddenDialogs_;
    QTimer *closing_;
};
