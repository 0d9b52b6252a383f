// SPDX-License-Identifier: MIT
#pragma once

#include <QObject>

#include <functional>

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
