// SPDX-License-Identifier: MIT
#pragma once

#include <QString>

#include <variant>

class QCommandLineOption;
class QCommandLineParser;

/// What `mirt` does with its command line before any window: the help and the version in the
/// user's language, `--note` checked, quick capture carried out, the display looked for. It
/// needs none of the window's libraries, so that a command that only reaches a running Mirt
/// starts quickly; the window is loaded only when the app is to run.
class CommandLine {
public:
    /// The window to run: the note named for the run (empty for the usual one), and whether it
    /// starts hidden.
    struct Window {
        QString notePath;
        bool hidden = false;
    };

    /// The process exit code, or the window to run.
    static std::variant<int, Window> run(int argc, char **argv);

private:
    static QCommandLineOption describeOptions(QCommandLineParser &parser);
};
