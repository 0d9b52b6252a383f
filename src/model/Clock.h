// SPDX-License-Identifier: MIT
#pragma once

#include <QDateTime>

/// Where the model reads the current time; tests inject a fixed one.
class Clock {
public:
    virtual ~Clock() = default;
    virtual QDateTime now() const = 0;
};

class SystemClock final : public Clock {
public:
    QDateTime now() const override { return QDateTime::currentDateTime(); }
};
