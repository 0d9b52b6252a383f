// SPDX-License-Identifier: MIT
#include "NotePrinter.h"

#include "NoteFont.h"

#include <QAbstractTextDocumentLayout>
#include <QImage>
#include <QPainter>
#include <QPrintDialog>
#include <QPrintPreviewDialog>
#include <QProgressDialog>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextLayout>

NotePrinter::NotePrinter() {
    askToPrint = [](QPrinter &printer, QWidget *window) {
        QPrintDialog dialog(&printer, window);
        return dialog.exec() == QDialog::Accepted;
    };
    showPreview = [](QPrintPreviewDialog &dialog) {
        dialog.exec();
    };
}

void NotePrinter::print(const QString &text, double fontSize, QWidget *window) {
    // The margins stay in the shared settings for the rest of the run.
    printer_.setPageMargins(margins, QPageLayout::Point);
    if (!askToPrint(printer_, window))
        return;
    QImage pointDevice;
    QTextDocument document;
    layOut(document, pointDevice, text, fontSize);

    QProgressDialog progress(QObject::tr("Printing…"), QObject::tr("Cancel"), 0, 1, window);
    progress.setWindowModality(Qt::ApplicationModal);
    progress.setMinimumDuration(0);
    paginate(document, printer_, [&progress](int page, int pageCount) {
        progress.setMaximum(pageCount);
        progress.setValue(page + 1);
        return !progress.wasCanceled();
    });
}

void NotePrinter::preview(const QString &text, double fontSize, QWidget *window) {
    printer_.setPageMargins(margins, QPageLayout::Point);
    QPrintPreviewDialog dialog(&printer_, window);
    // Drawn by the printing code itself, onto the preview's pages or onto paper when the user
    // prints from the preview: what is previewed is what prints.
    QObject::connect(&dialog, &QPrintPreviewDialog::paintRequested, &dialog,
                     [&text, fontSize](QPrinter *printer) {
                         QImage pointDevice;
                         QTextDocument document;
                         layOut(document, pointDevice, text, fontSize);
                         paginate(document, *printer, [](int, int) { return true; });
                     });
    showPreview(dialog);
}

void NotePrinter::layOut(QTextDocument &document, QImage &pointDevice, const QString &text,
                         double fontSize) {
    // Laid out on a 72 dpi device, one layout unit is one point: the page is 540 points wide
    // whatever the screen.
    pointDevice = QImage(1, 1, QImage::Format_Mono);
    pointDevice.setDotsPerMeterX(qRound(72 / 0.0254));
    pointDevice.setDotsPerMeterY(qRound(72 / 0.0254));
    document.documentLayout()->setPaintDevice(&pointDevice);
    document.setDefaultFont(noteFont(fontSize));
    document.setDocumentMargin(0);
    // A word wider than the page breaks anywhere instead of running off the paper.
    QTextOption wrapping = document.defaultTextOption();
    wrapping.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    document.setDefaultTextOption(wrapping);
    document.setPlainText(text);
    document.setTextWidth(layoutWidth);
}

void NotePrinter::paginate(QTextDocument &document, QPrinter &printer,
                           const std::function<bool(int, int)> &onPage) {
    const QRectF printable = printer.pageLayout().paintRectPixels(printer.resolution());
    const qreal scale = printable.width() / layoutWidth;
    const qreal pageHeight = printable.height() / scale;
    document.setPageSize(QSizeF(layoutWidth, pageHeight));
    const int pageCount = document.pageCount();

    // Line by line rather than block by block: a paragraph that crosses a page break must
    // put each of its lines on exactly one page, not draw them clipped on two.
    QPainter painter(&printer);
    painter.scale(scale, scale);
    painter.setPen(Qt::black);
    const QAbstractTextDocumentLayout *layout = document.documentLayout();
    int page = 0;
    for (QTextBlock block = document.begin(); block.isValid(); block = block.next()) {
        const QPointF origin = layout->blockBoundingRect(block).topLeft();
        const QTextLayout *lines = block.layout();
        for (int i = 0; i < lines->lineCount(); ++i) {
            const QTextLine line = lines->lineAt(i);
            const qreal top = origin.y() + line.y();
            // The layout starts a page exactly at its boundary; allow for rounding.
            const int linePage = std::min(int((top + 0.01) / pageHeight), pageCount - 1);
            for (; page < linePage; ++page) {
                if (!onPage(page, pageCount)) {
                    printer.abort();
                    return;
                }
                printer.newPage();
            }
            line.draw(&painter, QPointF(origin.x(), origin.y() - page * pageHeight));
        }
    }
    onPage(pageCount - 1, pageCount);
}
