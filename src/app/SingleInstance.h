// SPDX-License-Identifier: MIT
#pragma once

#include <QObject>

#include <functional>
#include <memory>
#include <optional>

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
///
/// Other launches, launchers and scripts reach the copy through either with requests: to come
/// forward, to show or hide the window, to add lines to the note.
class SingleInstance : public QObject {
    Q_OBJECT
public:
    static inline const QString appId = QStringLiteral("io.github.mirtapp.Mirt");

    struct Request {
        QString action; // "activate", "toggle", "show" or "append"
        QString text;   // the lines to add
        QString activationToken;
    };
    enum class Delivery {
        Done,
        Refused,    // the copy could not do it, and said why
        Busy,       // the claim is held by a process that answers nothing yet: ask again soon
        NotRunning, // nobody holds the claim
    };
    /// Carries out a request in the copy that holds the claim: nothing when done, else why not.
    using Handler = std::function<std::optional<QString>(const Request &)>;

    /// `usualNote`: the note the app keeps when no file is named, the one the desktop starts.
    SingleInstance(const QString &notePath, bool usualNote, QObject *parent = nullptr);
    ~SingleInstance() override;

    /// True when this process is now the one copy for the note.
    bool claim();
    /// Asks the copy that holds the claim to show its window. True when it answered.
    bool activateRunning();
    /// Asks the copy that holds the claim to carry out `request`, and returns once it has, or
    /// has refused (`reason` says why). Waits out a copy that is still starting.
    Delivery send(const Request &request, QString *reason = nullptr);
    /// Requests reach `handler` from now on; before, callers hear that the copy is busy.
    void setHandler(Handler handler);
    /// What the handler makes of `request`.
    Delivery answer(const Request &request, QString *reason) const;
    /// Moves the claim to the note at `notePath`: false, and the claim unchanged, when another
    /// copy of the app holds that note.
    bool reclaim(const QString &notePath);

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
    void offer(Claim &claim);
    void listen(Claim &claim);
    void release(Claim &claim);
    void answerSocket(class QLocalSocket *socket);
    Delivery sendOnBus(const Request &request, QString *reason);
    Delivery sendOnSocket(const Request &request, QString *reason);

    bool usualNote_;
    bool ownsAppId_ = false;
    Claim claim_;
    ApplicationInterface *application_;
    Handler handler_;
};
