// SPDX-License-Identifier: MIT
#include "Translations.h"

#include <QCoreApplication>
#include <QTranslator>

bool installTranslations(const QLocale &language, QTranslator &app, QTranslator &toolkit,
                         const QString &toolkitFolder) {
    if (!app.load(language, QStringLiteral("mirt"), QStringLiteral("_"),
                  QStringLiteral(":/i18n")) ||
        !toolkit.load(language, QStringLiteral("qtbase"), QStringLiteral("_"), toolkitFolder))
        return false;
    QCoreApplication::installTranslator(&app);
    QCoreApplication::installTranslator(&toolkit);
    return true;
}
