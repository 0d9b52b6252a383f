// SPDX-License-Identifier: MIT
#include "ApplicationInterface.h"

void ApplicationInterface::Activate(const QVariantMap &platformData) {
    // The toolkit hands this token to the compositor with the next activation request.
    const QString token = platformData.value(QStringLiteral("activation-token")).toString();
    if (!token.isEmpty())
        qputenv("XDG_ACTIVATION_TOKEN", token.toUtf8());
    Q_EMIT activated();
}

void ApplicationInterface::Open(const QStringList &, const QVariantMap &platformData) {
    Activate(platformData); // the app has one note: opening anything brings it forward
}

void ApplicationInterface::ActivateAction(const QString &, const QVariantList &,
                                          const QVariantMap &platformData) {
    Activate(platformData);
}
