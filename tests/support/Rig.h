// SPDX-License-Identifier: MIT
#pragma once

#include "Fakes.h"
#include "FileDefaultsStore.h"
#include "Notemodel.h"

#include <QDir>
#include <QSettings>
#include <QSignalSpy>
#include <QStorageInfo>

/// The model on the real store in `home`, with virtual time for the autosave.
struct Rig {
    explicit Rig(const QString &home, NoteFile::Options options = {.privateFolder = true},
                 const QString &noteName = QStringLiteral("mirt.note.autosave.txt"))
        : dataFolder(QDir(home).filePath(QStringLiteral("data")))
        , store(QDir(dataFolder).filePath(noteName), options,
                std::make_unique<QSettings>(QDir(home).filePath(QStringLiteral("prefs.ini")),
                                            QSettings::IniFormat))
        , model(fakes.make(13.0, &store))
        , failed(model.get(), &NoteModel::saveFailed)
        , recovered(model.get(), &NoteModel::saveRecovered)
        , noticed(model.get(), &NoteModel::noticed)
        , kept(model.get(), &NoteModel::copyKept) {}

    /// Lets the autosave fire and the slices of a large note run; does not wait for the disk.
    void autosave() {
        fakes.timeline.advance(NoteModel::autosaveDelayMs);
        for (int turn = 0; turn < 400; ++turn)
            QCoreApplication::processEvents();
    }
    /// Saves and waits until the write is done and reported.
    void save() {
        autosave();
        store.flush();
        QCoreApplication::processEvents();
    }
    QString notePath() const { return store.notePath(); }

    QString dataFolder;
    ModelFixture fakes;
    FileDefaultsStore store;
    std::unique_ptr<NoteModel> model;
    QSignalSpy failed;
    QSignalSpy recovered;
    QSignalSpy noticed;
    QSignalSpy kept;
};

/// Fills the disk of `folder` until no more than `leave` bytes are free.
inline void fillDisk(const QString &folder, qint64 leave) {
    QFile filler(QDir(folder).filePath(QStringLiteral("filler")));
    if (!filler.open(QIODevice::Append))
        return;
    const QByteArray block(4096, 'f');
    for (;;) {
        const qint64 free = QStorageInfo(folder).bytesAvailable();
        if (free <= leave ||
            filler.write(block.constData(), std::min<qint64>(block.size(), free - leave)) <= 0)
            break;
        filler.flush();
    }
}
