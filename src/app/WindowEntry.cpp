// SPDX-License-Identifier: MIT
// The window's way in: `mirt` loads the library that holds the window only when the app is to
// run, and calls this with what its command line decided.
#include "MirtApp.h"

extern "C" Q_DECL_EXPORT int mirtRunWindow(int argc, char **argv, const char *notePath,
                                           int hidden) {
    static int count = argc; // QApplication keeps a reference to it
    MirtApp app(count, argv, QString::fromUtf8(notePath));
    app.setStartsHidden(hidden != 0);
    return app.exec();
}
