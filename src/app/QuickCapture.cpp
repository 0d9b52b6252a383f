// SPDX-License-Identifier: MIT
#include "QuickCapture.h"

#include "NoteAppend.h"
#include "NoteEncoding.h"
#include "NoteLocation.h"
#include "Notemodel.h"
#include "RunningCopy.h"
#include "SingleInstance.h"
#include "Translations.h"

#include <QCommandLineParser>
#include <QFile>

#include <cerrno>
#include <cstdio>
#include <unistd.h>
#include <vector>

namespace {

void complain(const QString &message) {
    std::fprintf(stderr, "mirt: %s\n", qPrintable(message));
}

// The bytes given to each --append as they are: the toolkit's decoding of the command line
// would turn bytes that are no UTF-8 into replacement characters, which are valid.
QList<QByteArray> rawAppendValues(int argc, char **argv) {
    QList<QByteArray> values;
    for (int i = 1; i < argc; ++i) {
        const QByteArrayView argument(argv[i]);
        if (argument == "--")
            break;
        if (argument == "--append" && i + 1 < argc)
            values << QByteArray(argv[++i]);
        else if (argument.startsWith("--append="))
            values << argument.sliced(9).toByteArray();
    }
    return values;
}

std::optional<QByteArray> readStandardInput() {
    QFile input;
    if (!input.open(stdin, QIODevice::ReadOnly))
        return std::nullopt;
    QByteArray bytes = input.readAll();
    // A folder, or a closed descriptor, reads as nothing: no text, and no success either.
    if (input.error() != QFileDevice::NoError)
        return std::nullopt;
    // The mark some programs put before UTF-8 tells the encoding; it is no character typed.
    if (bytes.startsWith("\xEF\xBB\xBF"))
        bytes.remove(0, 3);
    return bytes;
}

// None runs: the app starts, and shows the note. In a process of its own, as a plain `mirt`
// would: the bus connection made to ask would not serve the app that follows.
int startApp(int argc, char **argv) {
    std::vector<char *> plain;
    for (int i = 0; i < argc; ++i)
        if (qstrcmp(argv[i], "--toggle") != 0 && qstrcmp(argv[i], "--show") != 0)
            plain.push_back(argv[i]);
    plain.push_back(nullptr);
    const QByteArray program = QFile::encodeName(QCoreApplication::applicationFilePath());
    ::execv(program.constData(), plain.data());
    complain(QuickCapture::tr("cannot start %1: %2")
                 .arg(QCoreApplication::applicationFilePath(), qt_error_string(errno)));
    return 1;
}

} // namespace

QuickCapture::QuickCapture(QCommandLineParser &parser)
    : parser_(parser)
    , toggle_(QStringLiteral("toggle"),
              tr("Show the note, or hide it when it has the keyboard. Starts Mirt when it is not "
                 "running."))
    , show_(QStringLiteral("show"),
            tr("Show the note with the keyboard in it. Starts Mirt when it is not running."))
    , append_(QStringLiteral("append"),
              tr("Add TEXT at the end of the note as lines of their own, or what standard input "
                 "holds for -. Returns once they are saved."),
              tr("TEXT"))
    , hidden_(QStringLiteral("hidden"),
              tr("Start without a window, as at login; --toggle, --show or the shortcut shows "
                 "it.")) {
    parser.addOptions({toggle_, show_, append_, hidden_});
}

bool QuickCapture::startsHidden() const {
    return parser_.isSet(hidden_);
}

std::optional<QString> QuickCapture::linesToAppend(int argc, char **argv) const {
    QList<QByteArray> values = rawAppendValues(argc, argv);
    if (values.size() != parser_.values(append_).size()) // spelled in a way of the parser's own
        values = QList<QByteArray>();
    for (const QString &value : parser_.values(append_).mid(values.size()))
        values << value.toUtf8();
    if (values.count("-") > 1) {
        complain(tr("standard input can be added once; nothing was added"));
        return std::nullopt;
    }
    // Each --append adds lines of its own, in the order given.
    QByteArray bytes;
    for (const QByteArray &value : std::as_const(values)) {
        const std::optional<QByteArray> text = value == "-" ? readStandardInput() : value;
        if (!text) {
            complain(tr("cannot read standard input"));
            return std::nullopt;
        }
        bytes += *text;
        if (!bytes.isEmpty() && !bytes.endsWith('\n'))
            bytes += '\n';
    }
    bool exact = false;
    QString lines = noteFromUtf8(bytes, &exact);
    if (!exact) {
        complain(tr("the text to add is not valid UTF-8; nothing was added"));
        return std::nullopt;
    }
    return lines;
}

std::optional<int> QuickCapture::run(const QString &notePath, int &argc, char **argv) const {
    const bool append = parser_.isSet(append_);
    const QString action = parser_.isSet(toggle_) ? QStringLiteral("toggle")
                           : parser_.isSet(show_) ? QStringLiteral("show")
                           : append               ? QStringLiteral("append")
                                                  : QString();
    if (int(parser_.isSet(toggle_)) + int(parser_.isSet(show_)) + int(append) +
            int(startsHidden()) >
        1) {
        complain(tr("--toggle, --show, --append and --hidden go one at a time"));
        return 2;
    }
    if (action.isEmpty())
        return std::nullopt;
    QCoreApplication core(argc, argv); // for the bus; no window is built
    Translations translations;         // what goes wrong is said in the user's language
    translations.install(QLocale());
    const std::optional<QString> lines = append ? linesToAppend(argc, argv) : QString();
    if (!lines)
        return 1;
    if (append && NoteModel::appendix(QString(), *lines).isEmpty())
        return 0; // nothing to add

    const NoteLocation location = NoteLocation::of(notePath);
    // The running copy takes the request up by then, or never: a command that says it failed
    // must not be carried out later, when a script has tried again.
    const qint64 deadline = SingleInstance::now() + RunningCopy::patience();
    const RunningCopy running(location.path);
    for (;;) {
        QString reason;
        switch (running.send({action, *lines, QString(), deadline}, &reason)) {
        case SingleInstance::Delivery::Done:
            // The lines are on disk; a window shown by a copy that a signal to end reached
            // with the request is gone at once, and the app starts afresh.
            if (append || running.goesOn())
                return 0;
            return startApp(argc, argv);
        case SingleInstance::Delivery::Refused:
            complain(reason);
            return 1;
        case SingleInstance::Delivery::Busy:
            complain(tr("the running Mirt does not answer; nothing was done"));
            return 1;
        case SingleInstance::Delivery::NotRunning:
            break;
        }
        if (!append)
            return startApp(argc, argv);
        SingleInstance instance(location.path, location.usual);
        // The bus connection holds every call made to this process until its event loop
        // first turns, and they fail when it ends: let them be answered at once, from the
        // connection's thread, that the claim is busy while this process writes the file.
        QCoreApplication::processEvents();
        if (instance.claim()) {
            const std::optional<QString> failure =
                NoteAppend::append(location.path, location.options, *lines);
            if (failure)
                complain(*failure);
            return failure ? 1 : 0;
        }
        // Another copy started meanwhile: it takes the lines.
        if (SingleInstance::now() >= deadline) {
            complain(tr("the running Mirt does not answer; nothing was done"));
            return 1;
        }
    }
}
