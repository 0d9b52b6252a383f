// SPDX-License-Identifier: MIT
#include "NoteLocation.h"

#include "FileDefaultsStore.h"

#include <QCoreApplication>
#include <QDir>
#include <QSettings>
#include <QStandardPaths>

namespace {
const QString noteFileName = QStringLiteral("mirt.note.autosave.txt");
} // namespace

void NoteLocation::nameTheApp() {
    QCoreApplication::setOrganizationName(QStringLiteral("Mirt"));
    QCoreApplication::setApplicationName(QStringLiteral("Mirt"));
    QCoreApplication::setApplicationVersion(QStringLiteral(MIRT_VERSION));
}

NoteLocation NoteLocation::of(const QString &notePath) {
    if (!notePath.isEmpty())
        return {notePath, {.createFolder = true, .privateFolder = false}, QString(), false};
    const QString remembered = QSettings().value(FileDefaultsStore::noteFolderKey).toString();
    if (!remembered.isEmpty()) {
        NoteLocation location{QDir(remembered).filePath(noteFileName),
                              {.createFolder = false, .privateFolder = false},
                              QString()};
        // An unmounted drive: say so, and never start an empty note somewhere else instead.
        if (!QDir(remembered).exists())
            location.problem =
                QObject::tr("The note's folder %1 cannot be found; is its drive unmounted? "
                            "What you type stays here and is saved there once it is back.")
                    .arg(QDir::toNativeSeparators(remembered));
        return location;
    }
    const QString data = QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
    return {QDir(data).filePath(noteFileName),
            {.createFolder = true, .privateFolder = true},
            QString()};
}
