// SPDX-License-Identifier: MIT
// Saves ever-changing large notes through the real store until it is killed, or `rounds`
// of them, and prints the length of each note once the store has reported it written.
//   store_writer HOME [ROUNDS]
// With `clear` for ROUNDS, each note once written is cleared at once, as Clear Note does.
#include "Clock.h"
#include "FileDefaultsStore.h"
#include "Notemodel.h"

#include <QCoreApplication>
#include <QDir>
#include <QSettings>

#include <cstdio>

using namespace Qt::StringLiterals;

int main(int argc, char **argv) {
    QCoreApplication app(argc, argv);
    const QString home = app.arguments().value(1);
    FileDefaultsStore store(
        QDir(home).filePath(u"data/mirt.note.autosave.txt"_s), {},
        std::make_unique<QSettings>(QDir(home).filePath(u"prefs.ini"_s), QSettings::IniFormat));
    store.string(NoteModel::saveKey); // what the last run left is the version to replace
    const SystemClock clock;
    NoteHistory history(QDir(home).filePath(u"history"_s), clock);
    store.setHistory(&history);
    const bool clearing = app.arguments().value(2) == u"clear"_s;
    const qsizetype rounds = clearing ? -1 : app.arguments().value(2, u"-1"_s).toLongLong();
    for (qsizetype round = 0; round != rounds; ++round) {
        const qsizetype length = 3'000'000 + round * 1000;
        const QString note(length, QChar(char16_t(u'a' + round % 26)));
        store.setString(NoteModel::saveKey, note);
        store.flush();
        std::printf("%lld\n", static_cast<long long>(length));
        std::fflush(stdout);
        if (clearing) {
            store.keepVersion(NoteModel::saveKey, NoteHistory::Kind::BeforeClear, note);
            store.setString(NoteModel::saveKey, QString());
        }
    }
}
