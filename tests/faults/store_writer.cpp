// SPDX-License-Identifier: MIT
// Saves ever-changing large notes through the real store until it is killed, or `rounds`
// of them, and prints the length of each note once the store has reported it written.
//   store_writer HOME [ROUNDS]
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
    const qsizetype rounds = app.arguments().value(2, u"-1"_s).toLongLong();
    for (qsizetype round = 0; round != rounds; ++round) {
        const qsizetype length = 3'000'000 + round * 1000;
        store.setString(NoteModel::saveKey, QString(length, QChar(char16_t(u'a' + round % 26))));
        store.flush();
        std::printf("%lld\n", static_cast<long long>(length));
        std::fflush(stdout);
    }
}
