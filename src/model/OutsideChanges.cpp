// SPDX-License-Identifier: MIT
// NoteModel and the other programs that write its file: another version taken in, merged, or
// kept beside the note, a sync engine's conflict copies, and an earlier version brought back.
#include "Notemodel.h"

#include "DefaultsStore.h"
#include "OneShotTimer.h"
#include "OutsideVersions.h"
#include "TextMerge.h"

#include <QFileInfo>

void NoteModel::onChangedOutside(const QString &key, const QString &current, const QString &common,
                                 quint64 version) {
    // A version announced again is handled again only when it could not be kept before.
    if (key != saveKey || (version <= handledVersion_ && version != unkeptVersion_))
        return;
    handledVersion_ = std::max(handledVersion_, version);
    unkeptVersion_ = 0;
    using Kind = OutsideVersions::FileChange::Kind;
    const OutsideVersions::FileChange change = OutsideVersions::ofFileChange(
        text_, current, common, [&] { return store_.commonVersion(key, text_, current); });
    switch (change.kind) {
    case Kind::Same:
        store_.acceptOutside(key, version);
        return;
    case Kind::TakeIn:
        store_.keepVersion(saveKey, NoteHistory::Kind::BeforeMerge, text_);
        takeInOutsideText(change.text);
        store_.acceptOutside(key, version);
        Q_EMIT noticed(tr("The note was changed outside Mirt and is shown as it is now. "
                          "Undo brings back what was here."));
        return;
    case Kind::Emptied:
        store_.acceptOutside(key, version);
        scheduleSave();
        Q_EMIT noticed(tr("The note file was emptied outside Mirt while you typed here. Your "
                          "text stays and is saved again."));
        return;
    case Kind::Merged: {
        // Lines the other side took out are the user's words too: they stay in a copy.
        std::optional<QString> kept;
        if (change.takesLinesOut) {
            const auto [copy, error] = store_.keepConflictCopy(key, text_);
            if (error)
                return copyFailed(*error, version);
            kept = copy;
        }
        store_.keepVersion(saveKey, NoteHistory::Kind::BeforeMerge, text_);
        takeInOutsideText(change.text);
        store_.acceptOutside(key, version);
        scheduleSave();
        if (!kept)
            Q_EMIT noticed(tr("The note was changed outside Mirt while you typed here. Both "
                              "changes are merged."));
        else
            Q_EMIT copyKept(tr("The note was changed outside Mirt while you typed here. Both "
                               "changes are merged; your text as it was is kept in \"%1\".")
                                .arg(QFileInfo(*kept).fileName()),
                            *kept);
        return;
    }
    case Kind::Conflict:
        break;
    }
    // Both changed the same lines: the window keeps the user's words, the file theirs, beside.
    const auto [copy, error] = store_.keepConflictCopy(key, current);
    if (error)
        return copyFailed(*error, version);
    store_.acceptOutside(key, version);
    scheduleSave();
    Q_EMIT copyKept(tr("The note was changed outside Mirt at the same places as here. Your text "
                       "stays; the other version is kept in \"%1\".")
                        .arg(QFileInfo(copy).fileName()),
                    copy);
}

void NoteModel::copyFailed(const QString &error, quint64 version) {
    // Nothing may be written over the other version until it is kept: the save fails, in
    // sight, and every save, and quitting, tries again.
    unkeptVersion_ = version;
    onWriteFailed(tr("the other program's version cannot be kept beside it (%1)").arg(error));
}

void NoteModel::onRemovedOutside() {
    // The user removed the file, not the note in the window.
    scheduleSave();
    Q_EMIT noticed(tr("The note file was removed outside Mirt. The note is still here and is "
                      "saved again."));
}

void NoteModel::onCopyFound(const QString &path, const QString &text, bool exact) {
    const QString name = QFileInfo(path).fileName();
    if (!exact) {
        Q_EMIT copyKept(tr("Another version of the note, \"%1\", is not UTF-8 text. It is kept "
                           "as it is.")
                            .arg(name),
                        path);
        return;
    }
    const OutsideVersions::Copy copy =
        OutsideVersions::ofCopy(text_, text, store_.commonVersion(saveKey, text_, text));
    if (copy.kind == OutsideVersions::Copy::Kind::Conflicting) {
        Q_EMIT copyKept(tr("Another version of the note beside it, \"%1\", changes the same "
                           "lines as the note. It is kept as it is.")
                            .arg(name),
                        path);
        return;
    }
    const bool addsWords = copy.text != text_;
    if (addsWords) {
        store_.keepVersion(saveKey, NoteHistory::Kind::BeforeMerge, text_);
        takeInOutsideText(copy.text);
    }
    if (!copy.removable) {
        Q_EMIT copyKept(tr("The changes in \"%1\", another version of the note beside it, are "
                           "merged into it. It holds lines the note does not, and is kept.")
                            .arg(name),
                        path);
        return;
    }
    // The copy goes once the note that holds its words is on disk; the same bytes are not
    // written again.
    saveTimer_->stop();
    saveEncoder_.cancel();
    store_.setStringTakingCopy(saveKey, text_, path);
    Q_EMIT noticed(addsWords ? tr("The changes in \"%1\", another version of the note beside "
                                  "it, are merged into it.")
                                   .arg(name)
                             : tr("\"%1\", another version of the note beside it, holds "
                                  "nothing the note does not, and is removed.")
                                   .arg(name));
}

void NoteModel::bringBack(const QString &earlier) {
    if (earlier == text_)
        return;
    store_.keepVersion(saveKey, NoteHistory::Kind::BeforeBringBack, text_);
    takeInOutsideText(earlier);
}

void NoteModel::takeInOutsideText(const QString &newText) {
    // Changed lines only, so that the caret and the view stay where they are in the rest, and
    // as one step of their own that undo can take back.
    UndoStep step = UndoStep::OfItsOwn;
    for (const TextMerge::Change &change : TextMerge::changes(text_, newText)) {
        replaceText(change.position, change.removed, change.inserted, step);
        step = UndoStep::JoinsLastEdit;
    }
    // Never taken for a line break typed at the end.
    previousText_.matchCurrent(text_.size());
}
