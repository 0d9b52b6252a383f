// SPDX-License-Identifier: MIT
#include "WidgetDialogs.h"

#include <QDir>
#include <QFileDialog>
#include <QMessageBox>
#include <QSettings>
#include <QStandardPaths>

WidgetDialogs::WidgetDialogs(std::function<QWidget *()> window)
    : window_(std::move(window)) {}

QString WidgetDialogs::exportFolder() {
    const QString last = QSettings().value(exportFolderKey).toString();
    if (!last.isEmpty() && QFileInfo(last).isDir()) // not an unmounted drive's
        return last;
    const QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    return QDir(documents).exists() ? documents : QDir::homePath();
}

void WidgetDialogs::showSavePanel(const SavePanel &panel,
                                  std::function<void(const QString &)> done) {
    auto *dialog = new QFileDialog(window_(), panel.title);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->setAcceptMode(QFileDialog::AcceptSave);
    dialog->setFileMode(QFileDialog::AnyFile);
    dialog->setMimeTypeFilters({panel.mimeType});
    dialog->setDefaultSuffix(QStringLiteral("txt"));
    dialog->setDirectory(exportFolder());
    dialog->selectFile(panel.suggestedName);
    // Not modal: the note stays editable while the panel is open.
    dialog->setWindowModality(Qt::NonModal);
    QObject::connect(
        dialog, &QFileDialog::finished, dialog, [dialog, done = std::move(done)](int result) {
            const QStringList files = dialog->selectedFiles();
            const bool chosen = result == QDialog::Accepted && !files.isEmpty();
            if (chosen) // the next export starts there
                QSettings().setValue(exportFolderKey, QFileInfo(files.first()).absolutePath());
            done(chosen ? files.first() : QString());
        });
    dialog->show();
}

void WidgetDialogs::chooseFolder(const QString &title,
                                 std::function<void(const QString &folder)> done) {
    auto *dialog = new QFileDialog(window_(), title, QDir::homePath());
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->setFileMode(QFileDialog::Directory);
    dialog->setOption(QFileDialog::ShowDirsOnly);
    dialog->setWindowModality(Qt::WindowModal);
    QObject::connect(
        dialog, &QFileDialog::finished, dialog, [dialog, done = std::move(done)](int result) {
            const QStringList folders = dialog->selectedFiles();
            done(result == QDialog::Accepted && !folders.isEmpty() ? folders.first() : QString());
        });
    dialog->show();
}

void WidgetDialogs::showWarning(const QString &message, const QString &informativeText) {
    QMessageBox box(QMessageBox::Warning, QString(), message, QMessageBox::Ok, window_());
    box.setInformativeText(informativeText);
    box.exec();
}

void WidgetDialogs::print(const QString &text, double fontSize) {
    printer_.print(text, fontSize, window_());
}

void WidgetDialogs::printPreview(const QString &text, double fontSize) {
    printer_.preview(text, fontSize, window_());
}
