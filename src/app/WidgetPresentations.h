// SPDX-License-Identifier: MIT
#pragma once

#include "Presentations.h"

#include <QPrinter>

#include <functional>

class QWidget;

/// The model's panels and alerts, shown with the toolkit's own dialogs.
class WidgetPresentations final : public Presentations {
public:
    /// `window` gives the window that panels belong to at the moment they are shown, if any.
    explicit WidgetPresentations(std::function<QWidget *()> window);

    void showSavePanel(const SavePanel &panel,
                       std::function<void(const QString &path)> done) override;
    void showWarning(const QString &message, const QString &informativeText) override;
    void print(QTextDocument &document, const QMarginsF &margins) override;

    /// The application's shared print settings; they keep their values for the whole run.
    QPrinter &printer() { return printer_; }

    /// Shows the print panel; true when the user chose to print. Tests answer it themselves.
    std::function<bool(QPrinter &printer)> askToPrint;

private:
    std::function<QWidget *()> window_;
    QPrinter printer_;
};

/// Prints `document`, laid out at its text width, scaled to the printable width of the page and
/// paged down its height. `onPage` hears of each page as it is done (0-based) and may return
/// false to stop.
void printDocument(QTextDocument &document, QPrinter &printer,
                   const std::function<bool(int page, int pageCount)> &onPage);
