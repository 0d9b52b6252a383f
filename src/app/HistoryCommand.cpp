// SPDX-License-Identifier: MIT
#include "HistoryCommand.h"

#include "Clock.h"
#include "NoteHistory.h"

#include <QStandardPaths>

#include <cstdio>

namespace HistoryCommand {

int run(const QString &notePath, const QStringList &arguments) {
    const SystemClock clock;
    const NoteHistory history(
        NoteHistory::folderFor(QStandardPaths::writableLocation(QStandardPaths::AppDataLocation),
                               notePath),
        clock);
    const QList<NoteHistory::Version> versions = history.versions();
    if (arguments.isEmpty()) {
        for (qsizetype n = 0; n < versions.size(); ++n) {
            const NoteHistory::Version &version = versions[n];
            const QString line = NoteHistory::firstLine(version);
            std::printf("%lld\t%s\t%s\t%s\t%s\n", static_cast<long long>(n + 1),
                        qPrintable(version.time.toLocalTime().toString(Qt::ISODate)),
                        qPrintable(NoteHistory::kindName(version.kind)),
                        qPrintable(QString(line).replace(u'\t', u' ')), qPrintable(version.path));
        }
        return 0;
    }
    bool number = false;
    const qsizetype n = arguments.first().toLongLong(&number);
    const std::optional<QByteArray> bytes =
        number && n >= 1 && n <= versions.size() ? history.read(versions[n - 1]) : std::nullopt;
    if (!bytes) {
        std::fprintf(stderr, "mirt: no earlier note %s; mirt --history lists them\n",
                     qPrintable(arguments.first()));
        return 1;
    }
    std::fwrite(bytes->constData(), 1, size_t(bytes->size()), stdout);
    return std::fflush(stdout) == 0 ? 0 : 1;
}

} // namespace HistoryCommand
