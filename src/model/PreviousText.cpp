// SPDX-License-Identifier: MIT
#include "PreviousText.h"

#include <algorithm>

void PreviousText::matchCurrent(qsizetype currentSize) {
    prefix_ = currentSize;
    suffix_ = 0;
    middle_.clear();
}

void PreviousText::beforeReplace(const QString &current, qsizetype position, qsizetype removed) {
    const qsizetype size = current.size();
    const qsizetype prefix = std::min(prefix_, position);
    const qsizetype suffix = std::min(suffix_, size - (position + removed));
    if (prefix == prefix_ && suffix == suffix_)
        return; // the edit lies inside the part that already differs
    if (prefix_ == size && suffix_ == 0 && prefix == 0 && suffix == 0) {
        middle_ = current; // a whole replacement: keep the old text itself, shared
    } else {
        // Characters that the edit takes out of the shared prefix or suffix join the middle.
        QString middle;
        middle.reserve((prefix_ - prefix) + middle_.size() + (suffix_ - suffix));
        middle.append(QStringView(current).sliced(prefix, prefix_ - prefix));
        middle.append(middle_);
        middle.append(QStringView(current).sliced(size - suffix_, suffix_ - suffix));
        middle_ = std::move(middle);
    }
    prefix_ = prefix;
    suffix_ = suffix;
}

qsizetype PreviousText::size() const {
    return prefix_ + middle_.size() + suffix_;
}

bool PreviousText::isPrefixOf(const QString &current) const {
    const qsizetype total = size();
    if (total > current.size())
        return false;
    const QStringView text(current);
    // The prefix is shared by construction; the middle and the suffix must stand right after it.
    return text.sliced(prefix_, middle_.size()) == middle_ &&
           text.sliced(total - suffix_, suffix_) == text.sliced(current.size() - suffix_, suffix_);
}

QString PreviousText::toString(const QString &current) const {
    const QStringView text(current);
    QString result;
    result.reserve(size());
    result.append(text.first(prefix_));
    result.append(middle_);
    result.append(text.last(suffix_));
    return result;
}
