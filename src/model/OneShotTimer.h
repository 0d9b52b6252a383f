// SPDX-License-Identifier: MIT
#pragma once

#include <QTimer>

#include <chrono>
#include <functional>

/// A restartable one-shot timer on the main thread. A seam so that tests can fire it
/// deterministically instead of sleeping.
class OneShotTimer {
public:
    virtual ~OneShotTimer() = default;
    /// Drops any pending shot and schedules `action` once, `interval` from now.
    virtual void start(std::chrono::milliseconds interval, std::function<void()> action) = 0;
    virtual void stop() = 0;
    virtual bool isActive() const = 0;
};

class QtOneShotTimer final : public OneShotTimer {
public:
    QtOneShotTimer();
    void start(std::chrono::milliseconds interval, std::function<void()> action) override;
    void stop() override;
    bool isActive() const override;

private:
    QTimer timer_;
    std::function<void()> action_;
};
