// SPDX-License-Identifier: MIT
#pragma once

#include <QLabel>

class QTimer;

/// A strip above the note that tells what the user should know without asking anything: a
/// save that failed, another program's words taken in. It never takes the keyboard, and
/// screen readers announce it.
class NoticeBar : public QLabel {
    Q_OBJECT
public:
    explicit NoticeBar(QWidget *parent = nullptr);

    /// Shows `message` until it is replaced: a problem that lasts.
    void alert(const QString &message);
    /// Shows `message` for a while.
    void inform(const QString &message);

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    void present(const QString &message, bool alert);

    QTimer *timeout_;
    bool alert_ = false;
};
