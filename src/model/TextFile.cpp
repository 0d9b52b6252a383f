// SPDX-License-Identifier: MIT
#include "TextFile.h"

#include "NoteEncoding.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>

TextFile TextFile::read(const QString &path, qint64 limit) {
    const QFileInfo info(path);
    const QString name = QDir::toNativeSeparators(info.fileName());
    if (info.isDir())
        return {QString(), QCoreApplication::translate(
                               "TextFile", "%1 is a folder; only a text file can be inserted.")
                               .arg(name)};
    const QString notText =
        QCoreApplication::translate("TextFile", "%1 is not UTF-8 text; nothing was inserted.")
            .arg(name);
    if (!info.isFile()) // a device or a pipe, which could keep the app waiting for good
        return {QString(), notText};
    if (info.size() > limit)
        return {QString(),
                QCoreApplication::translate(
                    "TextFile", "%1 is too large to insert (%2 MB); a text file of up to %3 MB "
                                "can be.")
                    .arg(name)
                    .arg(double(info.size()) / (1024 * 1024), 0, 'f', 1)
                    .arg(limit / (1024 * 1024))};
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {QString(), QCoreApplication::translate("TextFile", "%1 cannot be read: %2.")
                               .arg(name, file.errorString())};
    const QByteArray bytes = file.read(limit + 1);
    bool exact = false;
    QString text = noteFromUtf8(bytes, &exact);
    if (bytes.contains('\0') || !exact)
        return {QString(), notText};
    if (bytes.size() > limit) // it grew since
        return {QString(),
                QCoreApplication::translate("TextFile", "%1 is too large to insert.").arg(name)};
    return {std::move(text), QString()};
}
