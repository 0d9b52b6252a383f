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

/// Everything that lives as long as the app, in the order it is built (and backwards torn down:
/// the window before the model, the model before the store, which writes what is left).
struct MirtApp::Parts {
    explicit Parts(const QString &dataFolder)
        : store(dataFolder, std::make_unique<QSettings>())
        , presentations([this] { return static_cast<QWidget *>(window.get()); })
        , model({store, clock, std::make_unique<QtOneShotTimer>(), presentations,
                 standardFontSize()}) {}

    FileDefaultsStore store;
    SystemClock clock;
    WidgetPresentations presentations;
    NoteModel model;
    UnixSignals signals;
    std::unique_ptr<MainWindow> window;
};

MirtApp::MirtApp(int &argc, char **argv)
    : app_(argc, argv) {
    // The names decide where the platform keeps the note and the preferences.
    QApplication::setOrganizationName(QStringLiteral("Mirt"));
    QApplication::setApplicationName(QStringLiteral("Mirt"));
    QApplication::setApplicationDisplayName(QStringLiteral("Mirt"));
    QGuiApplication::setDesktopFileName(QStringLiteral("mirt"));
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/mirt/mirt.svg")));
}

MirtApp::~MirtApp() {
    if (parts_)
        parts_->model.flushAutosave();
    parts_.reset(); // the writes are done before the claim on the note is given up
}

double MirtApp::standardFontSize() {
    const double size = QFontDatabase::systemFont(QFontDatabase::GeneralFont).pointSizeF();
    return size > 0 ? size : 13.0;
}

bool MirtApp::start() {
    const QString dataFolder = QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
    FileDefaultsStore::preparePrivateFolder(dataFolder);
    // Another copy owns the note; two writers would overwrite each other. The claim comes
    // before the store, which tidies the note's folder when it opens.
    instance_ = std::make_unique<SingleInstance>(dataFolder);
    if (!instance_->claim()) {
        instance_->activateRunning();
        return false;
    }
    parts_ = std::make_unique<Parts>(dataFolder);
    NoteModel &model = parts_->model;
    parts_->window = std::make_unique<MainWindow>(model);

    // Whatever ends the app, the last keystrokes are written first.
    QObject::connect(&app_, &QApplication::aboutToQuit, &model, &NoteModel::flushAutosave);
    QObject::connect(&app_, &QGuiApplication::commitDataRequest, &model,
                     [&model](QSessionManager &) { model.flushAutosave(); });
    QObject::connect(&parts_->signals, &UnixSignals::terminationRequested, &model, [&model] {
        model.flushAutosave();
        QApplication::quit();
    });
    QObject::connect(instance_.get(), &SingleInstance::activationRequested, parts_->window.get(),
                     &MainWindow::bringToFront);
    parts_->window->show();
    return true;
}

int MirtApp::exec() {
    if (!start())
        return 0;
    return QApplication::exec();
}

NoteModel &MirtApp::model() const {
    return parts_->model;
}

MainWindow &MirtApp::mainWindow() const {
    return *parts_->window;
}
