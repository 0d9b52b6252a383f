// SPDX-License-Identifier: MIT
#include "ApplicationInterface.h"

#include "NoteEncoding.h"
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
    if (text.userType() != QMetaType::QByteArray)
        return carryOut(name, text.toString(), platformData);
    // Bytes are decoded as the note's file is, every character kept, a leading U+FEFF too.
    bool exact = false;
    const QString decoded = noteFromUtf8(text.toByteArray(), &exact);
    if (!exact && calledFromDBus())
        return sendErrorReply(QStringLiteral("io.github.mirtapp.Mirt.Error.Refused"),
                              tr("the text to add is not valid UTF-8; nothing was added"));
    carryOut(name, decoded, platformData);
}

void ApplicationInterface::carryOut(const QString &action, const QString &text,
                                    const QVariantMap &platformData) {
    QString reason;
    const SingleInstance::Delivery delivery = instance_.answer(
        {action, text, platformData.value(QStringLiteral("activation-token")).toString(),
         platformData.value(QStringLiteral("mirt-deadline")).toLongLong()},
        &reason);
    if (!calledFromDBus() || delivery == SingleInstance::Delivery::Done)
        return;
    if (delivery == SingleInstance::Delivery::Refused)
        sendErrorReply(QStringLiteral("io.github.mirtapp.Mirt.Error.Refused"), reason);
    else
        sendErrorReply(QStringLiteral("io.github.mirtapp.Mirt.Error.Busy"),
                       QStringLiteral("Mirt is not ready for requests yet"));
}
