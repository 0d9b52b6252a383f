// SPDX-License-Identifier: MIT
#pragma once

#include <QObject>
#include <QVariantMap>

/// The freedesktop application interface on the session bus: the desktop, or a second launch,
/// asks the running app to come forward through it, with the activation token that lets a
/// Wayland compositor give it the focus.
class ApplicationInterface : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.Application")
public:
    using QObject::QObject;

public Q_SLOTS:
    // The interface's own method names.
    void Activate(const QVariantMap &platformData);
    void Open(const QStringList &uris, const QVariantMap &platformData);
    void ActivateAction(const QString &name, const QVariantList &parameter,
                        const QVariantMap &platformData);

Q_SIGNALS:
    void activated();
};
