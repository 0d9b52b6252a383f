// SPDX-License-Identifier: MIT
#pragma once

#include "NoteHistory.h"

#include <QObject>

#include <atomic>
#include <thread>

/// Finds the earlier versions of the note that hold some words, on a thread of its own and
/// newest first, so that the first are shown at once and the window stays responsive however
/// many there are.
class HistorySearch : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;
    ~HistorySearch() override;

    /// Looks for `words` (in any case) in `versions`, in their order; a search under way stops.
    void start(QList<NoteHistory::Version> versions, const QString &words);
    void stop();

Q_SIGNALS:
    /// The version at `path` holds the words.
    void found(const QString &path);
    /// Every version was looked at.
    void finished();

private:
    std::atomic<quint64> generation_ = 0;
    std::thread thread_;
};
