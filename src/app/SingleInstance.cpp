// SPDX-License-Identifier: MIT
#include "SingleInstance.h"

#include <QCryptographicHash>
#include <QDir>
#include <QLocalServer>
#include <QLocalSocket>
#include <QThread>

namespace {

const QByteArray activate = "activate\n";

} // namespace

SingleInstance::SingleInstance(const QString &folder, QObject *parent)
    : QObject(parent)
    , folder_(folder)
    , serverName_(QStringLiteral("mirt-") +
                  QString::fromLatin1(QCryptographicHash::hash(QDir(folder).absolutePath().toUtf8(),
                                                               QCryptographicHash::Sha256)
                                          .toHex()
                                          .left(16)))
    , lock_(QDir(folder).filePath(QStringLiteral("mirt.lock"))) {
    // Only a lock whose process is gone is stale, however old it is.
    lock_.setStaleLockTime(0);
}

SingleInstance::~SingleInstance() = default;

bool SingleInstance::claim() {
    QDir().mkpath(folder_);
    if (!lock_.tryLock(0))
        return false;
    server_ = new QLocalServer(this);
    server_->setSocketOptions(QLocalServer::UserAccessOption);
    QLocalServer::removeServer(serverName_); // left by a copy that died; the lock is ours now
    server_->listen(serverName_);
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
    // The running copy may still be starting; give it a moment to listen.
    for (int attempt = 0; attempt < 20; ++attempt) {
        QLocalSocket socket;
        socket.connectToServer(serverName_);
        if (socket.waitForConnected(250)) {
            socket.write(activate);
            socket.waitForBytesWritten(1000);
            socket.waitForDisconnected(1000);
            return true;
        }
        QThread::msleep(100);
    }
    return false;
}
