// SPDX-License-Identifier: MIT
#include "MirtApp.h"

#include "AtomicFile.h"
#include "CaptureRequests.h"
#include "Clock.h"
#include "ContentView.h"
#include "FileDefaultsStore.h"
#include "MainWindow.h"
#include "MenuCommands.h"
#include "NoteEditor.h"
#include "NoteHistory.h"
#include "Notemodel.h"
#include "NoticeBar.h"
#include "OneShotTimer.h"
#include "QuitGuard.h"
#include "RunningCopy.h"
#include "SingleInstance.h"
#include "Translations.h"
#include "UnixSignals.h"
#include "WidgetDialogs.h"

#include <QDir>
#include <QFontDatabase>
#include <QIcon>
#include <QSessionManager>
#include <QSettings>
#include <QStandardPaths>

#include <cstdio>

namespace {

// "note.txt (~/Sync)": the window list and Alt+Tab tell two notes apart by it.
QString noteTitle(const QString &path) {
    const QFileInfo file(path);
    QString folder = QDir::toNativeSeparators(file.absolutePath());
    const QString home = QDir::toNativeSeparators(QDir::homePath());
    if (folder == home || folder.startsWith(home + QDir::separator()))
        folder.replace(0, home.size(), u'~');
    return QStringLiteral("%1 (%2)").arg(file.fileName(), folder);
}

} // namespace

/// Everything that lives as long as the app, in the order it is built (and backwards torn down:
/// the window before the model, the model before the store, which writes what is left).
struct MirtApp::Parts {
    explicit Parts(const NoteLocation &location)
        : history(NoteHistory::folderFor(
                      QStandardPaths::writableLocation(QStandardPaths::AppDataLocation),
                      location.usual ? QString() : location.path),
                  clock)
        , store(location.path, location.options, std::make_unique<QSettings>(), location.usual)
        , dialogs([this] { return static_cast<QWidget *>(window.get()); })
        , model({store, clock, std::make_unique<QtOneShotTimer>(), dialogs, standardFontSize()}) {
        history.setEnabled(QSettings().value(MenuCommands::keepsHistoryKey, true).toBool());
        store.setHistory(&history);
    }

    SystemClock clock;
    NoteHistory history; // outlives the store, whose writer keeps its versions
    FileDefaultsStore store;
    WidgetDialogs dialogs;
    NoteModel model;
    UnixSignals signals;
    std::unique_ptr<MainWindow> window;
    std::unique_ptr<QuitGuard> quitGuard;
    std::unique_ptr<CaptureRequests> requests;
};

MirtApp::MirtApp(int &argc, char **argv, const QString &notePath)
    : app_(argc, argv)
    , notePath_(notePath) {
    NoteLocation::nameTheApp();
    QApplication::setApplicationDisplayName(QStringLiteral("Mirt"));
    QGuiApplication::setDesktopFileName(SingleInstance::appId);
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/mirt/mirt.svg")));
    translations_.install(QLocale());
}

MirtApp::~MirtApp() {
    parts_.reset(); // the writes are done before the claim on the note is given up
}

double MirtApp::standardFontSize() {
    const double size = QFontDatabase::systemFont(QFontDatabase::GeneralFont).pointSizeF();
    return size > 0 ? size : 13.0;
}

NoteLocation MirtApp::locate() const {
    NoteLocation location = NoteLocation::of(notePath_);
    if (const auto refusal = AtomicFile::refusal(location.path))
        location.problem = QObject::tr("The note cannot be kept where it is: %1. What you type "
                                       "stays here and is saved once that is a plain file "
                                       "again.")
                               .arg(*refusal);
    return location;
}

bool MirtApp::start() {
    const NoteLocation location = locate();
    // Another copy owns this note; two writers would overwrite each other. One that is ending
    // still holds it while it writes the last words: this one waits, and starts after it.
    instance_ = std::make_unique<SingleInstance>(location.path, notePath_.isEmpty());
    const qint64 deadline = SingleInstance::now() + RunningCopy::patience();
    while (!instance_->claim()) {
        QString reason;
        const RunningCopy running(location.path);
        switch (running.send({startsHidden_ ? QStringLiteral("ping") : QStringLiteral("activate"),
                              QString(), QString(), deadline},
                             &reason)) {
        case SingleInstance::Delivery::Done:
            // One that answered as a signal to end came in shows nothing for long: this one
            // starts after it then.
            if (running.goesOn())
                return false;
            continue;
        case SingleInstance::Delivery::NotRunning:
            if (SingleInstance::now() < deadline)
                continue;
            [[fallthrough]];
        default:
            std::fprintf(stderr, "mirt: %s\n",
                         qPrintable(reason.isEmpty()
                                        ? QObject::tr("the running Mirt does not answer")
                                        : reason));
            exitCode_ = 1;
            return false;
        }
    }
    parts_ = std::make_unique<Parts>(location);
    NoteModel &model = parts_->model;
    parts_->window = std::make_unique<MainWindow>(model, &parts_->history);
    QObject::connect(&parts_->history, &NoteHistory::failed, parts_->window->notice(),
                     [notice = parts_->window->notice()](const QString &reason) {
                         notice->inform(QObject::tr("Earlier versions of the note cannot be kept "
                                                    "now: %1. The note itself is saved as ever.")
                                            .arg(reason));
                     });
    if (!notePath_.isEmpty()) // the usual note keeps the app's plain title
        parts_->window->setWindowTitle(noteTitle(notePath_));
    QuitGuard *guard =
        (parts_->quitGuard = std::make_unique<QuitGuard>(model, parts_->dialogs, *parts_->window))
            .get();
    // Moved, the note is claimed anew, so that one copy of the app writes a file.
    parts_->store.setClaim([this](const QString &path) { return instance_->reclaim(path); });

    // Every way out passes here: the window closed, Quit, and a termination signal all quit
    // the event loop. A session that ends asks for the data first.
    // An ending copy takes no more requests: their senders wait for the next one.
    QObject::connect(&app_, &QApplication::aboutToQuit, instance_.get(),
                     [this] { instance_->setHandler(nullptr); });
    QObject::connect(&app_, &QApplication::aboutToQuit, guard, &QuitGuard::finish);
    QObject::connect(&app_, &QGuiApplication::commitDataRequest, guard,
                     [guard](QSessionManager &) { guard->finish(); });
    // Not quit(), which a window may refuse: a signal leaves nobody to answer a question.
    QObject::connect(&parts_->signals, &UnixSignals::terminationRequested, &app_,
                     [] { QCoreApplication::exit(0); });
    parts_->requests =
        std::make_unique<CaptureRequests>(*instance_, *parts_->window, model, notePath_.isEmpty());
    // The keyboard is the note's from the first frame, never a notice's button first.
    parts_->window->content()->editor()->setFocus();
    if (startsHidden_)
        parts_->requests->standBy();
    else
        parts_->window->show();
    if (!location.problem.isEmpty())
        parts_->window->notice()->alert(location.problem);
    for (const QString &copy : QuitGuard::emergencyCopies())
        parts_->window->nameKeptFile(
            QObject::tr("When Mirt last ended, the note could not be saved. What it held then "
                        "is kept in %1.")
                .arg(QDir::toNativeSeparators(copy)),
            copy);
    return true;
}

int MirtApp::exec() {
    if (!start())
        return exitCode_;
    return QApplication::exec();
}

NoteModel &MirtApp::model() const {
    return parts_->model;
}

MainWindow &MirtApp::mainWindow() const {
    return *parts_->window;
}
