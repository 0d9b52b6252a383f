// SPDX-License-Identifier: MIT
#include "EditorDecorations.h"

#include "NoteEditor.h"
#include "SpellChecker.h"

#include <QScrollBar>
#include <QTextBlock>

#include <algorithm>

namespace {

bool isWordLetter(QChar c) {
    return c.isLetter() || c.isMark();
}

} // namespace

EditorDecorations::EditorDecorations(NoteEditor &editor)
    : QObject(&editor)
    , editor_(editor) {
    timer_.setSingleShot(true);
    timer_.setInterval(120); // after a pause in typing or scrolling, never per keystroke
    connect(&timer_, &QTimer::timeout, this, &EditorDecorations::refresh);
    connect(editor.verticalScrollBar(), &QScrollBar::valueChanged, this,
            &EditorDecorations::schedule);
    connect(editor.horizontalScrollBar(), &QScrollBar::valueChanged, this,
            &EditorDecorations::schedule);
    connect(&editor, &QPlainTextEdit::textChanged, this, &EditorDecorations::schedule);
    connect(&editor, &QPlainTextEdit::updateRequest, this, [this](const QRect &, int dy) {
        if (dy != 0)
            schedule();
    });
}

void EditorDecorations::setSpellChecker(SpellChecker *checker) {
    if (checker_)
        disconnect(checker_, nullptr, this, nullptr);
    checker_ = checker;
    if (checker_)
        connect(checker_, &SpellChecker::changed, this, &EditorDecorations::refresh);
    refresh();
}

void EditorDecorations::setMatches(std::vector<qsizetype> matches, qsizetype length) {
    matches_ = std::move(matches);
    matchLength_ = length;
    refresh();
}

std::optional<std::pair<qsizetype, qsizetype>>
EditorDecorations::misspelledWordAt(qsizetype position) const {
    for (const auto &[start, length] : misspelled_)
        if (position >= start && position <= start + length)
            return std::pair(start, length);
    return std::nullopt;
}

void EditorDecorations::refresh() {
    timer_.stop();
    const QRect view = editor_.viewport()->rect();
    const int from = editor_.cursorForPosition(view.topLeft()).block().position();
    const QTextBlock last = editor_.cursorForPosition(view.bottomRight()).block();
    const int to = last.position() + last.length() - 1;
    QList<QTextEdit::ExtraSelection> selections;

    QTextEdit::ExtraSelection match;
    QColor found = editor_.palette().color(QPalette::Highlight);
    found.setAlphaF(0.3f);
    match.format.setBackground(found);
    const qsizetype noteTo = editor_.notePosition(to);
    const auto first = std::lower_bound(matches_.begin(), matches_.end(),
                                        editor_.notePosition(from) - matchLength_ + 1);
    for (auto it = first; it != matches_.end() && *it <= noteTo; ++it) {
        match.cursor = QTextCursor(editor_.document());
        match.cursor.setPosition(editor_.documentPosition(std::max(*it, editor_.notePosition(0))));
        match.cursor.setPosition(
            editor_.documentPosition(*it + matchLength_, NoteEditor::Side::Before),
            QTextCursor::KeepAnchor);
        selections << match;
    }

    misspelled_.clear();
    if (checker_ && checker_->hasDictionary()) {
        QTextEdit::ExtraSelection wrong;
        wrong.format.setUnderlineStyle(QTextCharFormat::SpellCheckUnderline);
        wrong.format.setUnderlineColor(Qt::red);
        // Words are runs of letters: stamps, the meeting header and numbers are never words.
        for (QTextBlock block = editor_.document()->findBlock(from);
             block.isValid() && block.position() <= to; block = block.next()) {
            const QString text = block.text();
            for (qsizetype i = 0; i < text.size();) {
                if (!isWordLetter(text[i])) {
                    ++i;
                    continue;
                }
                qsizetype end = i;
                while (end < text.size() &&
                       (isWordLetter(text[end]) || (text[end] == u'\'' && end + 1 < text.size() &&
                                                    isWordLetter(text[end + 1]))))
                    ++end;
                if (!checker_->isCorrect(QStringView(text).sliced(i, end - i))) {
                    const int start = block.position() + int(i);
                    misspelled_.emplace_back(editor_.notePosition(start), end - i);
                    wrong.cursor = QTextCursor(editor_.document());
                    wrong.cursor.setPosition(start);
                    wrong.cursor.setPosition(start + int(end - i), QTextCursor::KeepAnchor);
                    selections << wrong;
                }
                i = end;
            }
        }
    }
    editor_.setExtraSelections(selections);
}
