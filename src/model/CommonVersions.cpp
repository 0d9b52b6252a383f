// SPDX-License-Identifier: MIT
#include "CommonVersions.h"

#include <QCryptographicHash>

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

QByteArray CommonVersions::Step::applyTo(const QByteArray &newer) const {
    QByteArray older;
    older.reserve(newer.size() - newerLength + olderMiddle.size());
    older.append(newer.first(prefix))
        .append(olderMiddle)
        .append(newer.sliced(prefix + newerLength));
    return older;
}

namespace {

// Notes smaller than this are kept as they are: compressing them saves little.
constexpr qsizetype compressedFrom = 1024 * 1024;

QByteArray hashOf(const QByteArray &bytes) {
    return QCryptographicHash::hash(bytes, QCryptographicHash::Sha256);
}

} // namespace

QByteArray CommonVersions::current() const {
    return compressed_ ? qUncompress(current_) : current_;
}

bool CommonVersions::isCurrent(const QByteArray &bytes) const {
    if (bytes.size() != size_)
        return false;
    return compressed_ ? hashOf(bytes) == hash_ : bytes == current_;
}

void CommonVersions::keep(const QByteArray &bytes) {
    current_ = bytes;
    compressed_ = false;
    size_ = bytes.size();
    hash_.clear();
    ++generation_;
}

std::optional<CommonVersions::Compaction> CommonVersions::compaction() const {
    if (compressed_ || size_ < compressedFrom)
        return std::nullopt;
    return Compaction{generation_, current_};
}

CommonVersions::Packed CommonVersions::pack(const QByteArray &raw) {
    // The fastest level: several times smaller for text, at about the speed of the disk.
    return {qCompress(raw, 1), hashOf(raw)};
}

void CommonVersions::compacted(quint64 generation, Packed packed) {
    if (generation != generation_ || compressed_)
        return;
    current_ = std::move(packed.compressed);
    hash_ = std::move(packed.hash);
    compressed_ = true;
}

void CommonVersions::start(const QByteArray &bytes) {
    steps_.clear();
    keep(bytes);
}

void CommonVersions::advance(const QByteArray &bytes) {
    if (!isCurrent(bytes)) {
        steps_.push_front(Step::back(bytes, current()));
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
    keep(bytes);
}

namespace {

using LineCounts = QHash<QByteArrayView, qsizetype>;

template<typename Each> void forEachLine(QByteArrayView text, Each each) {
    for (qsizetype at = 0; at < text.size();) {
        const qsizetype feed = text.indexOf('\n', at);
        const qsizetype end = feed < 0 ? text.size() : feed;
        each(text.sliced(at, end - at));
        at = end + 1;
    }
}

LineCounts countLines(QByteArrayView text) {
    LineCounts counts;
    forEachLine(text, [&counts](QByteArrayView line) { ++counts[line]; });
    return counts;
}

// The whole lines of `text` that the bytes from `from` to `to` touch.
QByteArrayView linesAround(QByteArrayView text, qsizetype from, qsizetype to) {
    const qsizetype start = text.first(from).lastIndexOf('\n') + 1;
    const qsizetype feed = text.indexOf('\n', to);
    return text.sliced(start, (feed < 0 ? text.size() : feed) - start);
}

} // namespace

// Whether `side`'s lines (counted) show the change that made `newer` from the version before:
// the lines it added, as many times as `newer` has them, and the lines it took out no more
// often than `newer` has them.
bool CommonVersions::Step::isIn(const LineCounts &side, const QByteArray &newer,
                                const QByteArray &older) const {
    const LineCounts added = countLines(linesAround(newer, prefix, prefix + newerLength));
    const LineCounts removed = countLines(linesAround(older, prefix, prefix + olderMiddle.size()));
    LineCounts inNewer;
    forEachLine(newer, [&](QByteArrayView line) {
        if (added.contains(line) || removed.contains(line))
            ++inNewer[line];
    });
    for (auto line = added.begin(); line != added.end(); ++line)
        if (line.value() > removed.value(line.key()) &&
            side.value(line.key()) < inNewer[line.key()])
            return false;
    for (auto line = removed.begin(); line != removed.end(); ++line)
        if (line.value() > added.value(line.key()) && side.value(line.key()) > inNewer[line.key()])
            return false;
    return true;
}

// The newest version that both have every change that made, back to the oldest remembered:
// one too new would have either side take out, or take back, what the other never had; one
// too old would have both add again what they share. A side that has the last change to a
// version may still lack an earlier one, as a sync engine's copy made elsewhere does.
std::optional<QString> CommonVersions::baseOf(const QString &one, const QString &other) const {
    const QByteArray oneBytes = noteToUtf8(one), otherBytes = noteToUtf8(other);
    const LineCounts inOne = countLines(oneBytes), inOther = countLines(otherBytes);
    // Also a base: a version of which each side holds every line, as often. Neither took out
    // any of it, so what each has beyond it is its own, even where the changes that made it
    // are not what either side did since (a version taken in, then merged with a copy).
    const auto heldByBoth = [&](const QByteArray &version) {
        const LineCounts lines = countLines(version);
        for (auto line = lines.begin(); line != lines.end(); ++line)
            if (inOne.value(line.key()) < line.value() || inOther.value(line.key()) < line.value())
                return false;
        return true;
    };
    QByteArray version = current();
    std::optional<QByteArray> base; // newest first: the version after the last change missed
    qsizetype age = 0, baseAge = 0, heldAge = -1;
    for (const Step &step : steps_) {
        if (heldAge < 0 && heldByBoth(version))
            heldAge = age;
        const QByteArray older = step.applyTo(version);
        if (older.isEmpty())
            break; // a version made from nothing: all of it is what made it
        if (!step.isIn(inOne, version, older) || !step.isIn(inOther, version, older))
            base.reset();
        else if (!base) {
            base = version;
            baseAge = age;
        }
        version = older;
        ++age;
    }
    if (base && (heldAge < 0 || baseAge <= heldAge))
        return decode(*base);
    if (heldAge >= 0) {
        QByteArray held = current();
        for (auto step = steps_.begin(); step != steps_.begin() + heldAge; ++step)
            held = step->applyTo(held);
        return decode(held);
    }
    // The oldest one remembered, or the first: nothing tells what made it, but it may be no
    // base of a version that lacks one of its lines; and were it one of the two, the other
    // would simply replace it, on no evidence that it grew from it. Nor of one that holds
    // none of its lines: a version made elsewhere from nothing would seem to change lines
    // that it never had, and they would be lost.
    const auto holdsALine = [&version](const LineCounts &side) {
        bool holds = false;
        forEachLine(version, [&](QByteArrayView line) {
            holds = holds || (!line.trimmed().isEmpty() && side.contains(line));
        });
        return holds;
    };
    const QString oldest = decode(version);
    if (oldest != one && oldest != other && holdsALine(inOne) && holdsALine(inOther) &&
        TextMerge::keepsEveryLine(oldest, one) && TextMerge::keepsEveryLine(oldest, other))
        return oldest;
    return std::nullopt;
}
