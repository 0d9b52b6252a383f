// SPDX-License-Identifier: MIT
#include "MirtApp.h"

#include "AtomicFile.h"
#include "CaptureRequests.h"
#include "Clock.h"
#include "ContentView.h"
#include "FileDefaultsStore.h"
#include "MainWindow.h"
#include "NoteEditor.h"
#include "Notemodel.h"
#include "NoticeBar.h"
#include "OneShotTimer.h"
#include "QuickCapture.h"
#include "QuitGuard.h"
#include "RunningCopy.h"
#include "SingleInstance.h"
#include "Translations.h"
#include "UnixSignals.h"
#include "WidgetDialogs.h"

#include <QCommandLineParser>
#include <QDir>
#include <QFontDatabase>
#include <QIcon>
#include <QSessionManager>
#include <QSettings>
#include <QStandardPaths>

#include <cstdio>

namespace {

const QString noteFileName = QStringLiteral("mirt.note.autosave.txt");

// The options, described in the language of the translations installed.
QCommandLineOption describeOptions(QCommandLineParser &parser) {
    parser.setApplicationDescription(
        QCoreApplication::translate("MirtApp", "A one-note scratchpad that saves itself."));
    parser.addHelpOption();
    parser.addVersionOption();
    const QCommandLineOption note(
        QStringLiteral("note"),
        QCoreApplication::translate("MirtApp", "Keep the note in FILE for this run."),
        QCoreApplication::translate("MirtApp", "FILE"));
    parser.addOption(note);
    return note;
}

void nameTheApp() {
    // The names decide where the platform keeps the note and the preferences.
    QCoreApplication::setOrganizationName(QStringLiteral("Mirt"));
    QCoreApplication::setApplicationName(QStringLiteral("Mirt"));
    QCoreApplication::setApplicationVersion(QStringLiteral(MIRT_VERSION));
}

// "note.txt (~/Sync)": the window list and Alt+Tab tell two notes apart by it.
QString noteTitle(const QString &path) {
    const QFileInfo file(path);
    QString folder = QDir::toNativeSeparators(file.absolutePath());
    const QString home = QDir::toNativeSeparators(QDir::homePath());
    if (folder == home || folder.startsWith(home + QDir::separator()))
        folder.replace(0, home.size(), u'~');
    return QStringLiteral("%1 (%2)").arg(file.fileName(), folder);
}

#if defined(Q_OS_UNIX) && !defined(Q_OS_MACOS)
// Whether a window can be opened: the platforms that draw on screen need the display named in
// the environment; others (offscreen, a frame buffer, VNC) need none. QT_QPA_PLATFORM may name
// several, each tried in turn.
bool hasDisplay() {
    if (!qEnvironmentVariableIsEmpty("DISPLAY") ||
        !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY") ||
        !qEnvironmentVariableIsEmpty("WAYLAND_SOCKET"))
        return true;
    const QString platforms = qEnvironmentVariable("QT_QPA_PLATFORM");
    if (platforms.isEmpty())
        return false;
    for (const QString &platform : platforms.split(u';', Qt::SkipEmptyParts)) {
        const QString name = platform.section(u':', 0, 0).trimmed();
        if (name != QLatin1String("xcb") && !name.startsWith(QLatin1String("wayland")))
            return true;
    }
    return false;
}
#endif

} // namespace

/// Everything that lives as long as the app, in the order it is built (and backwards torn down:
/// the window before the model, the model before the store, which writes what is left).
struct MirtApp::Parts {
    explicit Parts(const Location &location)
        : store(location.path, location.options, std::make_unique<QSettings>(), location.usual)
        , dialogs([this] { return static_cast<QWidget *>(window.get()); })
        , model({store, clock, std::make_unique<QtOneShotTimer>(), dialogs, standardFontSize()}) {}

    FileDefaultsStore store;
    SystemClock clock;
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
    nameTheApp();
    QApplication::setApplicationDisplayName(QStringLiteral("Mirt"));
    QGuiApplication::setDesktopFileName(SingleInstance::appId);
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/mirt/mirt.svg")));
    translations_.install(QLocale());
}

MirtApp::~MirtApp() {
    parts_.reset(); // the writes are done before the claim on the note is given up
}

int MirtApp::run(int argc, char **argv) {
    nameTheApp();
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    QCommandLineParser parser;
    const QCommandLineOption note = describeOptions(parser);
    const QuickCapture capture(parser);
    const bool parsed = parser.parse(arguments);
    if (!parsed || parser.isSet(QStringLiteral("help")) ||
        parser.isSet(QStringLiteral("help-all"))) {
        // Answered without a window, in the user's language and under the program's own name,
        // which the toolkit takes from a running application.
        char name[] = "mirt"; // not the path the program was started by
        std::vector<char *> named(argv, argv + argc);
        named[0] = name;
        QCoreApplication answering(argc, named.data());
        Translations translations;
        translations.install(QLocale());
        QCommandLineParser translated;
        describeOptions(translated);
        const QuickCapture described(translated);
        if (!parsed) {
            translated.parse(arguments);
            std::fprintf(stderr, "mirt: %s\n", qPrintable(translated.errorText()));
            return 2;
        }
        // The options Mirt takes, all of them; the toolkit's own, which --help-all would add,
        // Mirt refuses, and the toolkit describes them in English only.
        std::fputs(qPrintable(translated.helpText()), stdout);
        return 0;
    }
    if (parser.isSet(QStringLiteral("version"))) {
        std::printf("mirt %s\n", MIRT_VERSION);
        return 0;
    }
    const QString named = parser.value(note);
    // A name the system's encoding cannot spell back would lead to another file than the one
    // named, and one ending in a slash names a folder.
    if (parser.isSet(note) &&
        (named.endsWith(u'/') || named.contains(QChar::ReplacementCharacter))) {
        std::fprintf(stderr, "mirt: %s cannot name the note's file\n", qPrintable(named));
        return 1;
    }
    const QString notePath = parser.isSet(note) ? QFileInfo(named).absoluteFilePath() : QString();
    // A FIFO would hold the app before its window forever, and a device or a folder can never
    // be saved to: the user hears at once, and nothing is replaced.
    if (const auto refusal = notePath.isEmpty() ? std::nullopt : AtomicFile::refusal(notePath)) {
        std::fprintf(stderr, "mirt: %s; the note must be a plain text file\n",
                     qPrintable(*refusal));
        return 1;
    }
    if (const std::optional<int> code = capture.run(notePath, argc, argv))
        return *code;
#if defined(Q_OS_UNIX) && !defined(Q_OS_MACOS)
    // Without this the toolkit aborts with a core dump and a message about its plugins.
    if (!hasDisplay()) {
        std::fputs("mirt: no display to open a window on (neither DISPLAY nor WAYLAND_DISPLAY "
                   "is set)\n",
                   stderr);
        return 1;
    }
#endif
    MirtApp app(argc, argv, notePath);
    app.setStartsHidden(capture.startsHidden());
    return app.exec();
}

double MirtApp::standardFontSize() {
    const double size = QFontDatabase::systemFont(QFontDatabase::GeneralFont).pointSizeF();
    return size > 0 ? size : 13.0;
}

MirtApp::Location MirtApp::locate() const {
    Location location = placeOfNote(notePath_);
    if (const auto refusal = AtomicFile::refusal(location.path))
        location.problem = QObject::tr("The note cannot be kept where it is: %1. What you type "
                                       "stays here and is saved once that is a plain file "
                                       "again.")
                               .arg(*refusal);
    return location;
}

MirtApp::Location MirtApp::placeOfNote(const QString &notePath) {
    if (!notePath.isEmpty())
        return {notePath, {.createFolder = true, .privateFolder = false}, QString(), false};
    const QString remembered = QSettings().value(FileDefaultsStore::noteFolderKey).toString();
    if (!remembered.isEmpty()) {
        Location location{QDir(remembered).filePath(noteFileName),
                          {.createFolder = false, .privateFolder = false},
                          QString()};
        // An unmounted drive: say so, and never start an empty note somewhere else instead.
        if (!QDir(remembered).exists())
            location.problem =
                QObject::tr("The note's folder %1 cannot be found; is its drive unmounted? "
                            "What you type stays here and is saved there once it is back.")
                    .arg(QDir::toNativeSeparators(remembered));
        return location;
    }
    const QString data = QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
    return {QDir(data).filePath(noteFileName),
            {.createFolder = true, .privateFolder = true},
            QString()};
}

bool MirtApp::start() {
    const Location location = locate();
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
            if (running.holdsOnFor(300))
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
    parts_->window = std::make_unique<MainWindow>(model);
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
