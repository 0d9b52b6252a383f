// SPDX-License-Identifier: MIT
#pragma once

#include "NoteFile.h"
#include "Translations.h"

#include <QApplication>

#include <memory>

class MainWindow;
class NoteModel;
class SingleInstance;

/// The application: one note model for the life of the process, one main window.
class MirtApp {
public:
    /// `notePath`: the note file for this run, from `--note`; empty for the remembered place.
    MirtApp(int &argc, char **argv, const QString &notePath = QString());
    ~MirtApp();

    /// Reads the command line, then starts and runs the app; the process exit code. `--help`,
    /// `--help-all` and `--version` are answered without a window, in the user's language.
    static int run(int argc, char **argv);

    /// Builds the model and the window and shows it. False when another copy of the app owns
    /// the note: that copy was asked to come to the front, and this one has nothing to do; or
    /// when it did not answer, which exec() reports.
    bool start();
    /// Starts, then runs the event loop; returns the process exit code.
    int exec();

    /// Whether start() leaves the window hidden, as `--hidden` asks.
    void setStartsHidden(bool hidden) { startsHidden_ = hidden; }

    NoteModel &model() const;
    MainWindow &mainWindow() const;

    /// The platform's standard font size in points, the note's smallest.
    static double standardFontSize();

    /// Where a run keeps the note, and what the user should hear of it at once.
    struct Location {
        QString path;
        NoteFile::Options options;
        QString problem;
        bool usual = true; // not a file named for one run, whose moves are not remembered
    };
    /// The note's place for `notePath` from `--note`, or the remembered place when it is empty.
    static Location placeOfNote(const QString &notePath);

private:
    struct Parts;
    Location locate() const;

    QApplication app_;
    Translations translations_;
    QString notePath_;
    bool startsHidden_ = false;
    int exitCode_ = 0; // when start() returns false
    std::unique_ptr<SingleInstance> instance_;
    std::unique_ptr<Parts> parts_;
};
