// SPDX-License-Identifier: MIT
// The least a quick-capture command could cost: a process of the libraries it needs to reach a
// running Mirt (QtCore, QtDBus, QtNetwork) and no more, that connects to the session bus and
// ends. The capture case measures it beside `mirt --version`, which loads all of the app's.
#include <QCoreApplication>
#include <QDBusConnection>
#include <QLocalSocket>

int main(int argc, char **argv) {
    QCoreApplication app(argc, argv);
    QLocalSocket socket;
    return QDBusConnection::sessionBus().isConnected() ||
                   socket.state() == QLocalSocket::UnconnectedState
               ? 0
               : 1;
}
