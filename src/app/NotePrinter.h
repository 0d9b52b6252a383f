// SPDX-License-Identifier: MIT
#pragma once

#include <QMarginsF>
#include <QPrinter>

#include <functional>
#include <memory>

class NotePages;
class QDialog;
class QWidget;

/// The note on paper: one home for the page width, the margins, the font, the wrapping and the
/// pagination. The note is laid out 540 points wide in the monospaced font, fitted to the
/// printable width and paged down its height, as the editor shows it: every character it
/// stands in for as its symbol. The printer and its settings last as long as the printer
/// object, one for the app's run.
class NotePrinter {
public:
    static constexpr qreal layoutWidth = 540.0;
    static inline const QMarginsF margins{54.0, 36.0, 54.0, 36.0};

    NotePrinter();

    /// Runs the print panel, then prints `text` at `fontSize` points with a progress panel.
    void print(const QString &text, double fontSize, QWidget *window);

    /// Shows `text` at `fontSize` points page by page as print() puts it on paper, in a window
    /// from which the user can print it. Pages are drawn as they come into view.
    void preview(const QString &text, double fontSize, QWidget *window);

    /// Shows the print panel; true when the user chose to print. Tests answer it themselves.
    std::function<bool(QPrinter &printer, QWidget *window)> askToPrint;
    /// Runs the preview window to its end. Tests and the benchmark look at it themselves.
    std::function<void(QDialog &preview)> showPreview;

private:
    /// `text` laid out for the printer's pages, and the scale from layout to printable points.
    std::pair<std::unique_ptr<NotePages>, qreal> pagesFor(const QString &text, double fontSize);

    QPrinter printer_;
};
