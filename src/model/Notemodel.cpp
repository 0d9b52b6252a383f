// SPDX-License-Identifier: MIT
#include "Notemodel.h"

#include "AtomicFile.h"
#include "Clock.h"
#include "DefaultsStore.h"
#include "Dialogs.h"
#include "OneShotTimer.h"
#include "OutsideVersions.h"
#include "TextMerge.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QLocale>
#include <QPointer>
#include <QRegularExpression>

#include <algorithm>
#include <cmath>

namespace {

// A line holding a stamp and nothing else. `\d` is any decimal digit, as in ICU; ICU's `$` also
// matches before one final line terminator, which is spelled out because PCRE's `$` does not.
const QRegularExpression &stampOnlyLine() {
    static const QRegularExpression pattern(
        QStringLiteral(R"(^\d{2}:\d{2} - (?:\r\n|[\n\x{0B}\x{0C}\r\x{85}\x{2028}\x{2029}])?\z)"),
        QRegularExpression::UseUnicodePropertiesOption);
    return pattern;
}

// The last grapheme cluster is a line feed of its own: CR LF is one cluster and does not count.
bool endsWithLoneLineFeed(const QString &text) {
    const qsizetype n = text.size();
    return n > 0 && text[n - 1] == u'\n' && (n == 1 || text[n - 2] != u'\r');
}

} // namespace

NoteModel::NoteModel(Services services, QObject *parent)
    : QObject(parent)
    , store_(services.store)
    , clock_(services.clock)
    , saveTimer_(std::move(services.saveTimer))
    , dialogs_(services.dialogs)
    , minFontSize_(services.systemFontSize)
    , fontSize_(services.systemFontSize) {
    loadFromStore();
    connect(&store_, &DefaultsStore::writeSucceeded, this, &NoteModel::onWriteSucceeded);
    connect(&store_, &DefaultsStore::writeFailed, this, &NoteModel::onWriteFailed);
    connect(&store_, &DefaultsStore::changedOutside, this, &NoteModel::onChangedOutside);
    connect(&store_, &DefaultsStore::removedOutside, this, &NoteModel::onRemovedOutside);
    connect(&store_, &DefaultsStore::copyFound, this, &NoteModel::onCopyFound);
    // Made last, so that loading the stored note starts no autosave.
    connect(this, &NoteModel::textWillChange, this, &NoteModel::scheduleSave);
}

NoteModel::~NoteModel() = default;

bool NoteModel::isBlank(QStringView text) {
    // The same characters as trimming white space and line breaks, without copying the note.
    return std::all_of(text.begin(), text.end(), [](QChar c) { return c.isSpace(); });
}

void NoteModel::loadFromStore() {
    setText(store_.string(saveKey).value_or(QString()));
    previousText_.matchCurrent(text_.size());

    // Anything that is not a finite number loads like a missing value.
    const std::optional<float> stored = store_.floatValue(fontSizeKey);
    const double size = stored && std::isfinite(*stored) ? double(*stored) : 0.0;
    setFontSize(minFontSize_ > size ? minFontSize_ : std::min(size, fontSizeCeiling));
}

void NoteModel::setText(const QString &text) {
    const bool changed =
        text.size() != text_.size() || (text.constData() != text_.constData() && text != text_);
    announceText(0, text_.size(), changed);
    text_ = text;
    Q_EMIT textAssigned();
}

void NoteModel::replaceText(qsizetype position, qsizetype removed, QStringView inserted) {
    // Select All and a key, or a paste over everything: the note as it was is kept.
    if (text_.size() >= 200 && std::clamp<qsizetype>(removed, 0, text_.size()) > text_.size() / 2)
        store_.keepVersion(saveKey, NoteHistory::Kind::BeforeChange, text_);
    replaceText(position, removed, inserted, UndoStep::JoinsLastEdit);
}

void NoteModel::replaceText(qsizetype position, qsizetype removed, QStringView inserted,
                            UndoStep step) {
    position = std::clamp<qsizetype>(position, 0, text_.size());
    removed = std::clamp<qsizetype>(removed, 0, text_.size() - position);
    announceText(position, removed, QStringView(text_).sliced(position, removed) != inserted);
    text_.replace(position, removed, inserted.data(), inserted.size());
    Q_EMIT textReplaced(position, removed, inserted.size(), step);
}

void NoteModel::announceText(qsizetype position, qsizetype removed, bool changed) {
    Q_EMIT textWillChange();
    Q_EMIT willChange();
    saveEncoder_.cancel(); // the timer this assignment restarts saves the newer text
    previousText_.beforeReplace(text_, position, removed);
    if (changed)
        ++textRevision_;
}

void NoteModel::setIsMeetingMode(bool on) {
    Q_EMIT willChange();
    isMeetingMode_ = on;
}

void NoteModel::setClearRequested(bool requested) {
    Q_EMIT willChange();
    clearRequested_ = requested;
}

void NoteModel::setMeetingConfirmRequested(bool requested) {
    Q_EMIT willChange();
    meetingConfirmRequested_ = requested;
}

void NoteModel::setFontSize(double size) {
    Q_EMIT willChange();
    fontSize_ = size;
}

void NoteModel::setToolbarVisible(bool visible) {
    Q_EMIT willChange();
    toolbarVisible_ = visible;
}

void NoteModel::scheduleSave() {
    QPointer<NoteModel> self(this);
    saveTimer_->start(std::chrono::milliseconds(autosaveDelayMs), [self] {
        if (self)
            self->saveNow();
    });
}

void NoteModel::saveNow() {
    if (text_.size() < slicedSaveSize) {
        store_.setString(saveKey, text_);
        return;
    }
    // Handing a large note to the writer thread would share it, and the next keystroke would
    // have to copy all of it. It is encoded here instead, a slice per turn of the event loop.
    saveEncoder_.start(text_.size());
    encodeNextSlice();
}

void NoteModel::encodeNextSlice() {
    constexpr qsizetype sliceUnits = 64 * 1024; // about 0.03 ms of work a turn
    if (!saveEncoder_.isRunning())
        return;
    if (saveEncoder_.step(text_, sliceUnits))
        store_.setUtf8String(saveKey, saveEncoder_.take());
    else
        QMetaObject::invokeMethod(this, &NoteModel::encodeNextSlice, Qt::QueuedConnection);
}

void NoteModel::flushAutosave() {
    // A write that finds another program's version on disk writes nothing and tells so through
    // the event loop, which may not turn again when the app is ending: that version is taken in
    // here, and the result written, before the app may go.
    for (int round = 0; round < 3; ++round) {
        // A save that failed is tried again: the cause may have gone since, with nothing typed.
        if (saveTimer_->isActive() || saveEncoder_.isRunning() || (round == 0 && saveFailing_)) {
            saveTimer_->stop();
            saveEncoder_.cancel();
            store_.setString(saveKey, text_);
        }
        store_.flush();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::MetaCall);
        if (!saveTimer_->isActive())
            return;
    }
}

void NoteModel::onWriteSucceeded() {
    if (!saveFailing_)
        return;
    saveFailing_ = false;
    Q_EMIT saveRecovered();
}

void NoteModel::onWriteFailed(const QString &reason) {
    // The note stays in memory; the next save tries again.
    saveFailure_ = reason;
    if (saveFailing_)
        return;
    saveFailing_ = true;
    Q_EMIT saveFailed(reason);
}

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

void NoteModel::increaseFontSize() {
    const double larger = fontSize_ + fontSizeStep;
    setFontSize(larger > maxFontSize ? maxFontSize : larger);
    storeFontSize();
}

void NoteModel::decreaseFontSize() {
    const double smaller = fontSize_ - fontSizeStep;
    setFontSize(smaller <= minFontSize_ ? minFontSize_ : smaller);
    storeFontSize();
}

void NoteModel::resetFontSize() {
    setFontSize(minFontSize_);
    storeFontSize();
}

void NoteModel::storeFontSize() {
    store_.setFloat(fontSizeKey, static_cast<float>(fontSize_));
}

void NoteModel::keepBeforeClearing() {
    if (isBlank(text_))
        return;
    // A meeting's notes start with its header, also after meeting mode has ended.
    static const QRegularExpression header(QStringLiteral(R"(^\d{4} \d{2} \d{2}, \d{2}:\d{2}\n)"),
                                           QRegularExpression::UseUnicodePropertiesOption);
    store_.keepVersion(
        saveKey,
        isMeetingMode_ ||
                header.match(text_.first(std::min<qsizetype>(text_.size(), 64))).hasMatch()
            ? NoteHistory::Kind::Meeting
            : NoteHistory::Kind::BeforeClear,
        text_);
}

void NoteModel::clearNote() {
    keepBeforeClearing();
    setIsMeetingMode(false);
    setText(QString());
    previousText_.matchCurrent(0);
    setClearRequested(false);
    store_.setString(saveKey, QString());
}

void NoteModel::requestMeetingMode() {
    if (isBlank(text_))
        startMeetingMode();
    else
        setMeetingConfirmRequested(true);
}

void NoteModel::startMeetingMode() {
    keepBeforeClearing();
    setMeetingConfirmRequested(false);
    setIsMeetingMode(true);
    const QString header =
        QLocale::system().toString(clock_.now(), u"yyyy MM dd, HH:mm") + QStringLiteral("\n\n");
    setText(header);
    previousText_.matchCurrent(text_.size());
}

void NoteModel::endMeetingMode() {
    setIsMeetingMode(false);
    previousText_.matchCurrent(text_.size());
}

void NoteModel::toggleMeetingMode() {
    if (isMeetingMode_)
        endMeetingMode();
    else
        requestMeetingMode();
}

QString NoteModel::stamp() const {
    return QLocale::system().toString(clock_.now(), u"HH:mm") + QStringLiteral(" - ");
}

void NoteModel::handleTextChange() {
    const bool typedLineBreakAtEnd = isMeetingMode_ && text_.size() == previousText_.size() + 1 &&
                                     endsWithLoneLineFeed(text_) && previousText_.isPrefixOf(text_);
    if (!typedLineBreakAtEnd) {
        previousText_.matchCurrent(text_.size());
        return;
    }
    // The old text is the note without its final line feed; only its last line matters.
    const qsizetype oldSize = text_.size() - 1;
    const qsizetype lineStart = oldSize == 0 ? 0 : text_.lastIndexOf(u'\n', oldSize - 1) + 1;
    const QStringView lastLine = QStringView(text_).sliced(lineStart, oldSize - lineStart);

    qsizetype replaceFrom = text_.size();
    QString insert = stamp();
    if (stampOnlyLine().match(lastLine).hasMatch()) {
        // The line that held only a stamp takes the fresh one; the typed line break is absorbed.
        replaceFrom = lineStart;
        if (lineStart == 0)
            insert.prepend(u'\n');
    }
    replaceText(replaceFrom, text_.size() - replaceFrom, insert);
    previousText_.matchCurrent(text_.size());
}

QList<QStringView> NoteModel::splitLines(QStringView lines) {
    QList<QStringView> split = lines.split(u'\n');
    if (split.last().isEmpty()) // the line break that ends the last line starts none
        split.removeLast();
    for (QStringView &line : split)
        if (line.endsWith(u'\r'))
            line.chop(1);
    return split;
}

QString NoteModel::appendix(QStringView note, QStringView lines) {
    QString added;
    for (const QStringView line : splitLines(lines)) {
        // Never onto the end of a line that is there already.
        if (added.isEmpty() && !note.isEmpty() && !note.endsWith(u'\n'))
            added += u'\n';
        added.append(line).append(u'\n');
    }
    return added;
}

void NoteModel::appendLines(QStringView lines) {
    handleTextChange(); // what the editor changed last is handled first, as its refresh would
    if (!isMeetingMode_) {
        if (const QString added = appendix(text_, lines); !added.isEmpty())
            replaceText(text_.size(), 0, added, UndoStep::OfItsOwn);
        handleTextChange();
        return;
    }
    // Typed key by key: a line break, which gets a fresh stamp (or refreshes one waiting on its
    // own line), then the words.
    UndoStep step = UndoStep::OfItsOwn;
    const auto type = [this, &step](QStringView keys) {
        if (keys.isEmpty())
            return;
        replaceText(text_.size(), 0, keys, step);
        step = UndoStep::JoinsLastEdit;
        handleTextChange();
    };
    const QList<QStringView> split = splitLines(lines);
    for (const QStringView line : split) {
        type(u"\n");
        type(line);
    }
    if (!split.isEmpty())
        type(u"\n");
}

void NoteModel::exportNote() {
    exportText(std::nullopt);
}

void NoteModel::exportVersion(const QString &text) {
    exportText(text);
}

void NoteModel::exportText(const std::optional<QString> &version) {
    const QString name = QStringLiteral("mirt-note-") +
                         QLocale::system().toString(clock_.now(), u"yyyy-MM-dd-HHmm") +
                         QStringLiteral(".txt");
    QPointer<NoteModel> self(this);
    dialogs_.showSavePanel({tr("Export Note"), name, QStringLiteral("text/plain")},
                           [self, version](const QString &path) {
                               if (!self || path.isEmpty())
                                   return;
                               // The note of the moment the user confirms, not of the moment
                               // the panel opened.
                               const auto error = AtomicFile::write(
                                   path, noteToUtf8(version ? *version : self->text_));
                               if (!error)
                                   return;
                               QMetaObject::invokeMethod(
                                   self,
                                   [self, reason = *error] {
                                       self->dialogs_.showWarning(tr("Export Failed"), reason);
                                   },
                                   Qt::QueuedConnection);
                           });
}

void NoteModel::printNote() {
    if (!text_.isEmpty())
        dialogs_.print(text_, fontSize_);
}

void NoteModel::previewNote() {
    if (!text_.isEmpty())
        dialogs_.printPreview(text_, fontSize_);
}

void NoteModel::moveNote() {
    QPointer<NoteModel> self(this);
    dialogs_.chooseFolder(tr("Move Note"), [self](const QString &folder) {
        if (!self || folder.isEmpty())
            return;
        self->flushAutosave();
        if (const auto error = self->store_.moveTo(saveKey, folder, self->text_)) {
            Q_EMIT self->noticed(tr("The note could not be moved: %1").arg(*error));
            return;
        }
        self->scheduleSave(); // takes in a note that stood in the new place already
        Q_EMIT self->noticed(tr("The note is kept in %1 from now on.").arg(folder));
    });
}
