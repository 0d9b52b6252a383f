// SPDX-License-Identifier: MIT
#pragma once

#include <QMarginsF>
#include <QString>

#include <functional>

class QTextDocument;

/// What the model asks of the user interface: panels and alerts it never opens itself.
class Presentations {
public:
    virtual ~Presentations() = default;

    struct SavePanel {
        QString title;
        QString suggestedName;
        QString mimeType;
    };
    /// Shows a save panel without blocking and returns. `done` runs later on the main thread
    /// with the chosen path, or an empty string when the user cancelled.
    virtual void showSavePanel(const SavePanel &panel,
                               std::function<void(const QString &path)> done) = 0;

    /// A modal warning with one OK button.
    virtual void showWarning(const QString &message, const QString &informativeText) = 0;

    /// Runs the print panel, then prints `document` (laid out at its text width) fitted to the
    /// printable width of the page and paged down its height, with a progress panel. Modal.
    /// `margins` (points) go into the application's shared print settings and stay there.
    virtual void print(QTextDocument &document, const QMarginsF &margins) = 0;
};
