// SPDX-License-Identifier: MIT
#pragma once

#include "Clock.h"
#include "DefaultsStore.h"
#include "Dialogs.h"
#include "OneShotTimer.h"

#include <QVariant>

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
    explicit Timer(Timeline &timeline)
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

    std::optional<QString> string(const QString &key) const override;
    std::optional<float> floatValue(const QString &key) const override;
    void setString(const QString &key, const QString &value) override;
    void setUtf8String(const QString &key, const QByteArray &utf8) override;
    void setFloat(const QString &key, float value) override;
    void flush() override { ++flushes; }
    void acceptOutside(const QString &, quint64 version) override { accepted.push_back(version); }
    std::optional<QString> commonVersion(const QString &, const QString &,
                                         const QString &) override {
        return earlier;
    }
    std::pair<QString, std::optional<QString>> keepConflictCopy(const QString &key,
                                                                const QString &text) override;
    void setStringTakingCopy(const QString &key, const QString &value,
                             const QString &copy) override;
    std::optional<QString> moveTo(const QString &key, const QString &folder,
                                  const QString &text) override;
    void keepVersion(const QString &, NoteHistory::Kind kind, const QString &text) override {
        versions.push_back({kind, text});
    }

    std::vector<Write> writesOf(const QString &key) const;

    std::map<QString, QString> strings;
    std::map<QString, float> floats;
    std::vector<Write> writes;
    std::vector<quint64> accepted;
    std::map<QString, QString> copies; // conflict copies kept, by path
    std::optional<QString> earlier;    // the version an outside one was made from
    std::vector<std::pair<NoteHistory::Kind, QString>> versions; // earlier versions kept
    QString failure; // when set, every write fails with this reason
    int flushes = 0;

private:
    void report();
    const Timeline &timeline_;
};

/// Records what the model asked to present and answers as told.
class FakeDialogs final : public Dialogs {
public:
    void showSavePanel(const SavePanel &panel, std::function<void(const QString &)> done) override {
        panels.push_back(panel);
        pendingAnswer = std::move(done);
    }
    void chooseFolder(const QString &, std::function<void(const QString &)> done) override {
        pendingAnswer = std::move(done);
    }
    void showWarning(const QString &message, const QString &informativeText) override {
        warnings.push_back({message, informativeText});
    }
    void print(const QString &text, double fontSize) override {
        printed.push_back({text, fontSize});
    }
    void printPreview(const QString &text, double fontSize) override {
        previewed.push_back({text, fontSize});
    }

    /// Closes the open panel as the user would: with a path, or empty for Cancel.
    void answer(const QString &path) {
        auto done = std::move(pendingAnswer);
        pendingAnswer = nullptr;
        done(path);
    }

    std::vector<SavePanel> panels;
    std::function<void(const QString &)> pendingAnswer;
    std::vector<std::pair<QString, QString>> warnings;
    std::vector<std::pair<QString, double>> printed;
    std::vector<std::pair<QString, double>> previewed;
};

/// A model on fake services, as the tests need it.
struct ModelFixture {
    Timeline timeline;
    FakeClock clock{timeline};
    FakeStore store{timeline};
    FakeDialogs dialogs;

    /// A model on the fakes, or on `realStore` instead of the fake store.
    std::unique_ptr<class NoteModel> make(double systemFontSize = 13.0,
                                          DefaultsStore *realStore = nullptr);
};
