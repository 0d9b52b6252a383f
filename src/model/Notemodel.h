// SPDX-License-Identifier: MIT
#pragma once

#include "NoteEncoding.h"
#include "PreviousText.h"

#include <QObject>
#include <QString>

#include <memory>
#include <optional>

class Clock;
class DefaultsStore;
class Dialogs;
class OneShotTimer;

/// The one note and every setting and request that the views show or raise.
///
/// Six published properties: text, isMeetingMode, clearRequested, meetingConfirmRequested,
/// fontSize and toolbarVisible. Every assignment to one of them emits willChange() before the
/// value is stored, also when the value is unchanged; observers read the model afresh later.
/// The model lives on the main thread and never opens a window itself.
class NoteModel : public QObject {
    Q_OBJECT
public:
    struct Services {
        DefaultsStore &store;
        Clock &clock;
        std::unique_ptr<OneShotTimer> saveTimer;
        Dialogs &dialogs;
        /// The platform's standard font size in points; the smallest size the note can take.
        double systemFontSize;
    };

    static inline const QString saveKey = QStringLiteral("mirt.note.autosave");
    static inline const QString fontSizeKey = QStringLiteral("mirt.font.size");
    static constexpr double maxFontSize = 32.0;
    /// Stored sizes above maxFontSize load unchanged up to this size and as this size beyond
    /// it: larger glyphs are of no use on any screen and make text layout crawl.
    static constexpr double fontSizeCeiling = 256.0;
    static constexpr double fontSizeStep = 2.0;
    static constexpr int autosaveDelayMs = 500;
    /// Notes at least this long (UTF-16 units) are encoded for saving a slice at a time.
    static constexpr qsizetype slicedSaveSize = 256 * 1024;

    /// How an edit of the model's own stands in the editor's undo history.
    enum class UndoStep { JoinsLastEdit, OfItsOwn };
    Q_ENUM(UndoStep)

    /// Loads the note and the font size from the store.
    explicit NoteModel(Services services, QObject *parent = nullptr);
    ~NoteModel() override;

    const QString &text() const { return text_; }
    bool isMeetingMode() const { return isMeetingMode_; }
    bool clearRequested() const { return clearRequested_; }
    bool meetingConfirmRequested() const { return meetingConfirmRequested_; }
    double fontSize() const { return fontSize_; }
    bool toolbarVisible() const { return toolbarVisible_; }
    double minFontSize() const { return minFontSize_; }

    void setText(const QString &text);
    void setClearRequested(bool requested);
    void setMeetingConfirmRequested(bool requested);
    void setToolbarVisible(bool visible);

    /// Replaces `removed` characters at `position` by `inserted`: an assignment to text that
    /// costs time in proportion to the edit, not to the note.
    void replaceText(qsizetype position, qsizetype removed, QStringView inserted);

    /// Grows with every assignment that changes the content of text, and only then.
    quint64 textRevision() const { return textRevision_; }
    /// The text as the meeting-mode handler last saw it (a full copy; for inspection).
    QString previousText() const { return previousText_.toString(text_); }
    /// Whether the last write to the store failed and no write has succeeded since.
    bool isSaveFailing() const { return saveFailing_; }
    /// Why the last write failed, while isSaveFailing().
    QString saveFailure() const { return saveFailure_; }

    /// Empty, or nothing but white space and line breaks.
    static bool isBlank(QStringView text);

    void increaseFontSize();
    void decreaseFontSize();
    /// Back to the platform's standard size, the size a new user starts with.
    void resetFontSize();
    void clearNote();

    void requestMeetingMode();
    void startMeetingMode();
    void endMeetingMode();
    /// The meeting command and button: ends meeting mode, or asks to start it.
    void toggleMeetingMode();
    /// Called by the editor after every change of text that it has shown. While meeting mode
    /// is on, a single line feed typed at the end gets the current time stamp after it.
    void handleTextChange();

    /// Adds `lines` at the end of the note as if they were typed there, each on a line of its
    /// own; a CR LF counts as one line break. In meeting mode each line starts with a fresh
    /// stamp, from the same handling as a typed line break, and a fresh stamp waits after the
    /// last one. One undo step.
    void appendLines(QStringView lines);
    /// What appendLines() adds at the end of `note` outside meeting mode; only the note's last
    /// character counts.
    static QString appendix(QStringView note, QStringView lines);

    /// Replaces the note by `earlier`, one of its earlier versions, as one undo step, after
    /// keeping the note as it is as a version too.
    void bringBack(const QString &earlier);

    void exportNote();
    /// Exports `text`, an earlier version of the note, as exportNote() exports the note.
    void exportVersion(const QString &text);
    void printNote();
    /// Shows the note as printNote() would print it.
    void previewNote();
    /// Asks for a folder and keeps the note there from now on.
    void moveNote();

    /// Writes a pending autosave, or one that failed, at once and returns when it is on disk
    /// (or has failed again: isSaveFailing() tells). Without either it writes nothing.
    void flushAutosave();

Q_SIGNALS:
    /// Announces an assignment to a published property, before the value is stored.
    void willChange();
    /// Announces an assignment to text, before the value is stored.
    void textWillChange();
    /// After replaceText(): `removed` characters at `position` became `added` ones.
    void textReplaced(qsizetype position, qsizetype removed, qsizetype added, UndoStep step);
    /// After setText(): the text was assigned as a whole.
    void textAssigned();
    /// The store refused a write; emitted once for a run of failures.
    void saveFailed(const QString &reason);
    /// A write succeeded after saveFailed().
    void saveRecovered();
    /// Something the user should hear of that needs no answer: another program's words taken
    /// in, a copy merged.
    void noticed(const QString &message);
    /// Words the note could not take in are kept in the file at `path`, beside it: the user
    /// should hear of it until they have looked.
    void copyKept(const QString &message, const QString &path);

private:
    void loadFromStore();
    void scheduleSave();
    void saveNow();
    void encodeNextSlice();
    void replaceText(qsizetype position, qsizetype removed, QStringView inserted, UndoStep step);
    void announceText(qsizetype position, qsizetype removed, bool changed);
    void setIsMeetingMode(bool on);
    void setFontSize(double size);
    void storeFontSize();
    void onWriteSucceeded();
    void onWriteFailed(const QString &reason);
    void onChangedOutside(const QString &key, const QString &current, const QString &common,
                          quint64 version);
    void copyFailed(const QString &error, quint64 version);
    void onRemovedOutside();
    void onCopyFound(const QString &path, const QString &text, bool exact);
    void takeInOutsideText(const QString &newText);
    void keepBeforeClearing();
    void exportText(const std::optional<QString> &version);
    QString stamp() const;
    static QList<QStringView> splitLines(QStringView lines);

    DefaultsStore &store_;
    Clock &clock_;
    std::unique_ptr<OneShotTimer> saveTimer_;
    Dialogs &dialogs_;
    const double minFontSize_;

    QString text_;
    bool isMeetingMode_ = false;
    bool clearRequested_ = false;
    bool meetingConfirmRequested_ = false;
    double fontSize_;
    bool toolbarVisible_ = true;

    PreviousText previousText_;
    SliceEncoder saveEncoder_;
    quint64 textRevision_ = 0;
    bool saveFailing_ = false;
    QString saveFailure_;
    quint64 handledVersion_ = 0; // of another program's versions, the newest handled
    quint64 unkeptVersion_ = 0;  // one that could not be kept, to handle again when announced
};
