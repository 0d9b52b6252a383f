// SPDX-License-Identifier: MIT
#include "Divider.h"

#include <QPainter>

Divider::Divider(QWidget *parent)
    : QWidget(parent) {
    setObjectName(QStringLiteral("divider"));
    setFixedHeight(1);
}

void Divider::setOpacity(qreal opacity) {
    if (opacity == opacity_)
        return;
    opacity_ = opacity;
    update();
}

void Divider::paintEvent(QPaintEvent *) {
    QPainter p(this);
    p.setOpacity(opacity_);
    p.fillRect(rect(), palette().color(QPalette::Mid));
}
