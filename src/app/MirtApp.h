// SPDX-License-Identifier: MIT
#pragma once

#include <QApplication>

/// The application: one note model for the life of the process, one main window.
class MirtApp {
public:
    MirtApp(int &argc, char **argv);
    /// Runs the app; returns the process exit code.
    int exec();

    /// The platform's standard font size in points, the note's smallest.
    static double standardFontSize();

private:
    QApplication app_;
};
