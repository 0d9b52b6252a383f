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
    explicit Rig(const QString &home)
        : dataFolder(QDir(home).filePath(QStringLiteral("data")))
        , store(dataFolder,
                std::make_unique<QSettings>(QDir(home).filePath(QStringLiteral("prefs.ini")),
                                            QSettings::IniFormat))
        , model({store, clock, timeline.makeTimer(), presentations, 13.0})
        , failed(&model, &NoteModel::saveFailed)
        , recovered(&model, &NoteModel::saveRecovered) {}

    /// Lets the autosave fire and the slices of a large note run; does not wait for the disk.
    void autosave() {
        timeline.advance(NoteModel::autosaveDelayMs);
        for (int turn = 0; turn < 400; ++turn)
            QCoreApplication::processEvents();
    }
    QString notePath() const { return store.pathForKey(NoteModel::saveKey); }

    QString dataFolder;
    Timeline timeline;
    FakeClock clock{timeline};
    FakePresentations presentations;
    FileDefaultsStore store;
    NoteModel model;
    QSignalSpy failed;
    QSignalSpy recovered;
};

/// Fills the disk of `folder` until no more than `leave` bytes are free.
inline void fillDisk(const QString &folder, qint64 leave) {
    QFile filler(QDir(folder).filePath(QStringLiteral("filler")));
    filler.open(QIODevice::Append);
    const QByteArray block(4096, 'f');
    for (;;) {
        const qint64 free = QStorageInfo(folder).bytesAvailable();
        if (free <= leave ||
            filler.write(block.constData(), std::min<qint64>(block.size(), free - leave)) <= 0)
            break;
        filler.flush();
    }
}
