// SPDX-License-Identifier: MIT
#pragma once

#include "NoteFile.h"

#include <QCoreApplication>
#include <QString>

#include <optional>

/// `mirt --append` adding lines to the note file itself, when no Mirt runs and this process
/// holds the note's claim. Bytes in, bytes out: a note that is no UTF-8 keeps its bytes.
///
/// The lines go in place, after the note's own bytes, which are never touched: only the new
/// bytes are written and synced, so a line reaches a 10 MB note as fast as a small one, and the
/// file keeps its name, links, owner and permissions. Another program writing at the same
/// moment keeps its words: the lines land after them (never over them), and are taken off and
/// added again when they landed wrong (a file replaced meanwhile, a line break that no longer
/// fits). A missing or empty note, and a text long enough that a sync engine could see it half
/// written, take NoteFile's whole, atomic write instead.
class NoteAppend {
    Q_DECLARE_TR_FUNCTIONS(NoteAppend)
public:
    /// Adds `lines`; nothing when they are on disk, or why nothing was added.
    static std::optional<QString> append(const QString &path, NoteFile::Options options,
                                         const QString &lines);

private:
    enum class Outcome { Done, Whole, Failed };
    static Outcome inPlace(const QString &path, const QString &lines, QString *reason);
    static std::optional<QString> whole(const QString &path, NoteFile::Options options,
                                        const QString &lines);
};
