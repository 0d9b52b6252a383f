// SPDX-License-Identifier: MIT
#include "NotePrinter.h"

#include "NoteFont.h"
#include "NotePages.h"
#include "NotePreview.h"

#include <QPainter>
#include <QPrintDialog>
#include <QProgressDialog>

NotePrinter::NotePrinter() {
    askToPrint = [](QPrinter &printer, QWidget *window) {
        QPrintDialog dialog(&printer, window);
        return dialog.exec() == QDialog::Accepted;
    };
    showPreview = [](QDialog &preview) {
        preview.exec();
    };
}

std::pair<std::unique_ptr<NotePages>, qreal> NotePrinter::pagesFor(const QString &text,
                                                                   double fontSize) {
    // The margins stay in the shared settings for the rest of the run.
    printer_.setPageMargins(margins, QPageLayout::Point);
    const QRectF printable = printer_.pageLayout().paintRect(QPageLayout::Point);
    const qreal scale = printable.width() / layoutWidth;
    return {std::make_unique<NotePages>(text, noteFont(fontSize), layoutWidth,
                                        printable.height() / scale),
            scale};
}

void NotePrinter::print(const QString &text, double fontSize, QWidget *window) {
    printer_.setPageMargins(margins, QPageLayout::Point);
    if (!askToPrint(printer_, window))
        return;
    // The printer's device units, not points: the page may have changed in the panel.
    const std::unique_ptr<NotePages> pages = pagesFor(text, fontSize).first;
    const qreal toDevice =
        printer_.pageLayout().paintRectPixels(printer_.resolution()).width() / layoutWidth;
    QProgressDialog progress(QObject::tr("Printing…"), QObject::tr("Cancel"), 0, 1000, window);
    progress.setWindowModality(Qt::ApplicationModal);
    progress.setMinimumDuration(0);
    QPainter painter(&printer_);
    painter.scale(toDevice, toDevice);
    painter.setPen(Qt::black);
    for (int page = 0; pages->reach(page); ++page) {
        if (progress.wasCanceled() || (page > 0 && !printer_.newPage())) {
            printer_.abort();
            return;
        }
        pages->draw(painter, page);
        progress.setValue(int(pages->progress() * 1000));
    }
    progress.setValue(1000);
}

void NotePrinter::preview(const QString &text, double fontSize, QWidget *window) {
    auto [pages, scale] = pagesFor(text, fontSize);
    const QPageLayout page = printer_.pageLayout();
    NotePreview dialog(
        std::move(pages), page.fullRect(QPageLayout::Point).size(),
        page.paintRect(QPageLayout::Point), scale,
        [this, text, fontSize, window] { print(text, fontSize, window); }, window);
    showPreview(dialog);
}
