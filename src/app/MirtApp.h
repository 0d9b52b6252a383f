// SPDX-License-Identifier: MIT
#pragma once

#include "NoteLocation.h"
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

private:
    struct Parts;
    NoteLocation locate() const;

    QApplication app_;
    Translations translations_;
    QString notePath_;
    bool startsHidden_ = false;
    int exitCode_ = 0; // when start() returns false
    std::unique_ptr<SingleInstance> instance_;
    std::unique_ptr<Parts> parts_;
};
