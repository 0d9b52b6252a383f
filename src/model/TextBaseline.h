// SPDX-License-Identifier: MIT
#pragma once

#include <QString>

/// A remembered earlier version of a text that keeps changing in place.
///
/// It is stored as the difference to the current text: a prefix and a suffix that the two still
/// share, and the remembered characters in between. While the two agree it holds nothing, so
/// remembering a 10 MB note costs no copy, and the current text stays unshared and can be
/// edited in place.
class TextBaseline {
public:
    /// The baseline becomes the current text, of `currentSize` characters.
    void matchCurrent(qsizetype currentSize);
    /// The baseline becomes `text`, which bears no known relation to the current text.
    void setUnrelated(const QString &text);
    /// Call before `current` has `removed` characters at `position` replaced.
    void beforeReplace(const QString &current, qsizetype position, qsizetype removed);

    qsizetype size() const;
    /// Whether the current text starts with the baseline. Cheap when the baseline is related.
    bool isPrefixOf(const QString &current) const;
    /// The baseline spelled out; a full copy.
    QString toString(const QString &current) const;

private:
    bool related_ = true;
    qsizetype prefix_ = 0; // leading characters shared with the current text
    qsizetype suffix_ = 0; // trailing characters shared with the current text
    QString middle_;       // the baseline between them, or all of it when unrelated
};
