// SPDX-License-Identifier: MIT
// Mirt's speed and memory against the toolkit's own floor and a peer editor.
//
//   mirt_bench [CASE...]       every case, or the ones named (run under Xvfb: `make bench`):
//                              keystroke painted meeting edits autosave longline load huge
//                              writers find startup memory peer, and those registered
//                              from files of their own (count capture history preview)
//   mirt_bench --painted       the painted-keystroke cases only, on the current platform
//   mirt_bench --startup app|bare FILE, --memory: children that the cases above start
#include "Cases.h"
#include "Harness.h"
#include "Setup.h"

#include <QApplication>
#include <QProcess>
#include <QProcessEnvironment>

#include <cstdio>

int main(int argc, char **argv) {
    if (argc >= 3 && qstrcmp(argv[1], "--startup") == 0)
        return startupChild(argc, argv);
    if (argc >= 2 && qstrcmp(argv[1], "--memory") == 0)
        return memoryChild(argc, argv);

    QApplication app(argc, argv);
    std::printf("| %-52s | %9s | %9s | %9s | %9s | %5s |\n", "case (milliseconds)", "median", "p99",
                "min", "max", "runs");
    if (app.arguments().contains(QStringLiteral("--painted"))) {
        paintedKeystrokes();
        return 0;
    }
    // Cases may be named on the command line; by default every one runs.
    const QStringList chosen = app.arguments().mid(1);
    const auto wanted = [&chosen](const char *name) {
        return chosen.isEmpty() || chosen.contains(QLatin1String(name));
    };
    if (wanted("keystroke"))
        keystrokeToModel();
    if (wanted("painted")) {
        paintedKeystrokes();
        // The same cases on the offscreen platform, in a child of their own.
        QProcess offscreen;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        offscreen.setProcessEnvironment(env);
        offscreen.setProcessChannelMode(QProcess::ForwardedChannels);
        offscreen.start(self(), {QStringLiteral("--painted")});
        offscreen.waitForFinished(-1);
    }
    if (wanted("meeting"))
        meetingReturn();
    if (wanted("edits"))
        wholeNoteEdits();
    if (wanted("autosave"))
        autosave();
    if (wanted("longline"))
        longLine();
    if (wanted("load"))
        largeLoad();
    if (wanted("huge"))
        hugeLoad();
    if (wanted("writers"))
        otherWriters();
    if (wanted("find"))
        findAndSpelling();
    runRegisteredCases(wanted);
    if (wanted("startup"))
        startup();
    if (wanted("memory"))
        memory();
    if (wanted("peer"))
        peer(QCoreApplication::applicationDirPath() + QStringLiteral("/../src/app/mirt"));
    std::printf("\n%d goal(s) fell short in this process (the offscreen child reports its own).\n",
                shortfalls());
    return 0;
}
