// SPDX-License-Identifier: MIT
#pragma once

#include <QObject>

#include <memory>

class ApplicationInterface;
class QLocalServer;
class QLockFile;

/// Makes sure one copy of the app writes a note file. A later launch for the same note asks
/// the running copy to come to the front and ends; a launch for another note runs beside it.
/// The file is known by its real path, through links and however its folders are spelled.
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
    /// Moves the claim to the note at `notePath`: false, and the claim unchanged, when another
    /// copy of the app holds that note.
    bool reclaim(const QString &notePath);

Q_SIGNALS:
    void activationRequested();

private:
    struct Claim {
        QString key;
        QString busName;
        QString objectPath;
        QString socketPath;
        std::unique_ptr<QLockFile> lock;
        QLocalServer *server = nullptr;
        bool onBus = false;
    };
    static Claim claimFor(const QString &notePath);
    bool claimNote(Claim &claim);
    bool claimSocket(Claim &claim);
    void release(Claim &claim);

    bool usualNote_;
    Claim claim_;
    ApplicationInterface *application_;
};
