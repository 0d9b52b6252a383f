// SPDX-License-Identifier: MIT
#include "RunningCopy.h"

#include "NoteClaim.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDeadlineTimer>
#include <QEventLoop>
#include <QLocalSocket>
#include <QThread>
#include <QTimer>

namespace {

// A byte array on the bus may hold 64 MiB; the library aborts the process beyond that. Larger
// texts go over the socket, in as many parts as it takes.
constexpr qsizetype busTextLimit = 32 * 1024 * 1024;

const QString refusedError = QStringLiteral("io.github.mirtapp.Mirt.Error.Refused");

// The token the launcher gave this process lets the running window take the focus.
QVariantMap platformData(const SingleInstance::Request &request) {
    QVariantMap data{{QStringLiteral("mirt-deadline"), request.deadline}};
    if (qEnvironmentVariableIsSet("XDG_ACTIVATION_TOKEN"))
        data.insert(QStringLiteral("activation-token"),
                    qEnvironmentVariable("XDG_ACTIVATION_TOKEN"));
    if (qEnvironmentVariableIsSet("DESKTOP_STARTUP_ID"))
        data.insert(QStringLiteral("desktop-startup-id"),
                    qEnvironmentVariable("DESKTOP_STARTUP_ID"));
    return data;
}

int millisecondsUntil(qint64 moment) {
    return int(std::clamp<qint64>(moment - SingleInstance::now(), 1, INT_MAX));
}

} // namespace

RunningCopy::RunningCopy(const QString &notePath)
    : names_(SingleInstance::namesFor(notePath)) {}

qint64 RunningCopy::patience() {
    bool given = false;
    const double seconds = qEnvironmentVariable("MIRT_REQUEST_TIMEOUT").toDouble(&given);
    return given && seconds > 0 ? qint64(seconds * 1000) : 10000;
}

RunningCopy::Delivery RunningCopy::send(const SingleInstance::Request &request,
                                        QString *reason) const {
    const bool large = request.text.size() > busTextLimit / 3; // UTF-8 takes up to 3 bytes
    // A copy that is starting holds the claim a moment before it answers, one that is ending
    // a moment after, and one busy with another request answers when it is done.
    for (;;) {
        Delivery delivery = !large && QDBusConnection::sessionBus().isConnected()
                                ? sendOnBus(request, reason)
                                : Delivery::NotRunning;
        // Where the bus refused the app its name, or there is none, the copy listens on its
        // socket; every copy does.
        if (delivery == Delivery::NotRunning)
            delivery = sendOnSocket(request, reason);
        if (delivery != Delivery::Busy || SingleInstance::now() >= request.deadline)
            return delivery;
        QThread::msleep(50);
    }
}

bool RunningCopy::goesOn() const {
    QThread::msleep(50); // long enough for a signal that came with the request to be handled
    return send({QStringLiteral("ping"), QString(), QString(),
                 SingleInstance::now() + patience()}) == Delivery::Done;
}

RunningCopy::Delivery RunningCopy::sendOnBus(const SingleInstance::Request &request,
                                             QString *reason) const {
    const bool activate = request.action == QLatin1String("activate");
    QDBusMessage call = QDBusMessage::createMethodCall(
        names_.busName, names_.objectPath, QStringLiteral("org.freedesktop.Application"),
        activate ? QStringLiteral("Activate") : QStringLiteral("ActivateAction"));
    // The text as bytes: a string on the bus ends at the first NUL, and the words after it
    // would be lost.
    if (!activate)
        call << request.action
             << (request.text.isEmpty() ? QVariantList() : QVariantList{request.text.toUtf8()});
    call << platformData(request);
    const qint64 giveUp = request.deadline + patience();
    // Waited for here rather than by the bus library, whose own time-out delivers its error
    // into the ending process as it gives up, and prints there about types it no longer has.
    QDBusPendingCallWatcher pending(QDBusConnection::sessionBus().asyncCall(call, INT_MAX));
    QEventLoop waiting;
    QObject::connect(&pending, &QDBusPendingCallWatcher::finished, &waiting, &QEventLoop::quit);
    QTimer::singleShot(millisecondsUntil(giveUp), &waiting, &QEventLoop::quit);
    waiting.exec();
    if (!pending.isFinished()) { // the copy takes the request up no more, if it ever reads it
        QDBusConnection::disconnectFromBus(QDBusConnection::sessionBus().name());
        return Delivery::Busy;
    }
    const QDBusMessage reply = pending.reply();
    if (reply.type() == QDBusMessage::ReplyMessage)
        return Delivery::Done;
    const QString error = reply.errorName();
    if (error == QLatin1String("org.freedesktop.DBus.Error.ServiceUnknown") ||
        error == QLatin1String("org.freedesktop.DBus.Error.NameHasNoOwner"))
        return Delivery::NotRunning;
    if (error == refusedError) {
        if (reason)
            *reason = reply.errorMessage();
        return Delivery::Refused;
    }
    // It ended without reading it: the next holder is asked.
    if (error == QLatin1String("org.freedesktop.DBus.Error.NoReply"))
        return Delivery::NotRunning;
    return Delivery::Busy; // no object yet, or a claim held by a process that answers nothing
}

RunningCopy::Delivery RunningCopy::sendOnSocket(const SingleInstance::Request &request,
                                                QString *reason) const {
    QLocalSocket socket;
    socket.connectToServer(names_.socketPath);
    if (!socket.waitForConnected(1000))
        return NoteClaim::isHeldAt(names_.lockPath) ? Delivery::Busy : Delivery::NotRunning;
    const qint64 giveUp = request.deadline + patience();
    socket.write(SingleInstance::toLine(request));
    while (!socket.canReadLine()) {
        if (socket.bytesToWrite() > 0 ? socket.waitForBytesWritten(millisecondsUntil(giveUp))
                                      : socket.waitForReadyRead(millisecondsUntil(giveUp)))
            continue;
        if (socket.state() != QLocalSocket::ConnectedState)
            return Delivery::NotRunning; // it ended without reading the request
        return Delivery::Busy;           // the time is up
    }
    const QByteArray answer = socket.readLine().chopped(1);
    if (answer == "done")
        return Delivery::Done;
    if (!answer.startsWith("refused "))
        return Delivery::Busy;
    if (reason)
        *reason = QString::fromUtf8(QByteArray::fromBase64(answer.mid(8)));
    return Delivery::Refused;
}
