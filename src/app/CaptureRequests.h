// SPDX-License-Identifier: MIT
#pragma once

#include "SingleInstance.h"

#include <QObject>

class MainWindow;
class NoteModel;

/// What the running app does when it is asked from outside its window: through SingleInstance
/// by `mirt --toggle`, `--show` and `--append`, by a launcher or by a second launch.
class CaptureRequests : public QObject {
    Q_OBJECT
public:
    CaptureRequests(SingleInstance &instance, MainWindow &window, NoteModel &model,
                    QObject *parent = nullptr);
    ~CaptureRequests() override;

    /// Brings the window forward with the keyboard in the note, the caret where it was.
    void show(const QString &activationToken);
    /// Hides the window when it has the keyboard, and shows it otherwise.
    void toggle(const QString &activationToken);
    /// Adds lines at the end of the note and returns once they are on disk: nothing, or why not.
    std::optional<QString> append(const QString &lines);

private:
    std::optional<QString> answer(const SingleInstance::Request &request);

    SingleInstance &instance_;
    MainWindow &window_;
    NoteModel &model_;
};
