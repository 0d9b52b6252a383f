// SPDX-License-Identifier: MIT
#include "GlobalShortcut.h"

#include "SingleInstance.h"

#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusMetaType>
#include <QDBusPendingCallWatcher>
#include <QDBusServiceWatcher>

namespace {

const QString portal = QStringLiteral("org.freedesktop.portal.Desktop");
const QString portalPath = QStringLiteral("/org/freedesktop/portal/desktop");
const QString shortcutsInterface = QStringLiteral("org.freedesktop.portal.GlobalShortcuts");
const QString requestInterface = QStringLiteral("org.freedesktop.portal.Request");

/// A shortcut as the portal takes it: an id and its properties.
struct Shortcut {
    QString id;
    QVariantMap properties;
};

QDBusArgument &operator<<(QDBusArgument &argument, const Shortcut &shortcut) {
    argument.beginStructure();
    argument << shortcut.id << shortcut.properties;
    argument.endStructure();
    return argument;
}

const QDBusArgument &operator>>(const QDBusArgument &argument, Shortcut &shortcut) {
    argument.beginStructure();
    argument >> shortcut.id >> shortcut.properties;
    argument.endStructure();
    return argument;
}

// The portal names its request objects after the caller and a token of the caller's choice, so
// that a response sent before the call returns is not missed.
QString requestPath(const QString &token) {
    const QString sender = QDBusConnection::sessionBus().baseService().mid(1).replace(u'.', u'_');
    return portalPath + QStringLiteral("/request/") + sender + u'/' + token;
}

} // namespace

Q_DECLARE_METATYPE(Shortcut)

GlobalShortcut::GlobalShortcut(QObject *parent)
    : QObject(parent) {
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected()) {
        QMetaObject::invokeMethod(this, &GlobalShortcut::unavailable, Qt::QueuedConnection);
        return;
    }
    qDBusRegisterMetaType<Shortcut>();
    qDBusRegisterMetaType<QList<Shortcut>>();
    // A portal that restarts (updated, or crashed) has forgotten the session and its keys: bound
    // again as soon as it is back, or a Mirt started without a window could never be shown.
    // (The portal that the first call starts is no restart.)
    auto *watcher =
        new QDBusServiceWatcher(portal, bus, QDBusServiceWatcher::WatchForUnregistration, this);
    connect(watcher, &QDBusServiceWatcher::serviceUnregistered, this, [this, watcher] {
        watcher->setWatchMode(QDBusServiceWatcher::WatchForRegistration);
        connect(watcher, &QDBusServiceWatcher::serviceRegistered, this, &GlobalShortcut::bind,
                Qt::UniqueConnection);
    });
    bind();
}

void GlobalShortcut::bind() {
    if (!request_.isEmpty())
        followResponse(std::exchange(request_, QString()), false);
    session_.clear();
    // Newer portals know an app outside a sandbox by this registration; older ones lack it.
    QDBusMessage registration = QDBusMessage::createMethodCall(
        portal, portalPath, QStringLiteral("org.freedesktop.host.portal.Registry"),
        QStringLiteral("Register"));
    registration << SingleInstance::appId << QVariantMap();
    call(registration, [this](const QDBusMessage &) {
        QDBusMessage version = QDBusMessage::createMethodCall(
            portal, portalPath, QStringLiteral("org.freedesktop.DBus.Properties"),
            QStringLiteral("Get"));
        version << shortcutsInterface << QStringLiteral("version");
        call(version, [this](const QDBusMessage &reply) {
            if (reply.type() == QDBusMessage::ReplyMessage)
                createSession();
            else
                Q_EMIT unavailable();
        });
    });
}

void GlobalShortcut::call(const QDBusMessage &message,
                          std::function<void(const QDBusMessage &)> then) {
    auto *watcher =
        new QDBusPendingCallWatcher(QDBusConnection::sessionBus().asyncCall(message), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this,
            [then = std::move(then)](QDBusPendingCallWatcher *finished) {
                finished->deleteLater();
                then(finished->reply());
            });
}

void GlobalShortcut::followResponse(const QString &requestPath, bool follow) {
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (follow)
        bus.connect(portal, requestPath, requestInterface, QStringLiteral("Response"), this,
                    SLOT(onResponse(uint, QVariantMap)));
    else
        bus.disconnect(portal, requestPath, requestInterface, QStringLiteral("Response"), this,
                       SLOT(onResponse(uint, QVariantMap)));
}

void GlobalShortcut::request(const QString &method, const QVariantList &arguments,
                             const QString &token) {
    request_ = requestPath(token);
    followResponse(request_, true);
    QDBusMessage message =
        QDBusMessage::createMethodCall(portal, portalPath, shortcutsInterface, method);
    message.setArguments(arguments);
    call(message, [this](const QDBusMessage &reply) {
        if (reply.type() != QDBusMessage::ReplyMessage) {
            followResponse(std::exchange(request_, QString()), false);
            Q_EMIT unavailable();
            return;
        }
        // Portals before version 1.12 choose the request's path themselves.
        const QString path = reply.arguments().value(0).value<QDBusObjectPath>().path();
        if (!path.isEmpty() && path != request_) {
            followResponse(request_, false);
            followResponse(request_ = path, true);
        }
    });
}

void GlobalShortcut::createSession() {
    // Once: a second connection would toggle the window twice for every press.
    static_cast<void>(std::exchange(followsActivated_, true) ||
                      QDBusConnection::sessionBus().connect(
                          portal, portalPath, shortcutsInterface, QStringLiteral("Activated"), this,
                          SLOT(onActivated(QDBusObjectPath, QString, qulonglong, QVariantMap))));
    request(QStringLiteral("CreateSession"),
            {QVariantMap{{QStringLiteral("handle_token"), QStringLiteral("mirt_session_request")},
                         {QStringLiteral("session_handle_token"), QStringLiteral("mirt")}}},
            QStringLiteral("mirt_session_request"));
}

void GlobalShortcut::bindShortcut() {
    const QList<Shortcut> shortcuts{
        {id,
         {{QStringLiteral("description"), tr("Show or hide the note")},
          {QStringLiteral("preferred_trigger"), QStringLiteral("CTRL+ALT+n")}}}};
    request(QStringLiteral("BindShortcuts"),
            {QVariant::fromValue(QDBusObjectPath(session_)), QVariant::fromValue(shortcuts),
             QString(),
             QVariantMap{{QStringLiteral("handle_token"), QStringLiteral("mirt_bind_request")}}},
            QStringLiteral("mirt_bind_request"));
}

void GlobalShortcut::onResponse(uint response, const QVariantMap &results) {
    followResponse(std::exchange(request_, QString()), false);
    if (!session_.isEmpty())
        return; // bound, or declined by the user in the desktop's dialog
    // 0: done; 1: cancelled; 2: failed.
    const QVariant handle = results.value(QStringLiteral("session_handle"));
    session_ = handle.userType() == qMetaTypeId<QDBusObjectPath>()
                   ? handle.value<QDBusObjectPath>().path()
                   : handle.toString();
    if (response != 0 || session_.isEmpty()) {
        Q_EMIT unavailable();
        return;
    }
    bindShortcut();
}

void GlobalShortcut::onActivated(const QDBusObjectPath &session, const QString &shortcut,
                                 qulonglong, const QVariantMap &options) {
    if (session.path() == session_ && shortcut == id)
        Q_EMIT activated(options.value(QStringLiteral("activation_token")).toString());
}
