// SPDX-License-Identifier: MIT
#include "CommonVersions.h"

#include "NoteEncoding.h"
#include "TextMerge.h"

#include <algorithm>
#include <cstring>

namespace {

// How long a start, or an end, two byte arrays share: a block at a time, then byte by byte.
qsizetype sharedStart(QByteArrayView a, QByteArrayView b) {
    const qsizetype limit = std::min(a.size(), b.size());
    constexpr qsizetype block = 4096;
    qsizetype at = 0;
    while (at + block <= limit && std::memcmp(a.data() + at, b.data() + at, block) == 0)
        at += block;
    while (at < limit && a[at] == b[at])
        ++at;
    return at;
}

qsizetype sharedEnd(QByteArrayView a, QByteArrayView b) {
    const qsizetype limit = std::min(a.size(), b.size());
    constexpr qsizetype block = 4096;
    qsizetype at = 0;
    while (at + block <= limit && std::memcmp(a.data() + a.size() - at - block,
                                              b.data() + b.size() - at - block, block) == 0)
        at += block;
    while (at < limit && a[a.size() - 1 - at] == b[b.size() - 1 - at])
        ++at;
    return at;
}

QString decode(const QByteArray &bytes) {
    bool exact = false;
    return noteFromUtf8(bytes, &exact);
}

} // namespace

CommonVersions::Step CommonVersions::Step::back(const QByteArray &newer, const QByteArray &older) {
    const qsizetype prefix = sharedStart(newer, older);
    const qsizetype suffix =
        sharedEnd(QByteArrayView(newer).sliced(prefix), QByteArrayView(older).sliced(prefix));
    return {prefix, newer.size() - prefix - suffix,
            older.sliced(prefix, older.size() - prefix - suffix)};
}

/// The newer version's bytes around what the step changed, whole characters only.
QByteArray CommonVersions::Step::around(const QByteArray &newer) const {
    constexpr qsizetype context = 24;
    qsizetype from = std::max<qsizetype>(0, prefix - context);
    qsizetype to = std::min(newer.size(), prefix + newerLength + context);
    const auto continues = [&newer](qsizetype at) {
        return at < newer.size() && (uchar(newer[at]) & 0xC0) == 0x80;
    };
    while (continues(from))
        ++from;
    while (to > from && continues(to))
        --to;
    return newer.sliced(from, to - from);
}

QByteArray CommonVersions::Step::applyTo(const QByteArray &newer) const {
    QByteArray older;
    older.reserve(newer.size() - newerLength + olderMiddle.size());
    older.append(newer.first(prefix))
        .append(olderMiddle)
        .append(newer.sliced(prefix + newerLength));
    return older;
}

void CommonVersions::start(const QByteArray &bytes) {
    steps_.clear();
    current_ = bytes;
}

void CommonVersions::advance(const QByteArray &bytes) {
    if (bytes != current_) {
        steps_.push_front(Step::back(bytes, current_));
        constexpr size_t versions = 8;
        constexpr qsizetype budget = 16 * 1024 * 1024;
        qsizetype total = 0;
        for (auto step = steps_.begin(); step != steps_.end(); ++step) {
            total += step->olderMiddle.size();
            if (size_t(step - steps_.begin()) == versions || total > budget) {
                steps_.erase(step, steps_.end());
                break;
            }
        }
    }
    current_ = bytes;
}

// A version is known by the text around the change that made it; one too new would have
// either side take out, or take back, what the other never had.
std::optional<QString> CommonVersions::baseOf(const QString &one, const QString &other) const {
    QByteArray version = current_;
    for (const Step &step : steps_) {
        const QByteArray older = step.applyTo(version);
        if (older.isEmpty())
            break; // a version made from nothing: all of it is what made it
        const QString mark = decode(step.around(version));
        if (one.contains(mark) && other.contains(mark))
            return decode(version);
        version = older;
    }
    // The oldest one remembered, or the first: nothing tells what made it, but it may be no
    // base of a version that lacks one of its lines; and were it one of the two, the other
    // would simply replace it, on no evidence that it grew from it.
    const QString oldest = decode(version);
    if (oldest != one && oldest != other && TextMerge::keepsEveryLine(oldest, one) &&
        TextMerge::keepsEveryLine(oldest, other))
        return oldest;
    return std::nullopt;
}
