// SPDX-License-Identifier: MIT
#include "CommandLine.h"

#include "AtomicFile.h"
#include "HistoryCommand.h"
#include "NoteLocation.h"
#include "QuickCapture.h"
#include "Translations.h"

#include <QCommandLineParser>
#include <QFileInfo>

#include <cstdio>
#include <vector>

namespace {

#if defined(Q_OS_UNIX) && !defined(Q_OS_MACOS)
// Whether a window can be opened: the platforms that draw on screen need the display named in
// the environment; others (offscreen, a frame buffer, VNC) need none. QT_QPA_PLATFORM may name
// several, each tried in turn.
bool hasDisplay() {
    if (!qEnvironmentVariableIsEmpty("DISPLAY") ||
        !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY") ||
        !qEnvironmentVariableIsEmpty("WAYLAND_SOCKET"))
        return true;
    const QString platforms = qEnvironmentVariable("QT_QPA_PLATFORM");
    if (platforms.isEmpty())
        return false;
    for (const QString &platform : platforms.split(u';', Qt::SkipEmptyParts)) {
        const QString name = platform.section(u':', 0, 0).trimmed();
        if (name != QLatin1String("xcb") && !name.startsWith(QLatin1String("wayland")))
            return true;
    }
    return false;
}
#endif

} // namespace

// The options, described in the language of the translations installed.
QCommandLineOption CommandLine::describeOptions(QCommandLineParser &parser) {
    parser.setApplicationDescription(
        QCoreApplication::translate("MirtApp", "A one-note scratchpad that saves itself."));
    parser.addHelpOption();
    parser.addVersionOption();
    const QCommandLineOption note(
        QStringLiteral("note"),
        QCoreApplication::translate("MirtApp", "Keep the note in FILE for this run."),
        QCoreApplication::translate("MirtApp", "FILE"));
    parser.addOption(note);
    parser.addOption(QCommandLineOption(
        QStringLiteral("history"),
        QCoreApplication::translate("MirtApp", "List the note's earlier versions, newest first; "
                                               "with a number N, print the Nth of them.")));
    return note;
}

std::variant<int, CommandLine::Window> CommandLine::run(int argc, char **argv) {
    NoteLocation::nameTheApp();
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    QCommandLineParser parser;
    const QCommandLineOption note = describeOptions(parser);
    const QuickCapture capture(parser);
    const bool parsed = parser.parse(arguments);
    if (!parsed || parser.isSet(QStringLiteral("help")) ||
        parser.isSet(QStringLiteral("help-all"))) {
        // Answered without a window, in the user's language and under the program's own name,
        // which the toolkit takes from a running application.
        char name[] = "mirt"; // not the path the program was started by
        std::vector<char *> named(argv, argv + argc);
        named[0] = name;
        QCoreApplication answering(argc, named.data());
        Translations translations;
        translations.install(QLocale());
        QCommandLineParser translated;
        describeOptions(translated);
        const QuickCapture described(translated);
        if (!parsed) {
            translated.parse(arguments);
            std::fprintf(stderr, "mirt: %s\n", qPrintable(translated.errorText()));
            return 2;
        }
        // The options Mirt takes, all of them; the toolkit's own, which --help-all would add,
        // Mirt refuses, and the toolkit describes them in English only.
        std::fputs(qPrintable(translated.helpText()), stdout);
        return 0;
    }
    if (parser.isSet(QStringLiteral("version"))) {
        std::printf("mirt %s\n", MIRT_VERSION);
        return 0;
    }
    const QString named = parser.value(note);
    // A name the system's encoding cannot spell back would lead to another file than the one
    // named, and one ending in a slash names a folder.
    if (parser.isSet(note) &&
        (named.endsWith(u'/') || named.contains(QChar::ReplacementCharacter))) {
        std::fprintf(stderr, "mirt: %s cannot name the note's file\n", qPrintable(named));
        return 1;
    }
    const QString notePath = parser.isSet(note) ? QFileInfo(named).absoluteFilePath() : QString();
    // A FIFO would hold the app before its window forever, and a device or a folder can never
    // be saved to: the user hears at once, and nothing is replaced.
    if (const auto refusal = notePath.isEmpty() ? std::nullopt : AtomicFile::refusal(notePath)) {
        std::fprintf(stderr, "mirt: %s; the note must be a plain text file\n",
                     qPrintable(*refusal));
        return 1;
    }
    if (parser.isSet(QStringLiteral("history")))
        return HistoryCommand::run(notePath, parser.positionalArguments());
    if (const std::optional<int> code = capture.run(notePath, argc, argv))
        return *code;
#if defined(Q_OS_UNIX) && !defined(Q_OS_MACOS)
    // Without this the toolkit aborts with a core dump and a message about its plugins.
    if (!hasDisplay()) {
        std::fputs("mirt: no display to open a window on (neither DISPLAY nor WAYLAND_DISPLAY "
                   "is set)\n",
                   stderr);
        return 1;
    }
#endif
    return Window{notePath, capture.startsHidden()};
}
