// SPDX-License-Identifier: MIT
#pragma once

#include <QWidget>

#include <functional>
#include <vector>

class QLabel;
class QPushButton;
class QTimer;
class QToolButton;

/// A strip above the note that tells what the user should know without asking anything: a
/// save that failed, another program's words taken in. Its buttons answer the mouse and the
/// Tab key, but never take the keyboard from the editor on their own, and screen readers
/// announce every message it shows, as a notification.
class NoticeBar : public QWidget {
    Q_OBJECT
public:
    explicit NoticeBar(QWidget *parent = nullptr);

    /// Shows `message` until it is replaced or resolved: a problem that lasts.
    void alert(const QString &message);
    /// Shows `message` for a while, over what lasts.
    void inform(const QString &message);
    /// The problem alert() told of is over: `message` says so for a while.
    void resolve(const QString &message);
    /// Shows `message` until the user dismisses it, with a button `actionTitle` that runs `action`
    /// (e.g. "Show Copy" that reveals a kept conflict copy). Held notices stack: the newest shows;
    /// a transient inform() shows over it for its time and then the held one returns; dismissing
    /// shows the next held one.
    void hold(const QString &message, const QString &actionTitle, std::function<void()> action);

    /// The message shown now; empty while the strip is hidden.
    QString text() const;

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    struct Notice {
        QString message;
        QString actionTitle;
        std::function<void()> action;
        bool isAlert = false;
    };
    void dropAlert();
    void dismiss();
    void showCurrent();
    void announce();

    QLabel *message_;
    QPushButton *action_;
    QToolButton *dismiss_;
    QTimer *timeout_;
    std::vector<Notice> lasting_; // alerts and held notices, the newest last
    QString transient_;
    bool lastingLook_ = false;
};
