// SPDX-License-Identifier: MIT
#include "Notemodel.h"

#include "AtomicFile.h"
#include "Clock.h"
#include "DefaultsStore.h"
#include "Dialogs.h"
#include "OneShotTimer.h"

#include <QCoreApplication>
#include <QLocale>
#include <QPointer>
#include <QRegularExpression>

#include <algorithm>
#include <cmath>

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
