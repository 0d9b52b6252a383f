// SPDX-License-Identifier: MIT
#include "SingleInstance.h"

#include "ApplicationInterface.h"
#include "AtomicFile.h"

#include <QCryptographicHash>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDeadlineTimer>
#include <QDir>
#include <QLocalServer>
#include <QLocalSocket>
#include <QLockFile>
#include <QStandardPaths>
#include <QThread>

#include <cerrno>
#include <csignal>
#include <sys/stat.h>

namespace {

const QString busyError = QStringLiteral("io.github.mirtapp.Mirt.Error.Busy");
const QString refusedError = QStringLiteral("io.github.mirtapp.Mirt.Error.Refused");

// The token the launcher gave this process lets the running window take the focus.
QVariantMap platformData() {
    QVariantMap data;
    if (qEnvironmentVariableIsSet("XDG_ACTIVATION_TOKEN"))
        data.insert(QStringLiteral("activation-token"),
                    qEnvironmentVariable("XDG_ACTIVATION_TOKEN"));
    if (qEnvironmentVariableIsSet("DESKTOP_STARTUP_ID"))
        data.insert(QStringLiteral("desktop-startup-id"),
                    qEnvironmentVariable("DESKTOP_STARTUP_ID"));
    return data;
}

QString runtimePath(const QString &key, const char *suffix) {
    return QDir(QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation))
        .filePath(QStringLiteral("mirt-") + key + QLatin1String(suffix));
}

} // namespace

SingleInstance::SingleInstance(const QString &notePath, bool usualNote, QObject *parent)
    : QObject(parent)
    , usualNote_(usualNote)
    , claim_(claimFor(notePath))
    , application_(new ApplicationInterface(*this, this)) {}

SingleInstance::~SingleInstance() {
    // Given up before the process ends: a request that reaches a process as it ends fails, where
    // the sender of one that finds nobody starts over with the next holder of the claim.
    if (ownsAppId_)
        QDBusConnection::sessionBus().unregisterService(appId);
    release(claim_);
}

SingleInstance::Claim SingleInstance::claimFor(const QString &notePath) {
    // One key per note file, however the path was spelled: through a link, or a folder
    // reached through one, two windows would write the same file. A file with several names
    // is rewritten in place, and keeps its inode: that names it.
    const QString real = AtomicFile::resolve(notePath);
    struct stat info {};
    const QByteArray identity =
        ::stat(QFile::encodeName(real).constData(), &info) == 0 && info.st_nlink > 1
            ? "inode " + QByteArray::number(quint64(info.st_dev)) + ' ' +
                  QByteArray::number(quint64(info.st_ino))
            : real.toUtf8();
    const QString key = QString::fromLatin1(
        QCryptographicHash::hash(identity, QCryptographicHash::Sha256).toHex().left(16));
    Claim claim;
    claim.key = key;
    claim.busName = appId + QStringLiteral(".Note_") + key;
    claim.objectPath = u'/' + QString(claim.busName).replace(u'.', u'/');
    claim.socketPath = runtimePath(key, ".socket");
    claim.lock = std::make_unique<QLockFile>(runtimePath(key, ".lock"));
    // Only a lock whose process is gone is stale, however old it is.
    claim.lock->setStaleLockTime(0);
    return claim;
}

bool SingleInstance::claim() {
    if (!claimNote(claim_))
        return false;
    // The usual note also answers to the app's own id, which the desktop activates. The claim
    // itself is the file's name, so that `--note` naming the usual file finds this copy too.
    ownsAppId_ = claim_.onBus && usualNote_ && QDBusConnection::sessionBus().registerService(appId);
    if (handler_)
        offer(claim_);
    return true;
}

void SingleInstance::setHandler(Handler handler) {
    const bool first = !handler_ && handler;
    handler_ = std::move(handler);
    if (first && (claim_.onBus || claim_.lock->isLocked()))
        offer(claim_);
}

bool SingleInstance::claimNote(Claim &claim) {
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected())
        return claimSocket(claim);
    const auto reply =
        bus.interface()->registerService(claim.busName, QDBusConnectionInterface::DontQueueService,
                                         QDBusConnectionInterface::DontAllowReplacement);
    if (!reply.isValid()) // the bus refused the name itself, as a sandbox may: no bus then
        return claimSocket(claim);
    if (reply.value() != QDBusConnectionInterface::ServiceRegistered)
        return false;
    claim.onBus = true;
    return true;
}

bool SingleInstance::claimSocket(Claim &claim) {
    if (!claim.lock->tryLock(0))
        return false;
    QLocalServer::removeServer(claim.socketPath); // left by a copy that died; the lock is ours
    return true;
}

// Requests are taken once there is a handler to answer them. A process that holds the claim
// without one, as `mirt --append` does while it writes the file itself, turns no event loop:
// a request sent to it would wait until it ends and then fail, where the sender should hear at
// once that the claim is busy, and ask its next holder.
void SingleInstance::offer(Claim &claim) {
    if (!claim.onBus) {
        listen(claim);
        return;
    }
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.registerObject(claim.objectPath, application_, QDBusConnection::ExportAllSlots))
        qWarning("mirt: cannot offer %s on the session bus", qPrintable(claim.objectPath));
    const QString appPath = u'/' + QString(appId).replace(u'.', u'/');
    if (ownsAppId_ && !bus.objectRegisteredAt(appPath))
        bus.registerObject(appPath, application_, QDBusConnection::ExportAllSlots);
}

void SingleInstance::listen(Claim &claim) {
    claim.server = new QLocalServer(this);
    QLocalServer *server = claim.server;
    server->setSocketOptions(QLocalServer::UserAccessOption);
    if (!server->listen(claim.socketPath)) {
        // The app runs all the same; only a second launch cannot bring it forward.
        qWarning("mirt: cannot listen on %s: %s", qPrintable(claim.socketPath),
                 qPrintable(server->errorString()));
        return;
    }
    connect(server, &QLocalServer::newConnection, this, [this, server] {
        while (QLocalSocket *socket = server->nextPendingConnection()) {
            connect(socket, &QLocalSocket::readyRead, this,
                    [this, socket] { answerSocket(socket); });
            connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        }
    });
}

// One request a connection, one line: the action and the text and token in base64; the answer
// is one line too.
void SingleInstance::answerSocket(QLocalSocket *socket) {
    if (!socket->canReadLine())
        return; // a long text arrives in parts
    const QList<QByteArray> fields = socket->readLine().chopped(1).split(' ');
    const Request request{QString::fromUtf8(fields.value(0)),
                          QString::fromUtf8(QByteArray::fromBase64(fields.value(1))),
                          QString::fromUtf8(QByteArray::fromBase64(fields.value(2)))};
    QString reason;
    switch (answer(request, &reason)) {
    case Delivery::Done:
        socket->write("done\n");
        break;
    case Delivery::Refused:
        socket->write("refused " + reason.toUtf8().toBase64() + '\n');
        break;
    default:
        socket->write("busy\n");
    }
    socket->disconnectFromServer(); // once the answer is written
}

SingleInstance::Delivery SingleInstance::answer(const Request &request, QString *reason) const {
    if (!handler_)
        return Delivery::Busy;
    const std::optional<QString> refusal = handler_(request);
    if (!refusal)
        return Delivery::Done;
    if (reason)
        *reason = *refusal;
    return Delivery::Refused;
}

void SingleInstance::release(Claim &claim) {
    if (claim.onBus) {
        QDBusConnection bus = QDBusConnection::sessionBus();
        bus.unregisterObject(claim.objectPath);
        bus.unregisterService(claim.busName);
    }
    if (claim.server) {
        claim.server->close();
        claim.server->deleteLater();
        claim.server = nullptr;
    }
    claim.lock->unlock();
}

bool SingleInstance::reclaim(const QString &notePath) {
    Claim next = claimFor(notePath);
    if (next.key == claim_.key)
        return true;
    if (!claimNote(next))
        return false;
    if (handler_)
        offer(next);
    release(claim_);
    claim_ = std::move(next);
    return true;
}

bool SingleInstance::activateRunning() {
    return send({QStringLiteral("activate"), QString(), QString()}) == Delivery::Done;
}

SingleInstance::Delivery SingleInstance::send(const Request &request, QString *reason) {
    // A copy that is starting holds the claim a moment before it answers, and one that is
    // ending a moment after.
    const QDeadlineTimer deadline(10000);
    for (;;) {
        Delivery delivery = QDBusConnection::sessionBus().isConnected() ? sendOnBus(request, reason)
                                                                        : Delivery::NotRunning;
        // Where the bus refused the app its name, the copy listens on its socket instead.
        if (delivery == Delivery::NotRunning)
            delivery = sendOnSocket(request, reason);
        if (delivery != Delivery::Busy || deadline.hasExpired())
            return delivery;
        QThread::msleep(50);
    }
}

SingleInstance::Delivery SingleInstance::sendOnBus(const Request &request, QString *reason) {
    const bool activate = request.action == QLatin1String("activate");
    QDBusMessage call = QDBusMessage::createMethodCall(
        claim_.busName, claim_.objectPath, QStringLiteral("org.freedesktop.Application"),
        activate ? QStringLiteral("Activate") : QStringLiteral("ActivateAction"));
    // The text as bytes: a string on the bus ends at the first NUL, and the words after it
    // would be lost.
    if (!activate)
        call << request.action
             << (request.text.isEmpty() ? QVariantList() : QVariantList{request.text.toUtf8()});
    call << platformData();
    // Adding lines to a large note on a slow disk takes a while; the answer comes once they are
    // on it.
    const QDBusMessage reply = QDBusConnection::sessionBus().call(call, QDBus::Block, 60000);
    if (reply.type() == QDBusMessage::ReplyMessage)
        return Delivery::Done;
    const QString error = reply.errorName();
    if (error == QLatin1String("org.freedesktop.DBus.Error.ServiceUnknown") ||
        error == QLatin1String("org.freedesktop.DBus.Error.NameHasNoOwner"))
        return Delivery::NotRunning;
    if (error == refusedError || error == QLatin1String("org.freedesktop.DBus.Error.NoReply")) {
        if (reason)
            *reason = error == refusedError ? reply.errorMessage()
                                            : QStringLiteral("the running Mirt does not answer");
        return Delivery::Refused;
    }
    return Delivery::Busy; // no object yet, or a claim held by a process that answers nothing
}

SingleInstance::Delivery SingleInstance::sendOnSocket(const Request &request, QString *reason) {
    QLocalSocket socket;
    socket.connectToServer(claim_.socketPath);
    if (!socket.waitForConnected(1000)) {
        // Whether a live process holds the lock; taking it to see would write and sync a file.
        qint64 pid = 0;
        QString host, application;
        if (!claim_.lock->getLockInfo(&pid, &host, &application) ||
            (::kill(pid_t(pid), 0) != 0 && errno == ESRCH))
            return Delivery::NotRunning;
        return Delivery::Busy; // its holder is not listening yet
    }
    socket.write(request.action.toUtf8() + ' ' + request.text.toUtf8().toBase64() + ' ' +
                 qgetenv("XDG_ACTIVATION_TOKEN").toBase64() + '\n');
    while (!socket.canReadLine()) {
        if (socket.waitForReadyRead(60000))
            continue;
        if (socket.state() == QLocalSocket::ConnectedState) {
            if (reason)
                *reason = QStringLiteral("the running Mirt does not answer");
            return Delivery::Refused;
        }
        return Delivery::Busy; // it ended, or holds the claim without answering
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
