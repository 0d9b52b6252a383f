// SPDX-License-Identifier: MIT
#pragma once

#include <QString>

#include <functional>

/// The dialogs the model asks the user interface for; it never opens a window itself.
class Dialogs {
public:
    virtual ~Dialogs() = default;

    struct SavePanel {
        QString title;
        QString suggestedName;
        QString mimeType;
    };
    /// Shows a save panel without blocking and returns. `done` runs later on the main thread
    /// with the chosen path, or an empty string when the user cancelled.
    virtual void showSavePanel(const SavePanel &panel,
                               std::function<void(const QString &path)> done) = 0;

    /// Shows a folder chooser without blocking; `done` gets the folder, or an empty string.
    virtual void chooseFolder(const QString &title,
                              std::function<void(const QString &folder)> done) = 0;

    /// A modal warning with one OK button.
    virtual void showWarning(const QString &message, const QString &informativeText) = 0;

    /// Runs the print panel and prints `text` in the fixed page layout at `fontSize` points.
    /// Modal.
    virtual void print(const QString &text, double fontSize) = 0;

    /// Shows `text` at `fontSize` points as print() would put it on paper. Modal.
    virtual void printPreview(const QString &text, double fontSize) = 0;
};
