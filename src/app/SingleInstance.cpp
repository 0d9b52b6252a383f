// SPDX-License-Identifier: MIT
#include "SingleInstance.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFileInfo>
#include <QLocalServer>
#include <QLocalSocket>
#include <QStandardPaths>
#include <QThread>

namespace {

const QByteArray activate = "activate\n";

// One name per note file, however the path was spelled.
QString runtimeName(const QString &notePath, const char *suffix) {
    const QByteArray key = QCryptographicHash::hash(QFileInfo(notePath).absoluteFilePath().toUtf8(),
                                                    QCryptographicHash::Sha256)
                               .toHex()
                               .left(16);
    return QDir(QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation))
        .filePath(QStringLiteral("mirt-") + QString::fromLatin1(key) + QLatin1String(suffix));
}

} // namespace

SingleInstance::SingleInstance(const QString &notePath, QObject *parent)
    : QObject(parent)
    , socketPath_(runtimeName(notePath, ".socket"))
    , lock_(runtimeName(notePath, ".lock")) {
    // Only a lock whose process is gone is stale, however old it is.
    lock_.setStaleLockTime(0);
}

SingleInstance::~SingleInstance() {
    if (server_)
        server_->close(); // removes the socket file
}

bool SingleInstance::claim() {
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
