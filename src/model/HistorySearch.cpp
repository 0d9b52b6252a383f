// SPDX-License-Identifier: MIT
#include "HistorySearch.h"

#include "DiskState.h"
#include "NoteEncoding.h"

HistorySearch::~HistorySearch() {
    stop();
}

void HistorySearch::stop() {
    ++generation_;
    if (thread_.joinable())
        thread_.join();
}

void HistorySearch::start(QList<NoteHistory::Version> versions, const QString &words) {
    stop();
    const quint64 generation = generation_;
    thread_ = std::thread([this, generation, versions = std::move(versions), words] {
        const auto current = [this, generation] {
            return generation_ == generation;
        };
        // Told through the event loop, and only while this search is still the one wanted.
        const auto tell = [this, current](auto signal) {
            QMetaObject::invokeMethod(
                this,
                [this, current, signal] {
                    if (current())
                        signal(this);
                },
                Qt::QueuedConnection);
        };
        for (const NoteHistory::Version &version : versions) {
            if (!current())
                return;
            const std::optional<QByteArray> bytes = readRegularFile(version.path);
            bool exact = false;
            if (bytes && noteFromUtf8(*bytes, &exact).contains(words, Qt::CaseInsensitive))
                tell([path = version.path](HistorySearch *self) { Q_EMIT self->found(path); });
        }
        tell([](HistorySearch *self) { Q_EMIT self->finished(); });
    });
}
