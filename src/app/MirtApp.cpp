// SPDX-License-Identifier: MIT
#include "MirtApp.h"

#include "Clock.h"
#include "FileDefaultsStore.h"
#include "MainWindow.h"
#include "Notemodel.h"
#include "OneShotTimer.h"
#include "SingleInstance.h"
#include "UnixSignals.h"
#include "WidgetPresentations.h"

#include <QFontDatabase>
#include <QIcon>
#include <QSessionManager>
#include <QSettings>
#include <QStandardPaths>

MirtApp::MirtApp(int &argc, char **argv)
    : app_(argc, argv) {
    // The names decide where the platform keeps the note and the preferences.
    QApplication::setOrganizationName(QStringLiteral("Mirt"));
    QApplication::setApplicationName(QStringLiteral("Mirt"));
    QApplication::setApplicationDisplayName(QStringLiteral("Mirt"));
    QGuiApplication::setDesktopFileName(QStringLiteral("mirt"));
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/mirt/mirt.svg")));
}

double MirtApp::standardFontSize() {
    const double size = QFontDatabase::systemFont(QFontDatabase::GeneralFont).pointSizeF();
    return size > 0 ? size : 13.0;
}

int MirtApp::exec() {
    const QString dataFolder = QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
    FileDefaultsStore::preparePrivateFolder(dataFolder);
    SingleInstance instance(dataFolder);
    if (!instance.claim()) {
        // Another copy owns the note; two writers would overwrite each other.
        instance.activateRunning();
        return 0;
    }

    FileDefaultsStore store(dataFolder, std::make_unique<QSettings>());
    SystemClock clock;
    QWidget *window = nullptr;
    WidgetPresentations presentations([&window] { return window; });
    NoteModel model(
        {store, clock, std::make_unique<QtOneShotTimer>(), presentations, standardFontSize()});
    MainWindow main(model);
    window = &main;

    // Whatever ends the app, the last keystrokes are written first.
    QObject::connect(&app_, &QApplication::aboutToQuit, &model, &NoteModel::flushAutosave);
    QObject::connect(&app_, &QGuiApplication::commitDataRequest, &model,
                     [&model](QSessionManager &) { model.flushAutosave(); });
    UnixSignals signals;
    QObject::connect(&signals, &UnixSignals::terminationRequested, &model, [&model] {
        model.flushAutosave();
        QApplication::quit();
    });
    QObject::connect(&instance, &SingleInstance::activationRequested, &main,
                     &MainWindow::bringToFront);

    main.show();
    const int code = QApplication::exec();
    model.flushAutosave();
    return code;
}
