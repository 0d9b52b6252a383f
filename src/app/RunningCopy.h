// SPDX-License-Identifier: MIT
#pragma once

#include "SingleInstance.h"

/// The copy of the app that holds a note's claim, as another process reaches it: a second
/// launch, `mirt --toggle`, `--show` and `--append`. A request goes over the session bus, or
/// over the runtime folder's socket where there is no bus, or where the text is more than the
/// bus carries.
///
/// Its answer is the truth about it. A request carries its deadline: the copy takes none up
/// after it, and the sender waits for the answer as long again after it, the time the copy has
/// to carry out one it took up in time. So "not done" is never followed by the deed.
class RunningCopy {
public:
    using Delivery = SingleInstance::Delivery;

    explicit RunningCopy(const QString &notePath);

    /// How long a request may wait to be taken up: MIRT_REQUEST_TIMEOUT seconds, 10 by default.
    static qint64 patience();

    /// Asks the copy that holds the claim to carry out `request` before its deadline, and
    /// returns once it has, or has refused (`reason` says why), or the time is up (Busy).
    Delivery send(const SingleInstance::Request &request, QString *reason = nullptr) const;
    /// Whether the copy that has just answered goes on: asked again a moment later, one that a
    /// signal to end reached together with the request answers busy, then ends.
    bool goesOn() const;

private:
    Delivery sendOnBus(const SingleInstance::Request &request, QString *reason) const;
    Delivery sendOnSocket(const SingleInstance::Request &request, QString *reason) const;

    SingleInstance::Names names_;
};
