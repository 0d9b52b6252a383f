// SPDX-License-Identifier: MIT
#pragma once

#include <QWidget>

/// A hairline across the window that keeps its height when it is made invisible.
class Divider : public QWidget {
    Q_OBJECT
public:
    explicit Divider(QWidget *parent = nullptr);
    qreal opacity() const { return opacity_; }
    void setOpacity(qreal opacity);

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    qreal opacity_ = 0.25;
};
