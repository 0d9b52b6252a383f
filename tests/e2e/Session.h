// SPDX-License-Identifier: MIT
// What the end-to-end tests share: a user's home with the real binary running in it, keys typed
// through xdotool, and the commands a script runs.
#pragma once

#include "Files.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <functional>
#include <memory>

using namespace Qt::StringLiterals;

inline QString xdotool(const QStringList &arguments) {
    QProcess process;
    process.start(u"xdotool"_s, arguments);
    if (!process.waitForFinished(15000))
        qFatal("xdotool %s hung", qPrintable(arguments.join(u' ')));
    return QString::fromUtf8(process.readAllStandardOutput()).trimmed();
}

/// One user's home with its own settings and data, and the app running in it.
class Session {
public:
    Session() {
        env_ = QProcessEnvironment::systemEnvironment();
        env_.insert(u"XDG_CONFIG_HOME"_s, home_.filePath(u"config"_s));
        env_.insert(u"XDG_DATA_HOME"_s, home_.filePath(u"data"_s));
        const QString runtime = home_.filePath(u"run"_s);
        QDir().mkpath(runtime);
        QFile::setPermissions(runtime, QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                           QFileDevice::ExeOwner);
        env_.insert(u"XDG_RUNTIME_DIR"_s, runtime);
        env_.insert(u"QT_QPA_PLATFORM"_s, u"xcb"_s);
    }
    ~Session() {
        for (QProcess *p : processes_) {
            p->kill();
            p->waitForFinished(5000);
            delete p;
        }
        killBus();
    }

    /// Starts the app and gives its window the keyboard; returns the process.
    QProcess *launch(const QStringList &arguments = {}) {
        QProcess *process = start(arguments);
        window_ = xdotool({u"search"_s, u"--sync"_s, u"--onlyvisible"_s, u"--pid"_s,
                           QString::number(process->processId())})
                      .split(u'\n')
                      .first();
        xdotool({u"windowfocus"_s, u"--sync"_s, window_});
        QTest::qWait(300); // the editor takes the focus 50 ms after the window appears
        return process;
    }
    QProcess *start(const QStringList &arguments = {}) {
        auto *process = new QProcess;
        process->setProcessEnvironment(env_);
        process->setProcessChannelMode(QProcess::ForwardedChannels);
        process->start(QStringLiteral(MIRT_BINARY), arguments);
        processes_ << process;
        if (!process->waitForStarted(10000))
            qFatal("mirt did not start");
        return process;
    }

    /// Runs `mirt ARGUMENTS` to its end, with no display: a command that reaches the running
    /// app builds no window. Returns its exit code, and what it printed in `printed`.
    int command(const QStringList &arguments, const QByteArray &input = {},
                QByteArray *printed = nullptr) {
        QByteArray output;
        const int code = commands({arguments}, input, &output);
        if (printed)
            *printed = output;
        return code;
    }
    /// Starts `mirt ARGUMENTS` with `input` on its standard input, with no display.
    std::unique_ptr<QProcess> startCommand(const QStringList &arguments, const QByteArray &input) {
        auto process = std::make_unique<QProcess>();
        QProcessEnvironment env = env_;
        env.remove(u"DISPLAY"_s);
        process->setProcessEnvironment(env);
        process->setProcessChannelMode(QProcess::MergedChannels);
        process->start(QStringLiteral(MIRT_BINARY), arguments);
        process->write(input);
        process->waitForBytesWritten(); // now, not once the others have ended
        process->closeWriteChannel();
        return process;
    }
    /// Runs the commands at once, as scripts do: the highest exit code, and what they printed.
    int commands(const QList<QStringList> &argumentLists, const QByteArray &input,
                 QByteArray *printed) {
        std::vector<std::unique_ptr<QProcess>> processes;
        for (const QStringList &arguments : argumentLists)
            processes.push_back(startCommand(arguments, input));
        int code = 0;
        for (auto &process : processes) {
            if (!process->waitForFinished(30000))
                qFatal("mirt %s hung", qPrintable(process->arguments().join(u' ')));
            *printed += process->readAll();
            code = std::max(
                code, process->exitStatus() == QProcess::NormalExit ? process->exitCode() : -1);
        }
        return code;
    }
    /// Runs `mirt ARGUMENTS` with every read of the note held up for a second, and calls
    /// `meanwhile` while the first one is held: another program writing at the worst moment.
    int commandDuringRead(const QStringList &arguments, const std::function<void()> &meanwhile) {
        QTemporaryDir trace;
        const QString traced = trace.filePath(u"log"_s);
        QProcess process;
        process.setProcessEnvironment(env_);
        process.start(u"strace"_s, QStringList{u"-f"_s, u"-o"_s, traced, u"-P"_s, notePath(),
                                               u"-e"_s, u"inject=read,pread64:delay_exit=1000000"_s,
                                               QStringLiteral(MIRT_BINARY)} +
                                       arguments);
        if (!QTest::qWaitFor([&] { return contents(traced).contains("openat("); }, 20000))
            qFatal("the command never read the note");
        QTest::qWait(100); // its read is done, and held
        meanwhile();
        if (!process.waitForFinished(30000))
            qFatal("mirt %s hung", qPrintable(arguments.join(u' ')));
        return process.exitCode();
    }
    /// The app and the commands find each other without a session bus, as in some sandboxes.
    void withoutBus() {
        // Not merely unset: the bus library would start a bus of its own for the display.
        env_.insert(u"DBUS_SESSION_BUS_ADDRESS"_s, u"unix:path="_s + home_.filePath(u"no-bus"_s));
    }
    /// A session bus of this home's own, which killBus() takes away as a crash or a logout of
    /// the bus would; what starts afterwards finds no bus.
    void ownBus() {
        bus_ = std::make_unique<QProcess>();
        bus_->start(u"dbus-daemon"_s, {u"--session"_s, u"--nofork"_s, u"--print-address=1"_s});
        if (!bus_->waitForReadyRead(10000))
            qFatal("dbus-daemon did not start");
        env_.insert(u"DBUS_SESSION_BUS_ADDRESS"_s, QString::fromUtf8(bus_->readLine().trimmed()));
    }
    void killBus() {
        if (bus_)
            bus_->kill(), bus_->waitForFinished(5000);
    }
    void setEnv(const QString &name, const QString &value) { env_.insert(name, value); }
    /// The window `process` shows, if any.
    static QString shownWindow(QProcess *process) {
        return xdotool(
            {u"search"_s, u"--onlyvisible"_s, u"--pid"_s, QString::number(process->processId())});
    }

    void type(const QString &text) { xdotool({u"type"_s, u"--delay"_s, u"40"_s, text}); }
    void key(const QString &keys) { xdotool({u"key"_s, keys}); }
    void focus() {
        xdotool({u"windowfocus"_s, u"--sync"_s, window_});
        QTest::qWait(100);
    }
    QString home() const { return home_.path(); }

    QString notePath() const { return home_.filePath(u"data/Mirt/Mirt/mirt.note.autosave.txt"_s); }
    QByteArray note() const { return contents(notePath()); }
    /// Writes the note as another program does.
    void writeNote(const QByteArray &bytes) const { writeFile(notePath(), bytes); }

private:
    QTemporaryDir home_;
    QProcessEnvironment env_;
    QList<QProcess *> processes_;
    QString window_;
    std::unique_ptr<QProcess> bus_;
};

/// Whether `process` ended, and by itself.
inline bool ended(QProcess *process) {
    return (process->state() == QProcess::NotRunning || process->waitForFinished(10000)) &&
           process->exitStatus() == QProcess::NormalExit;
}
