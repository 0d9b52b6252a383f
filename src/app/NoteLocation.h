// SPDX-License-Identifier: MIT
#pragma once

#include "NoteFile.h"

#include <QString>

/// Where a run keeps the note, and what the user should hear of it at once: the file named with
/// `--note` for one run, else the folder the note was moved to, else the user's data folder.
struct NoteLocation {
    QString path;
    NoteFile::Options options;
    QString problem;
    bool usual = true; // not a file named for one run, whose moves are not remembered

    /// The note's place for `notePath` from `--note`, or the remembered place when it is empty.
    static NoteLocation of(const QString &notePath);
    /// Names the app: the names decide where the platform keeps the note and the preferences.
    static void nameTheApp();
};
