// SPDX-License-Identifier: MIT
#pragma once

#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

/// The texts the app shows, in the user's language: its own, and the toolkit's from the
/// toolkit's catalogue, with the toolkit texts that catalogue lacks from the app's own
/// (translations/toolkit_xx.ts). Both or neither: without the toolkit's, its context menus and
/// dialogs would stay English beside the app's own words, so the whole app stays English
/// instead.
class Translations {
public:
    /// Installs them for `language`, the toolkit's catalogue from `toolkitFolder`. True when
    /// installed.
    bool install(const QLocale &language,
                 const QString &toolkitFolder = QLibraryInfo::path(QLibraryInfo::TranslationsPath));

private:
    QTranslator app_;
    QTranslator toolkitGaps_;
    QTranslator toolkit_;
};
