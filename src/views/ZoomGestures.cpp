// SPDX-License-Identifier: MIT
#include "ZoomGestures.h"

#include "Notemodel.h"

#include <QNativeGestureEvent>
#include <QWheelEvent>

bool ZoomGestures::wheel(QWheelEvent *event) {
    if (!(event->modifiers() & Qt::ControlModifier))
        return false;
    if (const int steps = event->angleDelta().y(); steps != 0)
        steps > 0 ? model_.increaseFontSize() : model_.decreaseFontSize();
    event->accept();
    return true;
}

bool ZoomGestures::gesture(QEvent *event) {
    if (event->type() != QEvent::NativeGesture)
        return false;
    const auto *gesture = static_cast<QNativeGestureEvent *>(event);
    if (gesture->gestureType() != Qt::ZoomNativeGesture)
        return false;
    pinch_ += gesture->value();
    for (; pinch_ >= 0.25; pinch_ -= 0.25)
        model_.increaseFontSize();
    for (; pinch_ <= -0.25; pinch_ += 0.25)
        model_.decreaseFontSize();
    return true;
}
