// SPDX-License-Identifier: MIT
// The seeds a random generator runs: its own fixed ones in `make test`, or MIRT_SEEDS seeds from
// MIRT_SEED on, which is how scripts/soak hands out fresh ones and how a failing seed is replayed.
#pragma once

#include <QList>
#include <QtGlobal>

inline QList<quint32> seedsToRun(QList<quint32> fixed) {
    if (!qEnvironmentVariableIsSet("MIRT_SEED"))
        return fixed;
    const quint32 first = qEnvironmentVariable("MIRT_SEED").toUInt();
    const int count = qMax(1, qEnvironmentVariableIntValue("MIRT_SEEDS"));
    QList<quint32> seeds;
    for (int i = 0; i < count; ++i)
        seeds << first + quint32(i);
    return seeds;
}

/// Printed for every seed that fails, for scripts/soak to read.
inline void reportFailingSeed(quint32 seed) { qInfo("failing seed: %u", seed); }
