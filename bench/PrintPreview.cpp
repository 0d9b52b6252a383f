// SPDX-License-Identifier: MIT
// Print Preview of a 10 MB note: how long until its first page is on screen, how long the rest
// takes to be counted while the window answers, and the memory it takes.
#include "Harness.h"
#include "NotePreview.h"
#include "NotePrinter.h"
#include "Setup.h"

#include <QCoreApplication>

#include <cstdio>

namespace {

void previewCost() {
    std::printf("\n## Print Preview, 10 MB note\n\n");
    const QString note = makeNote(10 * MB);
    const double before = peakMemoryMiB();
    NotePrinter printer;
    double counted = 0;
    double longestTurn = 0;
    const Stats first = measure(1, 5, [&] {
        QElapsedTimer clock;
        double shown = 0;
        printer.showPreview = [&](QDialog &dialog) {
            auto &preview = static_cast<NotePreview &>(dialog);
            dialog.show();
            while (!preview.hasShownAPage())
                QCoreApplication::processEvents();
            shown = double(clock.nsecsElapsed()) / 1e6;
            while (counted == 0 && !preview.isComplete())
                longestTurn =
                    std::max(longestTurn, timed([] { QCoreApplication::processEvents(); }));
            if (counted == 0)
                counted = double(clock.nsecsElapsed()) / 1e6;
        };
        clock.start();
        printer.preview(note, 13.0, nullptr);
        return shown;
    });
    report(QStringLiteral("Print Preview, 10 MB note: first page shown"), first);
    std::printf("| %-52s | %.0f ms, longest turn %.1f ms |\n", "every page counted", counted,
                longestTurn);
    std::printf("| %-52s | %.0f MiB |\n", "memory it took (peak)", peakMemoryMiB() - before);
    goal(QStringLiteral("15. Print Preview of a 10 MB note, first page shown, p99"), first.p99,
         1000.0, QStringLiteral("ms"));
}

const bool registered = registerCase("preview", &previewCost);

} // namespace
