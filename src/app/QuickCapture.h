// SPDX-License-Identifier: MIT
#pragma once

#include <QCommandLineOption>
#include <QCoreApplication>

#include <optional>

class QCommandLineParser;

/// The command-line modes that reach the note from a terminal, a script or keys bound in the
/// desktop's settings. `--toggle`, `--show` and `--append` go to the Mirt that runs for the
/// note, without building a window of their own; when none runs, `--toggle` and `--show` start
/// the app, and `--append` writes the note file itself, as the one writer of it. `--hidden`
/// starts the app without a window.
class QuickCapture {
    Q_DECLARE_TR_FUNCTIONS(QuickCapture)
public:
    /// Adds the options to `parser`, which reads the command line later.
    explicit QuickCapture(QCommandLineParser &parser);

    /// Carries out what the command line asks, where that needs no window: the process exit
    /// code, or nothing when the app is to start. `--toggle` and `--show` start it afresh when
    /// none runs, and do not return then.
    std::optional<int> run(const QString &notePath, int &argc, char **argv) const;
    /// Whether the app starts without showing its window.
    bool startsHidden() const;

private:
    std::optional<QString> linesToAppend(int argc, char **argv) const;

    QCommandLineParser &parser_;
    QCommandLineOption toggle_;
    QCommandLineOption show_;
    QCommandLineOption append_;
    QCommandLineOption hidden_;
};
