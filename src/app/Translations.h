// SPDX-License-Identifier: MIT
#pragma once

#include <QLibraryInfo>
#include <QLocale>

class QTranslator;

/// Installs the app's texts in `language` and the toolkit's, from `toolkitFolder`, both or
/// neither: without the toolkit's, its context menus and dialogs would stay English beside the
/// app's own words, so the whole app stays English instead. True when both are installed.
bool installTranslations(
    const QLocale &language, QTranslator &app, QTranslator &toolkit,
    const QString &toolkitFolder = QLibraryInfo::path(QLibraryInfo::TranslationsPath));
