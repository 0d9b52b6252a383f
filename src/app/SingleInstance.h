// SPDX-License-Identifier: MIT
#pragma once

#include <QLockFile>
#include <QObject>

class QLocalServer;

/// Makes sure one copy of the app writes the note. A later launch finds the lock held, asks
/// the running copy to come to the front and ends. A lock left by a copy that died is taken
/// over, so a crash never keeps the app from starting.
class SingleInstance : public QObject {
    Q_OBJECT
public:
    /// `folder` is where the note lives: one running copy per note.
    explicit SingleInstance(const QString &folder, QObject *parent = nullptr);
    ~SingleInstance() override;

    /// True when this process is now the one copy.
    bool claim();
    /// Asks the copy that holds the claim to show its window. True when it answered.
    bool activateRunning();

Q_SIGNALS:
    void activationRequested();

private:
    QString folder_;
    QString serverName_;
    QLockFile lock_;
    QLocalServer *server_ = nullptr;
};
