// SPDX-License-Identifier: MIT
#pragma once

#include <QLockFile>
#include <QObject>

class QLocalServer;

/// Makes sure one copy of the app writes a note file. A later launch for the same note asks
/// the running copy to come to the front and ends; a launch for another note runs beside it.
///
/// On the session bus the copy owns a name derived from the note file, and the usual note the
/// app's id as well, and answers org.freedesktop.Application; the bus frees the names when the
/// process ends, however it ends. Without a bus, a lock and a socket in the user's runtime
/// folder do the same; never beside the note, where a sync engine would carry them elsewhere.
class SingleInstance : public QObject {
    Q_OBJECT
public:
    static inline const QString appId = QStringLiteral("io.github.mirtapp.Mirt");

    /// `usualNote`: the note the app keeps when no file is named, the one the desktop starts.
    SingleInstance(const QString &notePath, bool usualNote, QObject *parent = nullptr);
    ~SingleInstance() override;

    /// True when this process is now the one copy for the note.
    bool claim();
    /// Asks the copy that holds the claim to show its window. True when it answered.
    bool activateRunning();

Q_SIGNALS:
    void activationRequested();

private:
    bool claimSocket();

    bool usualNote_;
    QString busName_;
    QString objectPath_;
    QString socketPath_;
    QLockFile lock_;
    QLocalServer *server_ = nullptr;
};
