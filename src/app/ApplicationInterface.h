// SPDX-License-Identifier: MIT
#pragma once

#include <QDBusContext>
#include <QObject>
#include <QVariantMap>

class SingleInstance;

/// The freedesktop application interface on the session bus: the desktop, or a second launch,
/// asks the running app to come forward through it, with the activation token that lets a
/// Wayland compositor give it the focus. Its actions are "toggle", "show" and "append" (with
/// the lines as the parameter); the reply to one comes once it is done.
class ApplicationInterface : public QObject, protected QDBusContext {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.Application")
public:
    ApplicationInterface(SingleInstance &instance, QObject *parent = nullptr);

public Q_SLOTS:
    // The interface's own method names.
    void Activate(const QVariantMap &platformData);
    void Open(const QStringList &uris, const QVariantMap &platformData);
    void ActivateAction(const QString &name, const QVariantList &parameter,
                        const QVariantMap &platformData);

private:
    void carryOut(const QString &action, const QString &text, const QVariantMap &platformData);

    SingleInstance &instance_;
};
