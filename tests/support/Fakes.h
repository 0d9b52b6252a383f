// SPDX-License-Identifier: MIT
#pragma once

#include "Clock.h"
#include "DefaultsStore.h"
#include "OneShotTimer.h"
#include "Presentations.h"

#include <QMarginsF>
#include <QTextDocument>

#include <map>
#include <memory>
#include <vector>

/// Virtual time for the clock and the one-shot timers: nothing happens until advance().
class Timeline {
public:
    explicit Timeline(QDateTime start = QDateTime(QDate(2024, 3, 7), QTime(9, 5)))
        : start_(std::move(start)) {}

    qint64 nowMs() const { return nowMs_; }
    QDateTime now() const { return start_.addMSecs(nowMs_); }
    void setNow(const QDateTime &when) {
        start_ = when;
        nowMs_ = 0;
    }

    /// Moves time forward, firing every timer that falls due on the way, in order.
    void advance(qint64 ms);

    class Timer;
    std::unique_ptr<OneShotTimer> makeTimer();

private:
    QDateTime start_;
    qint64 nowMs_ = 0;
    std::vector<Timer *> timers_;
};

class Timeline::Timer final : public OneShotTimer {
public:
    Timer(Timeline &timeline)
        : timeline_(timeline) {
        timeline_.timers_.push_back(this);
    }
    ~Timer() override { std::erase(timeline_.timers_, this); }

    void start(std::chrono::milliseconds interval, std::function<void()> action) override {
        dueAt_ = timeline_.nowMs_ + interval.count();
        action_ = std::move(action);
    }
    void stop() override {
        dueAt_ = -1;
        action_ = nullptr;
    }
    bool isActive() const override { return dueAt_ >= 0; }
    qint64 dueAt() const { return dueAt_; }
    void fire() {
        auto action = std::move(action_);
        stop();
        action();
    }

private:
    Timeline &timeline_;
    qint64 dueAt_ = -1;
    std::function<void()> action_;
};

inline std::unique_ptr<OneShotTimer> Timeline::makeTimer() {
    return std::make_unique<Timer>(*this);
}

inline void Timeline::advance(qint64 ms) {
    const qint64 target = nowMs_ + ms;
    for (;;) {
        Timer *next = nullptr;
        for (Timer *t : timers_)
            if (t->isActive() && t->dueAt() <= target && (!next || t->dueAt() < next->dueAt()))
                next = t;
        if (!next)
            break;
        nowMs_ = next->dueAt();
        next->fire();
    }
    nowMs_ = target;
}

class FakeClock final : public Clock {
public:
    explicit FakeClock(const Timeline &timeline)
        : timeline_(timeline) {}
    QDateTime now() const override { return timeline_.now(); }

private:
    const Timeline &timeline_;
};

/// An in-memory store that records every write with its virtual time.
class FakeStore final : public DefaultsStore {
public:
    struct Write {
        QString key;
        QVariant value;
        qint64 atMs;
    };

    explicit FakeStore(const Timeline &timeline)
        : timeline_(timeline) {}

    std::optional<QString> string(const QString &key) const override {
        const auto it = strings.find(key);
        return it == strings.end() ? std::nullopt : std::optional(it->second);
    }
    std::optional<float> floatValue(const QString &key) const override {
        const auto it = floats.find(key);
        return it == floats.end() ? std::nullopt : std::optional(it->second);
    }
    void setString(const QString &key, const QString &value) override {
        writes.push_back({key, value, timeline_.nowMs()});
        if (failure.isEmpty())
            strings[key] = value;
        report();
    }
    void setFloat(const QString &key, float value) override {
        writes.push_back({key, value, timeline_.nowMs()});
        if (failure.isEmpty())
            floats[key] = value;
        report();
    }
    void flush() override { ++flushes; }

    std::vector<Write> writesOf(const QString &key) const {
        std::vector<Write> result;
        for (const Write &w : writes)
            if (w.key == key)
                result.push_back(w);
        return result;
    }

    std::map<QString, QString> strings;
    std::map<QString, float> floats;
    std::vector<Write> writes;
    QString failure; // when set, every write fails with this reason
    int flushes = 0;

private:
    void report() {
        if (failure.isEmpty())
            Q_EMIT writeSucceeded();
        else
            Q_EMIT writeFailed(failure);
    }
    const Timeline &timeline_;
};

/// Records what the model asked to present and answers as told.
class FakePresentations final : public Presentations {
public:
    void showSavePanel(const SavePanel &panel, std::function<void(const QString &)> done) override {
        panels.push_back(panel);
        pendingSave = std::move(done);
    }
    void showWarning(const QString &message, const QString &informativeText) override {
        warnings.push_back({message, informativeText});
    }
    void print(QTextDocument &document, const QMarginsF &margins) override {
        printedText.push_back(document.toRawText());
        printedFont = document.defaultFont();
        printedWidth = document.textWidth();
        printMargins = margins;
    }

    /// Closes the open save panel as the user would: with a path, or empty for Cancel.
    void answerSavePanel(const QString &path) {
        auto done = std::move(pendingSave);
        pendingSave = nullptr;
        done(path);
    }

    std::vector<SavePanel> panels;
    std::function<void(const QString &)> pendingSave;
    std::vector<std::pair<QString, QString>> warnings;
    std::vector<QString> printedText;
    QFont printedFont;
    qreal printedWidth = 0;
    QMarginsF printMargins;
};

/// A model on fake services, as the tests need it.
struct ModelFixture {
    Timeline timeline;
    FakeClock clock{timeline};
    FakeStore store{timeline};
    FakePresentations presentations;

    std::unique_ptr<class NoteModel> make(double systemFontSize = 13.0);
};
