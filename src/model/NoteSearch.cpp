// SPDX-License-Identifier: MIT
#include "NoteSearch.h"

#include <algorithm>

namespace {

bool isWordCharacter(QChar c) {
    return c.isLetterOrNumber() || c == u'_' || c.isMark();
}

} // namespace

bool NoteSearch::isWholeWord(QStringView text, qsizetype at, qsizetype length) const {
    return (at == 0 || !isWordCharacter(text[at - 1])) &&
           (at + length == text.size() || !isWordCharacter(text[at + length]));
}

const std::vector<qsizetype> &NoteSearch::matches(const QString &text, quint64 revision,
                                                  const QString &needle, Options options) {
    if (valid_ && text_ == &text && revision == revision_ && needle == needle_ &&
        options == options_)
        return matches_;
    valid_ = true;
    text_ = &text;
    revision_ = revision;
    needle_ = needle;
    options_ = options;
    matches_.clear();
    // Simple case folding keeps every character in its place, so that a search that ignores
    // case runs as a plain one over a folded copy, made once for each version of the note.
    foldedNeedle_ = options.matchCase ? needle : needle.toCaseFolded();
    if (needle.isEmpty())
        return matches_;
    if (!options.matchCase && (foldedRevision_ != revision || folded_.size() != text.size())) {
        folded_ = text.toCaseFolded();
        foldedRevision_ = revision;
    }
    for (qsizetype at = seek(0, false); at >= 0 && qsizetype(matches_.size()) < countLimit;
         at = seek(at + 1, false))
        matches_.push_back(at);
    return matches_;
}

QStringView NoteSearch::haystack() const {
    return options_.matchCase ? QStringView(*text_) : QStringView(folded_);
}

bool NoteSearch::isMatchAt(qsizetype at) const {
    const QStringView text = haystack();
    return valid_ && !foldedNeedle_.isEmpty() && at >= 0 &&
           at + foldedNeedle_.size() <= text.size() &&
           text.sliced(at, foldedNeedle_.size()) == foldedNeedle_ &&
           (!options_.wholeWords || isWholeWord(*text_, at, foldedNeedle_.size()));
}

qsizetype NoteSearch::seek(qsizetype from, bool backwards) const {
    const QStringView text = haystack();
    if (!valid_ || foldedNeedle_.isEmpty())
        return -1;
    for (qsizetype at = from;;) {
        if (backwards) {
            const qsizetype before = std::min(at, text.size()) - 1;
            at = before >= 0 ? text.lastIndexOf(foldedNeedle_, before) : -1;
        } else {
            at = text.indexOf(foldedNeedle_, at);
        }
        if (at < 0 || isMatchAt(at))
            return at;
        at += backwards ? 0 : 1;
    }
}

qsizetype NoteSearch::next(qsizetype from, bool backwards, bool *wrapped) const {
    *wrapped = false;
    qsizetype at = seek(from, backwards);
    if (at < 0) {
        at = seek(backwards ? haystack().size() : 0, backwards);
        *wrapped = at >= 0;
    }
    return at;
}

std::vector<qsizetype> NoteSearch::replaceable() const {
    std::vector<qsizetype> found;
    for (qsizetype at = seek(0, false); at >= 0; at = seek(at + foldedNeedle_.size(), false))
        found.push_back(at);
    return found;
}
