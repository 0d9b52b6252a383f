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
class CommonVersions {
public:
    /// The bytes both sides agree on now.
    const QByteArray &current() const { return current_; }
    /// `bytes` are the one version known, as at a start or in a new place.
    void start(const QByteArray &bytes);
    /// `bytes` are the newer version both sides agree on; the one before is kept.
    void advance(const QByteArray &bytes);
    /// Of the versions kept, the one that two versions of the note both grew from.
    std::optional<QString> baseOf(const QString &one, const QString &other) const;

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

    QByteArray current_;
    std::deque<Step> steps_; // newest first
};
