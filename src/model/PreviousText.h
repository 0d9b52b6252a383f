// SPDX-License-Identifier: MIT
#pragma once

#include <QString>

/// The note as the meeting-mode handler last saw it, while the note keeps changing in place.
///
/// It is stored as the difference to the current text: a prefix and a suffix that the two still
/// share, and the remembered characters in between. While the two agree it holds nothing, so
/// remembering a 10 MB note costs no copy, and the current text stays unshared and can be
/// edited in place.
class PreviousText {
public:
    /// The previous text becomes the current text, of `currentSize` characters.
    void matchCurrent(qsizetype currentSize);
    /// Call before `current` has `removed` characters at `position` replaced.
    void beforeReplace(const QString &current, qsizetype position, qsizetype removed);

    qsizetype size() const;
    /// Whether the current text starts with the previous one.
    bool isPrefixOf(const QString &current) const;
    /// The previous text spelled out; a full copy.
    QString toString(const QString &current) const;

private:
    qsizetype prefix_ = 0; // leading characters shared with the current text
    qsizetype suffix_ = 0; // trailing characters shared with the current text
    QString middle_;       // the previous text between them
};
