// SPDX-License-Identifier: MIT
#include "SingleInstance.h"

#include "ApplicationInterface.h"
#include "AtomicFile.h"

#include <QCryptographicHash>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDir>
#include <QLocalServer>
#include <QLocalSocket>
#include <QLockFile>
#include <QStandardPaths>
#include <QThread>

#include <sys/stat.h>

namespace {

const QByteArray activate = "activate\n";

QString runtimePath(const QString &key, const char *suffix) {
    return QDir(QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation))
        .filePath(QStringLiteral("mirt-") + key + QLatin1String(suffix));
}

} // namespace

SingleInstance::SingleInstance(const QString &notePath, bool usualNote, QObject *parent)
    : QObject(parent)
    , usualNote_(usualNote)
    , claim_(claimFor(notePath))
    , application_(new ApplicationInterface(this)) {
    connect(application_, &ApplicationInterface::activated, this,
            &SingleInstance::activationRequested);
}

SingleInstance::~SingleInstance() {
    if (claim_.server)
        claim_.server->close(); // removes the socket file
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
    QDBusConnection bus = QDBusConnection::sessionBus();
    const QString appPath = u'/' + QString(appId).replace(u'.', u'/');
    if (claim_.onBus && usualNote_ && bus.registerService(appId))
        bus.registerObject(appPath, application_, QDBusConnection::ExportAllSlots);
    return true;
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
    if (!bus.registerObject(claim.objectPath, application_, QDBusConnection::ExportAllSlots))
        qWarning("mirt: cannot offer %s on the session bus", qPrintable(claim.objectPath));
    return true;
}

bool SingleInstance::claimSocket(Claim &claim) {
    if (!claim.lock->tryLock(0))
        return false;
    claim.server = new QLocalServer(this);
    QLocalServer *server = claim.server;
    server->setSocketOptions(QLocalServer::UserAccessOption);
    QLocalServer::removeServer(claim.socketPath); // left by a copy that died; the lock is ours
    if (!server->listen(claim.socketPath)) {
        // The app runs all the same; only a second launch cannot bring it forward.
        qWarning("mirt: cannot listen on %s: %s", qPrintable(claim.socketPath),
                 qPrintable(server->errorString()));
        return true;
    }
    connect(server, &QLocalServer::newConnection, this, [this, server] {
        while (QLocalSocket *socket = server->nextPendingConnection()) {
            connect(socket, &QLocalSocket::readyRead, this, [this, socket] {
                if (socket->readAll().contains(activate.trimmed()))
                    Q_EMIT activationRequested();
                socket->disconnectFromServer();
            });
            connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        }
    });
    return true;
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
    release(claim_);
    claim_ = std::move(next);
    return true;
}

bool SingleInstance::activateRunning() {
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (bus.isConnected()) {
        QDBusMessage call = QDBusMessage::createMethodCall(
            claim_.busName, claim_.objectPath, QStringLiteral("org.freedesktop.Application"),
            QStringLiteral("Activate"));
        // The token the launcher gave this process lets the running window take the focus.
        QVariantMap platformData;
        for (const char *name : {"XDG_ACTIVATION_TOKEN", "DESKTOP_STARTUP_ID"})
            if (qEnvironmentVariableIsSet(name))
                platformData.insert(name == QByteArrayView("XDG_ACTIVATION_TOKEN")
                                        ? QStringLiteral("activation-token")
                                        : QStringLiteral("desktop-startup-id"),
                                    qEnvironmentVariable(name));
        call << platformData;
        return bus.call(call, QDBus::Block, 5000).type() == QDBusMessage::ReplyMessage;
    }
    // The running copy may still be starting; give it a moment to listen.
    for (int attempt = 0; attempt < 20; ++attempt) {
        QLocalSocket socket;
        socket.connectToServer(claim_.socketPath);
        if (socket.waitForConnected(250)) {
            socket.write(activate);
            return socket.waitForBytesWritten(1000) && socket.waitForDisconnected(1000);
        }
        QThread::msleep(100);
    }
    return false;
}
