// SPDX-License-Identifier: MIT
#pragma once

#include <QString>

/// A note's claim in the user's runtime folder: a lock file held with flock(), which the system
/// lets go of when the process ends, however it ends. No process id is kept in it: by the time
/// anyone reads one, it may belong to another program.
class NoteClaim {
public:
    explicit NoteClaim(QString path);
    ~NoteClaim();
    NoteClaim(const NoteClaim &) = delete;
    NoteClaim &operator=(const NoteClaim &) = delete;

    enum class Outcome { Taken, HeldElsewhere, Impossible };
    /// Takes the claim, unless another process (or another claim of this one) holds it, or the
    /// folder lets nobody make one.
    Outcome take();
    /// Gives the claim up and removes its file.
    void release();
    bool isHeld() const { return fd_ >= 0; }

    /// Whether anyone holds the claim at `path` now. Asking takes nothing for longer than the
    /// question, and writes nothing.
    static bool isHeldAt(const QString &path);

private:
    QString path_;
    int fd_ = -1;
};
