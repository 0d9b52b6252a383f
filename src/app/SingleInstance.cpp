// SPDX-License-Identifier: MIT
#include "SingleInstance.h"

#include "ApplicationInterface.h"

#include <QCryptographicHash>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDir>
#include <QFileInfo>
#include <QLocalServer>
#include <QLocalSocket>
#include <QStandardPaths>
#include <QThread>

namespace {

const QByteArray activate = "activate\n";

// One key per note file, however the path was spelled.
QString noteKey(const QString &notePath) {
    return QString::fromLatin1(
        QCryptographicHash::hash(QFileInfo(notePath).absoluteFilePath().toUtf8(),
                                 QCryptographicHash::Sha256)
            .toHex()
            .left(16));
}

QString runtimePath(const QString &key, const char *suffix) {
    return QDir(QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation))
        .filePath(QStringLiteral("mirt-") + key + QLatin1String(suffix));
}

} // namespace

SingleInstance::SingleInstance(const QString &notePath, bool usualNote, QObject *parent)
    : QObject(parent)
    , usualNote_(usualNote)
    , busName_(appId + QStringLiteral(".Note_") + noteKey(notePath))
    , objectPath_(u'/' + QString(busName_).replace(u'.', u'/'))
    , socketPath_(runtimePath(noteKey(notePath), ".socket"))
    , lock_(runtimePath(noteKey(notePath), ".lock")) {
    // Only a lock whose process is gone is stale, however old it is.
    lock_.setStaleLockTime(0);
}

SingleInstance::~SingleInstance() {
    if (server_)
        server_->close(); // removes the socket file
}

bool SingleInstance::claim() {
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected())
        return claimSocket();
    const auto reply =
        bus.interface()->registerService(busName_, QDBusConnectionInterface::DontQueueService,
                                         QDBusConnectionInterface::DontAllowReplacement);
    if (!reply.isValid()) // the bus refused the name itself, as a sandbox may: no bus then
        return claimSocket();
    if (reply.value() != QDBusConnectionInterface::ServiceRegistered)
        return false;
    auto *application = new ApplicationInterface(this);
    connect(application, &ApplicationInterface::activated, this,
            &SingleInstance::activationRequested);
    if (!bus.registerObject(objectPath_, application, QDBusConnection::ExportAllSlots))
        qWarning("mirt: cannot offer %s on the session bus", qPrintable(objectPath_));
    // The usual note also answers to the app's own id, which the desktop activates. The claim
    // itself is the file's name, so that `--note` naming the usual file finds this copy too.
    const QString appPath = u'/' + QString(appId).replace(u'.', u'/');
    if (usualNote_ && bus.registerService(appId))
        bus.registerObject(appPath, application, QDBusConnection::ExportAllSlots);
    return true;
}

bool SingleInstance::claimSocket() {
    if (!lock_.tryLock(0))
        return false;
    server_ = new QLocalServer(this);
    server_->setSocketOptions(QLocalServer::UserAccessOption);
    QLocalServer::removeServer(socketPath_); // left by a copy that died; the lock is ours now
    if (!server_->listen(socketPath_)) {
        // The app runs all the same; only a second launch cannot bring it forward.
        qWarning("mirt: cannot listen on %s: %s", qPrintable(socketPath_),
                 qPrintable(server_->errorString()));
        return true;
    }
    connect(server_, &QLocalServer::newConnection, this, [this] {
        while (QLocalSocket *socket = server_->nextPendingConnection()) {
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

bool SingleInstance::activateRunning() {
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (bus.isConnected()) {
        QDBusMessage call = QDBusMessage::createMethodCall(
            busName_, objectPath_, QStringLiteral("org.freedesktop.Application"),
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
        socket.connectToServer(socketPath_);
        if (socket.waitForConnected(250)) {
            socket.write(activate);
            return socket.waitForBytesWritten(1000) && socket.waitForDisconnected(1000);
        }
        QThread::msleep(100);
    }
    return false;
}
