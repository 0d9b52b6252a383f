// SPDX-License-Identifier: MIT
#pragma once

#include <QDBusObjectPath>
#include <QObject>
#include <QVariantMap>

#include <functional>

class QDBusMessage;

/// The one global shortcut, "Show or hide the note", through the desktop's own service: the
/// XDG desktop portal's GlobalShortcuts interface. The app suggests Ctrl+Alt+N; the desktop
/// asks the user to confirm or change it, keeps it, and tells the app when it is pressed.
class GlobalShortcut : public QObject {
    Q_OBJECT
public:
    static inline const QString id = QStringLiteral("toggle-note");

    /// Binds the shortcut, unless the desktop lacks the service.
    explicit GlobalShortcut(QObject *parent = nullptr);

Q_SIGNALS:
    /// The user pressed the keys; the token lets a Wayland compositor give the window the focus.
    void activated(const QString &activationToken);
    /// The desktop offers apps no global shortcuts: the keys must be bound by hand.
    void unavailable();

private Q_SLOTS:
    // Signals of the bus, which reaches its receivers by name.
    void onResponse(uint response, const QVariantMap &results);
    void onActivated(const QDBusObjectPath &session, const QString &shortcut, qulonglong timestamp,
                     const QVariantMap &options);

private:
    /// Registers, creates a session and binds the shortcut in it, afresh.
    void bind();
    void createSession();
    void bindShortcut();
    /// Calls `method` of the portal, which answers with the Response signal of a request object.
    void request(const QString &method, const QVariantList &arguments, const QString &token);
    void call(const QDBusMessage &message, std::function<void(const QDBusMessage &)> then);
    void followResponse(const QString &requestPath, bool follow);

    QString session_;
    QString request_; // the request whose response is awaited
    bool followsActivated_ = false;
};
