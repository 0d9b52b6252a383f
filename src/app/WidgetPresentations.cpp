// SPDX-License-Identifier: MIT
#include "WidgetPresentations.h"

#include <QAbstractTextDocumentLayout>
#include <QFileDialog>
#include <QMessageBox>
#include <QPainter>
#include <QPrintDialog>
#include <QProgressDialog>
#include <QStandardPaths>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextLayout>

WidgetPresentations::WidgetPresentations(std::function<QWidget *()> window)
    : window_(std::move(window)) {
    askToPrint = [this](QPrinter &printer) {
        QPrintDialog dialog(&printer, window_());
        return dialog.exec() == QDialog::Accepted;
    };
}

void WidgetPresentations::showSavePanel(const SavePanel &panel,
                                        std::function<void(const QString &)> done) {
    auto *dialog = new QFileDialog(window_(), panel.title);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->setAcceptMode(QFileDialog::AcceptSave);
    dialog->setFileMode(QFileDialog::AnyFile);
    dialog->setMimeTypeFilters({panel.mimeType});
    dialog->setDefaultSuffix(QStringLiteral("txt"));
    dialog->setDirectory(QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation));
    dialog->selectFile(panel.suggestedName);
    // Not modal: the note stays editable while the panel is open.
    dialog->setWindowModality(Qt::NonModal);
    QObject::connect(
        dialog, &QFileDialog::finished, dialog, [dialog, done = std::move(done)](int result) {
            const QStringList files = dialog->selectedFiles();
            done(result == QDialog::Accepted && !files.isEmpty() ? files.first() : QString());
        });
    dialog->show();
}

void WidgetPresentations::showWarning(const QString &message, const QString &informativeText) {
    QMessageBox box(QMessageBox::Warning, QString(), message, QMessageBox::Ok, window_());
    box.setInformativeText(informativeText);
    box.exec();
}

void WidgetPresentations::print(QTextDocument &document, const QMarginsF &margins) {
    printer_.setPageMargins(margins, QPageLayout::Point);
    if (!askToPrint(printer_))
        return;
    QProgressDialog progress(QObject::tr("Printing…"), QObject::tr("Cancel"), 0, 1, window_());
    progress.setWindowModality(Qt::ApplicationModal);
    progress.setMinimumDuration(0);
    printDocument(document, printer_, [&progress](int page, int pageCount) {
        progress.setMaximum(pageCount);
        progress.setValue(page + 1);
        return !progress.wasCanceled();
    });
}

void printDocument(QTextDocument &document, QPrinter &printer,
                   const std::function<bool(int, int)> &onPage) {
    const QRectF printable = printer.pageLayout().paintRectPixels(printer.resolution());
    const qreal width = document.textWidth();
    const qreal scale = printable.width() / width;
    const qreal pageHeight = printable.height() / scale;
    document.setPageSize(QSizeF(width, pageHeight));
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
