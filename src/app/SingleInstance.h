// SPDX-License-Identifier: MIT
#pragma once

#include <QLockFile>
#include <QObject>

class QLocalServer;

/// Makes sure one copy of the app writes a note file. A later launch for the same note finds
/// the lock held, asks the running copy to come to the front and ends; a launch for another
/// note runs beside it. The lock and the socket live in the user's runtime folder, never
/// beside the note, where a sync engine would carry them to other machines. A lock left by a
/// copy that died is taken over, so a crash never keeps the app from starting.
class SingleInstance : public QObject {
    Q_OBJECT
public:
    explicit SingleInstance(const QString &notePath, QObject *parent = nullptr);
    ~SingleInstance() override;

    /// True when this process is now the one copy for the note.
    bool claim();
    /// Asks the copy that holds the claim to show its window. True when it answered.
    bool activateRunning();

Q_SIGNALS:
    void activationRequested();

private:
    QString socketPath_;
    QLockFile lock_;
    QLocalServer *server_ = nullptr;
};
