// SPDX-License-Identifier: MIT
#include "SingleInstance.h"

#include "ApplicationInterface.h"
#include "AtomicFile.h"
#include "NoteClaim.h"

#include <QCryptographicHash>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDeadlineTimer>
#include <QDir>
#include <QLocalServer>
#include <QLocalSocket>
#include <QStandardPaths>

#include <sys/stat.h>

namespace {

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

qint64 SingleInstance::now() {
    return QDeadlineTimer::current().deadline();
}

SingleInstance::Names SingleInstance::namesFor(const QString &notePath) {
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
    Names names;
    names.busName = appId + QStringLiteral(".Note_") + key;
    names.objectPath = u'/' + QString(names.busName).replace(u'.', u'/');
    names.socketPath = runtimePath(key, ".socket");
    names.lockPath = runtimePath(key, ".lock");
    return names;
}

// One request a line: the action, the text and the token in base64, and the deadline.
QByteArray SingleInstance::toLine(const Request &request) {
    return request.action.toUtf8() + ' ' + request.text.toUtf8().toBase64() + ' ' +
           request.activationToken.toUtf8().toBase64() + ' ' +
           QByteArray::number(request.deadline) + '\n';
}

SingleInstance::Request SingleInstance::fromLine(QByteArrayView line) {
    const QList<QByteArray> fields = line.trimmed().toByteArray().split(' ');
    return {QString::fromUtf8(fields.value(0)),
            QString::fromUtf8(QByteArray::fromBase64(fields.value(1))),
            QString::fromUtf8(QByteArray::fromBase64(fields.value(2))),
            fields.value(3).toLongLong()};
}

SingleInstance::Claim SingleInstance::claimFor(const QString &notePath) {
    Claim claim;
    claim.names = namesFor(notePath);
    claim.lock = std::make_unique<NoteClaim>(claim.names.lockPath);
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
    if (first && (claim_.onBus || claim_.lock->isHeld()))
        offer(claim_);
}

// The lock first, which every copy takes, with a bus or without; then the name on the bus, where
// there is one.
bool SingleInstance::claimNote(Claim &claim) {
    const NoteClaim::Outcome locked = claim.lock->take();
    if (locked == NoteClaim::Outcome::HeldElsewhere)
        return false;
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected())
        return locked == NoteClaim::Outcome::Taken;
    const auto reply = bus.interface()->registerService(
        claim.names.busName, QDBusConnectionInterface::DontQueueService,
        QDBusConnectionInterface::DontAllowReplacement);
    // The bus refused the name itself, as a sandbox may: the lock alone then.
    if (!reply.isValid())
        return locked == NoteClaim::Outcome::Taken;
    if (reply.value() != QDBusConnectionInterface::ServiceRegistered) {
        claim.lock->release(); // a copy that has just ended, and the bus has not heard yet
        return false;
    }
    claim.onBus = true;
    return true;
}

// Requests are taken once there is a handler to answer them. A process that holds the claim
// without one, as `mirt --append` does while it writes the file itself, turns no event loop:
// a request sent to it would wait until it ends and then fail, where the sender should hear at
// once that the claim is busy, and ask its next holder.
void SingleInstance::offer(Claim &claim) {
    if (claim.lock->isHeld())
        listen(claim);
    if (!claim.onBus)
        return;
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.registerObject(claim.names.objectPath, application_, QDBusConnection::ExportAllSlots))
        qWarning("mirt: cannot offer %s on the session bus", qPrintable(claim.names.objectPath));
    const QString appPath = u'/' + QString(appId).replace(u'.', u'/');
    if (ownsAppId_ && !bus.objectRegisteredAt(appPath))
        bus.registerObject(appPath, application_, QDBusConnection::ExportAllSlots);
}

void SingleInstance::listen(Claim &claim) {
    claim.server = new QLocalServer(this);
    QLocalServer *server = claim.server;
    server->setSocketOptions(QLocalServer::UserAccessOption);
    QLocalServer::removeServer(
        claim.names.socketPath); // left by a copy that died; the lock is ours
    if (!server->listen(claim.names.socketPath)) {
        // The app runs all the same; only a launch without the bus cannot reach it.
        qWarning("mirt: cannot listen on %s: %s", qPrintable(claim.names.socketPath),
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

// One request a connection, one line; the answer is one line too.
void SingleInstance::answerSocket(QLocalSocket *socket) {
    if (!socket->canReadLine())
        return; // a long text arrives in parts
    QString reason;
    switch (answer(fromLine(socket->readLine()), &reason)) {
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
    if (!handler_ || held_)
        return Delivery::Busy;
    // Its sender has given up, or is about to, and said it was not done: so it must stay.
    if (request.deadline != 0 && now() > request.deadline) {
        if (reason)
            *reason = tr("the running Mirt took too long to answer; nothing was done");
        return Delivery::Refused;
    }
    const std::optional<QString> refusal =
        request.action == QLatin1String("ping") ? std::nullopt : handler_(request);
    if (!refusal)
        return Delivery::Done;
    if (reason)
        *reason = *refusal;
    return Delivery::Refused;
}

void SingleInstance::release(Claim &claim) {
    if (claim.onBus) {
        QDBusConnection bus = QDBusConnection::sessionBus();
        bus.unregisterObject(claim.names.objectPath);
        bus.unregisterService(claim.names.busName);
    }
    if (claim.server) {
        claim.server->close();
        claim.server->deleteLater();
        claim.server = nullptr;
    }
    claim.lock->release();
}

bool SingleInstance::reclaim(const QString &notePath) {
    Claim next = claimFor(notePath);
    if (next.names.lockPath == claim_.names.lockPath)
        return true;
    if (!claimNote(next))
        return false;
    if (handler_)
        offer(next);
    release(claim_);
    claim_ = std::move(next);
    return true;
}
