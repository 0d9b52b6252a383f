// SPDX-License-Identifier: MIT
#pragma once

#include <QObject>

#include <functional>
#include <optional>

class NoteModel;

/// Turns the model's announcements into one refresh per turn of the event loop. The model
/// announces before it stores, so the refresh runs later and reads the values as they are then.
class ModelObserver : public QObject {
    Q_OBJECT
public:
    ModelObserver(NoteModel &model, std::function<void()> refresh, QObject *parent);

    /// Runs a scheduled refresh now rather than later.
    void flush();

private:
    void schedule();

    std::function<void()> refresh_;
    bool scheduled_ = false;
};

/// Remembers the value read at the previous refresh and tells whether a new read differs.
/// It starts from the value current when the view appears, so a value that was set before
/// then is no change.
template<typename T> class Watcher {
public:
    void start(const T &current) { last_ = current; }
    bool isStarted() const { return last_.has_value(); }
    /// True when `current` differs from the previous read; it becomes the previous read.
    bool changed(const T &current) {
        if (!last_ || *last_ == current)
            return false;
        last_ = current;
        return true;
    }

private:
    std::optional<T> last_;
};
