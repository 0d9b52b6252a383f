// SPDX-License-Identifier: MIT
#pragma once

#include "Dialogs.h"
#include "NotePrinter.h"

#include <functional>

class QWidget;

/// The model's dialogs, shown with the toolkit's own.
class WidgetDialogs final : public Dialogs {
public:
    /// `window` gives the window that dialogs belong to at the moment they are shown, if any.
    explicit WidgetDialogs(std::function<QWidget *()> window);

    void showSavePanel(const SavePanel &panel,
                       std::function<void(const QString &path)> done) override;
    void chooseFolder(const QString &title,
                      std::function<void(const QString &folder)> done) override;
    void showWarning(const QString &message, const QString &informativeText) override;
    void print(const QString &text, double fontSize) override;
    void printPreview(const QString &text, double fontSize) override;

    static inline const QString exportFolderKey = QStringLiteral("mirt.export.folder");
    /// Where the save panel opens: the folder of the last export, else the Documents folder,
    /// else the home folder.
    static QString exportFolder();

private:
    std::function<QWidget *()> window_;
    NotePrinter printer_;
};
