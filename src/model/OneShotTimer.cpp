// SPDX-License-Identifier: MIT
#include "OneShotTimer.h"

QtOneShotTimer::QtOneShotTimer() {
    timer_.setSingleShot(true);
    // The default coarse timer may fire up to 5 % late; the autosave delay is a promise.
    timer_.setTimerType(Qt::PreciseTimer);
    QObject::connect(&timer_, &QTimer::timeout, [this] {
        // Move the action out first: it may restart this timer.
        auto action = std::move(action_);
        action_ = nullptr;
        if (action)
            action();
    });
}

void QtOneShotTimer::start(std::chrono::milliseconds interval, std::function<void()> action) {
    action_ = std::move(action);
    timer_.start(interval);
}

void QtOneShotTimer::stop() {
    timer_.stop();
    action_ = nullptr;
}

bool QtOneShotTimer::isActive() const {
    return timer_.isActive();
}
