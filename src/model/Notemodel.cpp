// SPDX-License-Identifier: MIT
#include "Notemodel.h"

#include "AtomicFile.h"
#include "Clock.h"
#include "DefaultsStore.h"
#include "OneShotTimer.h"
#include "Presentations.h"

#include <QAbstractTextDocumentLayout>
#include <QFontDatabase>
#include <QImage>
#include <QLocale>
#include <QPointer>
#include <QRegularExpression>
#include <QTextDocument>
#include <QTextOption>

#include <algorithm>
#include <cmath>

namespace {

constexpr qreal printWidth = 540.0;
const QMarginsF printMargins(54.0, 36.0, 54.0, 36.0);

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
    , presentations_(services.presentations)
    , minFontSize_(services.systemFontSize)
    , fontSize_(services.systemFontSize) {
    loadFromStore();
    connect(&store_, &DefaultsStore::writeSucceeded, this, &NoteModel::onWriteSucceeded);
    connect(&store_, &DefaultsStore::writeFailed, this, &NoteModel::onWriteFailed);
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
    Q_EMIT textWillChange();
    Q_EMIT willChange();
    const bool changed = !isCurrentText(text);
    saveEncoder_.cancel(); // the timer this assignment restarts saves the newer text
    previousText_.beforeReplace(text_, 0, text_.size());
    text_ = text;
    if (changed)
        ++textRevision_;
    Q_EMIT textAssigned();
}

void NoteModel::replaceText(qsizetype position, qsizetype removed, QStringView inserted) {
    position = std::clamp<qsizetype>(position, 0, text_.size());
    removed = std::clamp<qsizetype>(removed, 0, text_.size() - position);
    Q_EMIT textWillChange();
    Q_EMIT willChange();
    const bool changed = QStringView(text_).sliced(position, removed) != inserted;
    saveEncoder_.cancel(); // the timer this edit restarts saves the newer text
    previousText_.beforeReplace(text_, position, removed);
    text_.replace(position, removed, inserted.data(), inserted.size());
    if (changed)
        ++textRevision_;
    Q_EMIT textReplaced(position, removed, inserted.size());
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

bool NoteModel::isCurrentText(const QString &candidate) const {
    // The editor hands back the model's own string: same characters, no comparison needed.
    return candidate.size() == text_.size() &&
           (candidate.constData() == text_.constData() || candidate == text_);
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
    if (saveTimer_->isActive() || saveEncoder_.isRunning()) {
        saveTimer_->stop();
        saveEncoder_.cancel();
        store_.setString(saveKey, text_);
    }
    store_.flush();
}

void NoteModel::onWriteSucceeded() {
    if (!saveFailing_)
        return;
    saveFailing_ = false;
    Q_EMIT saveRecovered();
}

void NoteModel::onWriteFailed(const QString &reason) {
    // The note stays in memory; the next save tries again.
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

void NoteModel::storeFontSize() {
    store_.setFloat(fontSizeKey, static_cast<float>(fontSize_));
}

void NoteModel::clearNote() {
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

QString NoteModel::stamp() const {
    return QLocale::system().toString(clock_.now(), u"HH:mm") + QStringLiteral(" - ");
}

void NoteModel::handleTextChange(const QString &newText) {
    // The editor passes the model's own text; then the baseline can be compared without a copy.
    const bool isCurrent = isCurrentText(newText);
    const auto remember = [this, isCurrent, &newText] {
        if (isCurrent)
            previousText_.matchCurrent(text_.size());
        else
            previousText_.setUnrelated(newText);
    };
    if (!isMeetingMode_) {
        remember();
        return;
    }
    const bool typedLineBreakAtEnd =
        newText.size() == previousText_.size() + 1 && endsWithLoneLineFeed(newText) &&
        (isCurrent ? previousText_.isPrefixOf(text_)
                   : newText.startsWith(previousText_.toString(text_)));
    if (!typedLineBreakAtEnd) {
        remember();
        return;
    }

    // The old text is newText without its final line feed; only its last line matters.
    const qsizetype oldSize = newText.size() - 1;
    const qsizetype lineStart = oldSize == 0 ? 0 : newText.lastIndexOf(u'\n', oldSize - 1) + 1;
    const QStringView lastLine = QStringView(newText).sliced(lineStart, oldSize - lineStart);
    const QString freshStamp = stamp();

    qsizetype replaceFrom = newText.size();
    QString insert = freshStamp;
    if (stampOnlyLine().match(lastLine).hasMatch()) {
        // The line that held only a stamp takes the fresh one; the typed line break is absorbed.
        replaceFrom = lineStart;
        if (lineStart == 0)
            insert.prepend(u'\n');
    }
    if (isCurrent) {
        replaceText(replaceFrom, newText.size() - replaceFrom, insert);
    } else {
        setText(newText.first(replaceFrom) + insert);
    }
    previousText_.matchCurrent(text_.size());
}

void NoteModel::exportNote() {
    const QString name = QStringLiteral("mirt-note-") +
                         QLocale::system().toString(clock_.now(), u"yyyy-MM-dd-HHmm") +
                         QStringLiteral(".txt");
    QPointer<NoteModel> self(this);
    presentations_.showSavePanel(
        {tr("Export Note"), name, QStringLiteral("text/plain")}, [self](const QString &path) {
            if (!self || path.isEmpty())
                return;
            // The text of the moment the user confirms, not of the moment the panel opened.
            const auto error = AtomicFile::write(path, self->text_.toUtf8());
            if (!error)
                return;
            QMetaObject::invokeMethod(
                self,
                [self, reason = *error] {
                    self->presentations_.showWarning(tr("Export Failed"), reason);
                },
                Qt::QueuedConnection);
        });
}

void NoteModel::printNote() {
    if (text_.isEmpty())
        return;
    // Laid out on a 72 dpi device, one layout unit is one point: the page is 540 points wide
    // whatever the screen.
    QImage pointDevice(1, 1, QImage::Format_Mono);
    pointDevice.setDotsPerMeterX(qRound(72 / 0.0254));
    pointDevice.setDotsPerMeterY(qRound(72 / 0.0254));

    QFont font = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    font.setPointSizeF(fontSize_);
    font.setWeight(QFont::Normal);
    font.setItalic(false);

    QTextDocument document;
    document.documentLayout()->setPaintDevice(&pointDevice);
    document.setDefaultFont(font);
    document.setDocumentMargin(0);
    // A word wider than the page breaks anywhere instead of running off the paper.
    QTextOption wrapping = document.defaultTextOption();
    wrapping.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    document.setDefaultTextOption(wrapping);
    document.setPlainText(text_);
    document.setTextWidth(printWidth);
    presentations_.print(document, printMargins);
}
