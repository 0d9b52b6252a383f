// SPDX-License-Identifier: MIT
#pragma once

#include <QByteArray>
#include <QHash>
#include <QString>

#include <deque>
#include <optional>

/// The version of the note that the app and the disk agree on, and the earlier ones, kept as
/// the steps back to them: a sync engine's conflict copy was made from one of those, and
/// merging it needs that one.
///
/// A large version is kept compressed once the writer has time (compact()): it is needed whole
/// only when another program changed the note, and held as it is it would be one more copy of
/// the note in memory.
class CommonVersions {
public:
    /// The bytes both sides agree on now.
    QByteArray current() const;
    qsizetype currentSize() const { return size_; }
    /// Grows with every version that becomes the current one.
    quint64 generation() const { return generation_; }
    /// Whether `bytes` are the version both sides agree on.
    bool isCurrent(const QByteArray &bytes) const;
    /// `bytes` are the one version known, as at a start or in a new place.
    void start(const QByteArray &bytes);
    /// `bytes` are the newer version both sides agree on; the one before is kept.
    void advance(const QByteArray &bytes);
    /// Of the versions kept, the one that two versions of the note both grew from.
    std::optional<QString> baseOf(const QString &one, const QString &other) const;

    /// Work to compress the current version, to run without a lock, when there is any.
    struct Compaction {
        quint64 generation;
        QByteArray raw;
    };
    std::optional<Compaction> compaction() const;
    struct Packed {
        QByteArray compressed;
        QByteArray hash;
    };
    /// The slow part of a compaction, on any thread.
    static Packed pack(const QByteArray &raw);
    /// Keeps the packed version, unless a newer one came meanwhile.
    void compacted(quint64 generation, Packed packed);

private:
    /// How to turn one version into the one before it: the earlier bytes between the start and
    /// the end both share. Saves differ by what was typed between them, so a step is small
    /// where a whole copy of a large note would not be.
    struct Step {
        qsizetype prefix = 0;
        qsizetype newerLength = 0;
        QByteArray olderMiddle;

        static Step back(const QByteArray &newer, const QByteArray &older);
        QByteArray applyTo(const QByteArray &newer) const;
        bool isIn(const QHash<QByteArrayView, qsizetype> &side, const QByteArray &newer,
                  const QByteArray &older) const;
    };

    void keep(const QByteArray &bytes);

    QByteArray current_; // as it is, or compressed
    bool compressed_ = false;
    qsizetype size_ = 0; // of the bytes as they are
    QByteArray hash_;    // of the bytes, while compressed
    quint64 generation_ = 0;
    std::deque<Step> steps_; // newest first
};
