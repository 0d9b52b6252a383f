// SPDX-License-Identifier: MIT
#include "Typing.h"

#include "LargeNoteArrival.h"
#include "NoteText.h"

#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QMetaEnum>
#include <QPlainTextEdit>
#include <QSet>

#include <algorithm>

namespace {

// The keys that the editor takes as a command before it types anything, a line break aside.
bool isCommand(const QKeyEvent *event) {
    static const QSet<QKeyCombination> commands = [] {
        QSet<QKeyCombination> keys;
        const QMetaEnum standard = QMetaEnum::fromType<QKeySequence::StandardKey>();
        for (int i = 0; i < standard.keyCount(); ++i) {
            const auto key = QKeySequence::StandardKey(standard.value(i));
            if (key != QKeySequence::InsertParagraphSeparator &&
                key != QKeySequence::InsertLineSeparator)
                for (const QKeySequence &sequence : QKeySequence::keyBindings(key))
                    keys.insert(sequence[0]);
        }
        return keys;
    }();
    return commands.contains(
        QKeyCombination(event->modifiers() & ~Qt::KeypadModifier, Qt::Key(event->key())));
}

} // namespace

Typing::Typing(QPlainTextEdit &editor, NoteText &text, LargeNoteArrival &arrival)
    : editor_(editor)
    , text_(text)
    , arrival_(arrival) {}

QString Typing::typedBy(const QKeyEvent *event) {
    if (event->matches(QKeySequence::InsertParagraphSeparator) ||
        event->matches(QKeySequence::InsertLineSeparator))
        return QStringLiteral("\n");
    // The editor's rule for the text a key brings: a printable, format or private-use
    // character, or a tab, unless Ctrl or Ctrl+Shift is held.
    const QString text = event->text();
    if (text.isEmpty())
        return QString();
    const QChar c = text.front();
    const Qt::KeyboardModifiers held = event->modifiers() & ~Qt::KeypadModifier;
    const bool taken =
        c.category() == QChar::Other_Format ||
        (held != Qt::ControlModifier && held != (Qt::ControlModifier | Qt::ShiftModifier) &&
         (c.isPrint() || c.category() == QChar::Other_PrivateUse || c.isHighSurrogate() ||
          c == u'\t'));
    return taken && !isCommand(event) ? text : QString();
}

bool Typing::overSelection(QStringView typed) {
    QTextCursor cursor = editor_.textCursor();
    if (typed.isEmpty() || !cursor.hasSelection())
        return false;
    // One edit block, closed before the editor shows the caret: it lays the document out
    // again only once the outermost block ends, and looking for the caret's line before
    // that reads lines of text that is gone.
    text_.write(cursor, typed);
    editor_.setTextCursor(cursor);
    editor_.ensureCursorVisible();
    return true;
}

void Typing::beforeTyping(QStringView typed) {
    // Text typed takes on the format before it. That of a stood-in character would make a
    // typed symbol read back as the character it stands for, and that of a soft break would
    // make a typed line break vanish from the note.
    QTextCursor caret = editor_.textCursor();
    if (typed.isEmpty())
        return;
    if (joinsClusterBefore(caret.position(), typed)) {
        // No piece starts with a character that may go on with the cluster before it: typed
        // there, it goes into the piece that cluster is in.
        int position = caret.position();
        while (text_.isSoftBreak(position - 1))
            --position;
        caret.setPosition(position);
        editor_.setTextCursor(caret);
    }
    if (text_.isMarked(caret.charFormat()))
        editor_.setCurrentCharFormat(QTextCharFormat());
}

bool Typing::commit(const QInputMethodEvent *event) {
    const QString &text = event->commitString();
    if (text.isEmpty() && event->replacementLength() <= 0)
        return false;
    // As the editor does it: the selection goes, then the range around the caret is replaced,
    // here counted in the note. The editor would type the text in the format before it, marks
    // and all, and turn CR and U+2029 into line breaks.
    const qsizetype at = text_.notePosition(editor_.textCursor().selectionStart());
    if (at + event->replacementStart() < text_.missing())
        arrival_.complete();
    QTextCursor selection = editor_.textCursor();
    const qsizetype length = text_.notePosition(editor_.document()->characterCount() - 1) -
                             (text_.notePosition(selection.selectionEnd()) - at);
    const qsizetype from = std::clamp<qsizetype>(at + event->replacementStart(), 0, length);
    const qsizetype to = std::min(from + std::max(event->replacementLength(), 0), length);
    // Placed before the selection goes: the positions of soft breaks follow the document only
    // once the edit block ends, and a cursor follows it at once.
    const qsizetype selected = text_.notePosition(selection.selectionEnd()) - at;
    const auto before = [&](qsizetype position, NoteText::Side side) {
        return text_.documentPosition(position < at ? position : position + selected, side);
    };
    QTextCursor range(editor_.document());
    range.setPosition(before(from, NoteText::Side::After));
    range.setPosition(before(to, to > from ? NoteText::Side::Before : NoteText::Side::After),
                      QTextCursor::KeepAnchor);
    // The edit block starts where the editor's would, at the caret, for undo to bring the
    // caret back there when the first change is elsewhere. A soft break between the two is no
    // distance.
    const int first = selection.hasSelection() ? selection.selectionStart() : range.anchor();
    QTextCursor cursor(editor_.document());
    cursor.setPosition(text_.notePosition(first) == text_.notePosition(selection.position())
                           ? first
                           : selection.position());
    cursor.beginEditBlock();
    selection.removeSelectedText();
    text_.write(range, text);
    cursor.endEditBlock();
    // A caret in the range replaced goes after the text, as the editor's would; one before or
    // after the range is where the document's changes took it. A caret on the other side of a
    // soft break than the range is not moved by it, so it is set here.
    if (from <= at && at <= to)
        editor_.setTextCursor(range);
    return true;
}

bool Typing::joinsClusterBefore(int position, QStringView text) const {
    // Text right after a soft break that may go on with the cluster at the end of the piece
    // before it.
    if (!text_.isSoftBreak(position - 1) || text.isEmpty() ||
        !SoftBreaks::continuesCluster(text.front()))
        return false;
    while (text_.isSoftBreak(position - 1))
        --position;
    return position > 0 &&
           editor_.document()->characterAt(position - 1) != QChar::ParagraphSeparator;
}
