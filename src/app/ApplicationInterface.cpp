// SPDX-License-Identifier: MIT
#include "ApplicationInterface.h"

#include "SingleInstance.h"

#include <QDBusVariant>

ApplicationInterface::ApplicationInterface(SingleInstance &instance, QObject *parent)
    : QObject(parent)
    , instance_(instance) {}

void ApplicationInterface::Activate(const QVariantMap &platformData) {
    carryOut(QStringLiteral("activate"), QString(), platformData);
}

void ApplicationInterface::Open(const QStringList &, const QVariantMap &platformData) {
    Activate(platformData); // the app has one note: opening anything brings it forward
}

void ApplicationInterface::ActivateAction(const QString &name, const QVariantList &parameter,
                                          const QVariantMap &platformData) {
    QVariant text = parameter.value(0);
    if (text.userType() == qMetaTypeId<QDBusVariant>()) // as a desktop's own client sends it
        text = text.value<QDBusVariant>().variant();
    carryOut(name, text.toString(), platformData);
}

void ApplicationInterface::carryOut(const QString &action, const QString &text,
                                    const QVariantMap &platformData) {
    QString reason;
    const SingleInstance::Delivery delivery = instance_.answer(
        {action, text, platformData.value(QStringLiteral("activation-token")).toString()}, &reason);
    if (!calledFromDBus() || delivery == SingleInstance::Delivery::Done)
        return;
    if (delivery == SingleInstance::Delivery::Refused)
        sendErrorReply(QStringLiteral("io.github.mirtapp.Mirt.Error.Refused"), reason);
    else
        sendErrorReply(QStringLiteral("io.github.mirtapp.Mirt.Error.Busy"),
                       QStringLiteral("Mirt is not ready for requests yet"));
}
