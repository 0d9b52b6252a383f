// SPDX-License-Identifier: MIT
// NoteModel's meeting mode: the dated header, a stamp on each line typed at the end, and lines
// added from outside the window as if typed there.
#include "Notemodel.h"

#include "Clock.h"

#include <QLocale>
#include <QRegularExpression>

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
