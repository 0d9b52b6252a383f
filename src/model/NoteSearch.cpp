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
    if (needle.isEmpty())
        return matches_;
    // Simple case folding keeps every character in its place, so that a search that ignores
    // case runs as a plain one over a folded copy, made once for each version of the note.
    QStringView haystack = text;
    QString foldedNeedle = needle;
    if (!options.matchCase) {
        if (foldedRevision_ != revision || folded_.size() != text.size()) {
            folded_ = text.toCaseFolded();
            foldedRevision_ = revision;
        }
        haystack = folded_;
        foldedNeedle = needle.toCaseFolded();
    }
    for (qsizetype at = haystack.indexOf(foldedNeedle);
         at >= 0 && qsizetype(matches_.size()) < countLimit;
         at = haystack.indexOf(foldedNeedle, at + 1)) {
        if (!options.wholeWords || isWholeWord(text, at, needle.size()))
            matches_.push_back(at);
    }
    return matches_;
}

qsizetype NoteSearch::next(const std::vector<qsizetype> &matches, qsizetype from, bool backwards,
                           bool *wrapped) {
    *wrapped = false;
    if (matches.empty())
        return -1;
    if (!backwards) {
        const auto it = std::lower_bound(matches.begin(), matches.end(), from);
        if (it != matches.end())
            return *it;
        *wrapped = true;
        return matches.front();
    }
    const auto it = std::lower_bound(matches.begin(), matches.end(), from);
    if (it != matches.begin())
        return *std::prev(it);
    *wrapped = true;
    return matches.back();
}
