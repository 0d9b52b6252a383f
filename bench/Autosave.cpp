// SPDX-License-Identifier: MIT
// The autosave of a 10 MB note: what the UI thread pays, and the write itself.
#include "Cases.h"
#include "Setup.h"

#include "FileDefaultsStore.h"

#include <QCoreApplication>
#include <QSaveFile>
#include <QSettings>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>

void autosave() {
    std::printf("\n## Autosave of a 10 MB note\n\n");
    QTemporaryDir home;
    FileDefaultsStore store(
        home.filePath(QStringLiteral("data/mirt.note.autosave.txt")), {},
        std::make_unique<QSettings>(home.filePath(QStringLiteral("p.ini")), QSettings::IniFormat));
    const QString note = makeNote(10 * MB);
    Fixture f(note, &store);
    std::vector<double> blocked;
    const Stats submit = measure(2, 30, [&] {
        f.model->replaceText(f.model->text().size(), 0, u"x");
        const double handOver = timed([&] { f.fireAutosave(); });
        // The note is encoded a slice per turn of the event loop; the longest turn is what
        // a keystroke may have to wait for.
        double longestTurn = handOver;
        for (int i = 0; i < 100; ++i) // more turns than the note has slices
            longestTurn = std::max(longestTurn, timed([] { QCoreApplication::processEvents(); }));
        const double nextKey =
            timed([&] { f.model->replaceText(f.model->text().size(), 0, u"y"); });
        blocked.push_back(std::max(longestTurn, nextKey));
        store.flush();
        QCoreApplication::processEvents();
        return handOver;
    });
    std::sort(blocked.begin(), blocked.end());
    const double blockedP99 = blocked[size_t(0.99 * (blocked.size() - 1) + 0.5)];
    report(QStringLiteral("autosave hand-over on the UI thread"), submit);
    std::printf("| %-52s | p99 %.3f ms (longest turn of the event loop while saving) |\n",
                "UI thread blocked by an autosave", blockedP99);

    const Stats write = measure(1, 30, [&] {
        f.model->replaceText(f.model->text().size(), 0, u"z");
        return timed([&] {
            f.fireAutosave();
            f.model->flushAutosave(); // encodes what is left at once, then waits for the disk
        });
    });
    const QByteArray bytes = f.model->text().toUtf8();
    const QString barePath = home.filePath(QStringLiteral("bare.txt"));
    const Stats bare = measure(1, 30, [&] {
        return timed([&] {
            QSaveFile file(barePath);
            file.open(QIODevice::WriteOnly);
            file.write(bytes);
            file.commit();
        });
    });
    report(QStringLiteral("autosave write, Mirt store"), write);
    report(QStringLiteral("write, bare QSaveFile of the same bytes"), bare);
    goal(QStringLiteral("4. UI thread blocked by an autosave, p99"), blockedP99, 2.0,
         QStringLiteral("ms"));
    goal(QStringLiteral("4. autosave write p99 / bare QSaveFile"), write.p99 / bare.p99, 1.5,
         QStringLiteral("x"));
}
