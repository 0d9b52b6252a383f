// SPDX-License-Identifier: MIT
// A 10 MB note changed by another program: the merge, the reload and the checked save.
#include "Cases.h"
#include "Setup.h"

#include "ContentView.h"
#include "FileDefaultsStore.h"
#include "TextMerge.h"

#include <QCoreApplication>
#include <QSettings>
#include <QStringList>
#include <QTemporaryDir>

#include <cstdio>

void otherWriters() {
    std::printf("\n## A 10 MB note changed by another program\n\n");
    QStringList lines = makeNote(10 * MB).split(u'\n');
    const QString base = lines.join(u'\n');
    lines[10] = QStringLiteral("changed here");
    const QString ours = lines.join(u'\n');
    lines[10] = base.section(u'\n', 10, 10);
    lines[lines.size() - 10] = QStringLiteral("changed on the laptop");
    const QString theirs = lines.join(u'\n');
    const Stats merge = measure(1, 10, [&] {
        return timed([&] {
            if (!TextMerge::threeWay(base, ours, theirs))
                qFatal("the merge found a conflict");
        });
    });
    report(QStringLiteral("three-way merge, one line changed on each side"), merge);

    // Taking a version in: the model patches the changed lines into the shown editor.
    const Stats reload = measure(1, 10, [&] {
        Fixture f(base);
        auto view = shownContent(*f.model);
        return timed([&] {
            Q_EMIT f.fakes.store.changedOutside(NoteModel::saveKey, theirs, base, 1);
            runRefreshes();
        });
    });
    report(QStringLiteral("reload of the other version into the window"), reload);

    // The check before each save runs on the writer thread; the UI thread hands over only.
    QTemporaryDir home;
    FileDefaultsStore store(
        home.filePath(QStringLiteral("mirt.note.autosave.txt")), {},
        std::make_unique<QSettings>(home.filePath(QStringLiteral("p.ini")), QSettings::IniFormat));
    store.string(NoteModel::saveKey);
    const QByteArray bytes = base.toUtf8();
    store.setUtf8String(NoteModel::saveKey, bytes);
    store.flush();
    const Stats checked = measure(2, 20, [&] {
        return timed([&] {
            store.setUtf8String(NoteModel::saveKey, bytes);
            store.flush();
        });
    });
    const Stats handOver = measure(2, 20, [&] {
        const double ms = timed([&] { store.setUtf8String(NoteModel::saveKey, bytes); });
        store.flush();
        return ms;
    });
    report(QStringLiteral("save with its check, writer thread"), checked);
    report(QStringLiteral("save hand-over, UI thread"), handOver);
    goal(QStringLiteral("10. merge of a 10 MB note, p99"), merge.p99, 100, QStringLiteral("ms"));
    goal(QStringLiteral("10. reload of a 10 MB note, p99"), reload.p99, 100, QStringLiteral("ms"));
    goal(QStringLiteral("10. UI thread blocked by a checked save, p99"), handOver.p99, 2.0,
         QStringLiteral("ms"));
}
