// SPDX-License-Identifier: MIT
#include "StartAtLogin.h"

#include "AtomicFile.h"
#include "SingleInstance.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QStandardPaths>

namespace {

// A path in an Exec line: quoted, with the characters the quotes leave special escaped, and then
// escaped once more as a value of the file (and a per cent sign is no field code).
QString execQuoted(const QString &path) {
    QString quoted;
    for (const QChar c : path) {
        if (c == u'"' || c == u'`' || c == u'$' || c == u'\\')
            quoted += u'\\';
        quoted += c;
    }
    QString value = u'"' + quoted + u'"';
    return value.replace(u'\\', QStringLiteral("\\\\")).replace(u'%', QStringLiteral("%%"));
}

} // namespace

QString StartAtLogin::entryPath() {
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
           QStringLiteral("/autostart/") + SingleInstance::appId + QStringLiteral(".desktop");
}

bool StartAtLogin::isOn() {
    QFile entry(entryPath());
    if (!entry.open(QIODevice::ReadOnly))
        return false;
    // A desktop's list of startup programs switches an entry off with these.
    const QList<QByteArray> lines = entry.readAll().split('\n');
    return !lines.contains("Hidden=true") && !lines.contains("X-GNOME-Autostart-enabled=false");
}

std::optional<QString> StartAtLogin::setOn(bool on) {
    const QString path = entryPath();
    if (!on) {
        if (QFile::exists(path) && !QFile::remove(path))
            return QCoreApplication::translate("StartAtLogin", "%1 cannot be removed")
                .arg(QDir::toNativeSeparators(path));
        return std::nullopt;
    }
    if (!QDir().mkpath(QFileInfo(path).absolutePath()))
        return QCoreApplication::translate("StartAtLogin", "%1 cannot be made")
            .arg(QDir::toNativeSeparators(QFileInfo(path).absolutePath()));
    const QString entry =
        QStringLiteral("[Desktop Entry]\n"
                       "Type=Application\n"
                       "Name=Mirt\n"
                       "Comment=%1\n"
                       "Exec=%2 --hidden\n"
                       "Icon=%3\n"
                       "Terminal=false\n"
                       "X-GNOME-Autostart-enabled=true\n")
            .arg(QCoreApplication::translate("StartAtLogin",
                                             "Keeps the note a shortcut away, without a window"),
                 execQuoted(QCoreApplication::applicationFilePath()), SingleInstance::appId);
    return AtomicFile::write(path, entry.toUtf8());
}
