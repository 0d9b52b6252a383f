// SPDX-License-Identifier: MIT
#include "Translations.h"

#include <QCoreApplication>

bool Translations::install(const QLocale &language, const QString &toolkitFolder) {
    const QString ours = QStringLiteral(":/i18n");
    if (!app_.load(language, QStringLiteral("mirt"), QStringLiteral("_"), ours) ||
        !toolkit_.load(language, QStringLiteral("qtbase"), QStringLiteral("_"), toolkitFolder))
        return false;
    QCoreApplication::installTranslator(&app_);
    // Asked after the toolkit's own catalogue, which answers first wherever it can.
    if (toolkitGaps_.load(language, QStringLiteral("toolkit"), QStringLiteral("_"), ours))
        QCoreApplication::installTranslator(&toolkitGaps_);
    QCoreApplication::installTranslator(&toolkit_);
    return true;
}
