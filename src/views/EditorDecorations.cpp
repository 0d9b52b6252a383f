// SPDX-License-Identifier: MIT
#include "EditorDecorations.h"

#include "NoteEditor.h"
#include "NoteLines.h"
#include "Notemodel.h"
#include "SpellChecker.h"

#include <QScrollBar>

#include <algorithm>

namespace {

bool isWordLetter(QChar c) {
    return c.isLetter() || c.isMark();
}

// Longer runs of letters are no words a dictionary knows; a word cut there is misspelled anyway.
constexpr qsizetype longestWord = 256;

} // namespace

EditorDecorations::EditorDecorations(NoteEditor &editor, const NoteModel &model)
    : QObject(&editor)
    , editor_(editor)
    , model_(model) {
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
    const auto [from, to] = editor_.lines().onScreen();
    const qsizetype held = editor_.notePosition(0); // where the document's part of the note starts
    QList<QTextEdit::ExtraSelection> selections;
    const auto mark = [&](QTextEdit::ExtraSelection &selection, qsizetype start, qsizetype end) {
        selection.cursor = QTextCursor(editor_.document());
        selection.cursor.setPosition(editor_.documentPosition(std::max(start, held)));
        selection.cursor.setPosition(editor_.documentPosition(end, NoteEditor::Side::Before),
                                     QTextCursor::KeepAnchor);
        selections << selection;
    };

    QTextEdit::ExtraSelection match;
    QColor found = editor_.palette().color(QPalette::Highlight);
    found.setAlphaF(0.3f);
    match.format.setBackground(found);
    const auto first = std::lower_bound(matches_.begin(), matches_.end(), from - matchLength_ + 1);
    for (auto it = first; it != matches_.end() && *it <= to; ++it)
        mark(match, *it, *it + matchLength_);

    misspelled_.clear();
    if (checker_ && checker_->hasDictionary()) {
        QTextEdit::ExtraSelection wrong;
        wrong.format.setUnderlineStyle(QTextCharFormat::SpellCheckUnderline);
        wrong.format.setUnderlineColor(Qt::red);
        // Words are runs of letters: stamps, the meeting header and numbers are never words. A
        // word is read whole, also where a piece of a long line or the screen cuts it.
        const QString &note = model_.text();
        const auto isInWord = [&note](qsizetype i) {
            return isWordLetter(note[i]) ||
                   (note[i] == u'\'' && i + 1 < note.size() && isWordLetter(note[i + 1]) && i > 0 &&
                    isWordLetter(note[i - 1]));
        };
        qsizetype start = from;
        while (start > std::max(held, from - longestWord) && isInWord(start - 1))
            --start;
        const qsizetype end = std::min(note.size(), to + longestWord);
        for (qsizetype i = start; i < end && i <= to;) {
            if (!isWordLetter(note[i])) {
                ++i;
                continue;
            }
            qsizetype wordEnd = i;
            while (wordEnd < end && isInWord(wordEnd))
                ++wordEnd;
            if (!checker_->isCorrect(QStringView(note).sliced(i, wordEnd - i))) {
                misspelled_.emplace_back(i, wordEnd - i);
                mark(wrong, i, wordEnd);
            }
            i = wordEnd;
        }
    }
    editor_.setExtraSelections(selections);
}
