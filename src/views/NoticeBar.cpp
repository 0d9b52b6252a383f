// SPDX-License-Identifier: MIT
#include "NoticeBar.h"

#include <QAccessible>
#include <QPainter>
#include <QTimer>

NoticeBar::NoticeBar(QWidget *parent)
    : QLabel(parent)
    , timeout_(new QTimer(this)) {
    setObjectName(QStringLiteral("notice"));
    setWordWrap(true);
    setContentsMargins(14, 6, 10, 6);
    setFocusPolicy(Qt::NoFocus); // typing goes on while the notice is up
    setTextInteractionFlags(Qt::TextSelectableByMouse);
    hide();
    timeout_->setSingleShot(true);
    timeout_->setInterval(8000);
    connect(timeout_, &QTimer::timeout, this, &QWidget::hide);
}

void NoticeBar::alert(const QString &message) {
    timeout_->stop();
    present(message, true);
}

void NoticeBar::inform(const QString &message) {
    present(message, false);
    timeout_->start();
}

void NoticeBar::present(const QString &message, bool alert) {
    alert_ = alert;
    setText(message);
    setAccessibleName(message);
    show();
    update();
    QAccessibleEvent event(this, QAccessible::Alert);
    QAccessible::updateAccessibility(&event);
}

void NoticeBar::paintEvent(QPaintEvent *event) {
    // The palette's own colours, so that the strip sits right in light, dark and high-contrast
    // themes; an alert is marked by a bar in the highlight colour.
    QPainter p(this);
    p.fillRect(rect(), palette().color(QPalette::AlternateBase));
    p.fillRect(QRect(0, 0, 4, height()),
               palette().color(alert_ ? QPalette::Highlight : QPalette::Mid));
    p.end();
    QLabel::paintEvent(event);
}
