// SPDX-License-Identifier: MIT
#pragma once

#include <QObject>

#include <functional>
#include <memory>
#include <optional>

class ApplicationInterface;
class NoteClaim;
class QLocalServer;
class QLocalSocket;

/// Makes sure one copy of the app writes a note file. A later launch for the same note asks
/// the running copy to come to the front and ends; a launch for another note runs beside it.
/// The file is known by its real path, through links and however its folders are spelled.
///
/// The claim is a lock in the user's runtime folder, never beside the note, where a sync engine
/// would carry it elsewhere; the copy listens on a socket there too. On the session bus it also
/// owns a name derived from the note file, and the usual note the app's id as well, and answers
/// org.freedesktop.Application. The system frees both when the process ends, however it ends,
/// and a copy whose bus went away is still found through the folder.
///
/// Other launches, launchers and scripts reach the copy through either (RunningCopy) with
/// requests: to come forward, to show or hide the window, to add lines to the note.
class SingleInstance : public QObject {
    Q_OBJECT
public:
    static inline const QString appId = QStringLiteral("io.github.mirtapp.Mirt");

    struct Request {
        QString action; // "activate", "ping", "toggle", "show" or "append"
        QString text;   // the lines to add
        QString activationToken;
        /// Until when the sender waits for the request to be taken up, in milliseconds of the
        /// system's monotonic clock (now()); 0 when it set none, as the desktop does.
        qint64 deadline = 0;
    };
    enum class Delivery {
        Done,
        Refused,    // the copy did not do it, said why, and never will
        Busy,       // the claim is held by a process that takes no request now: ask again soon
        NotRunning, // nobody holds the claim
    };
    /// Carries out a request in the copy that holds the claim: nothing when done, else why not.
    using Handler = std::function<std::optional<QString>(const Request &)>;

    /// Where a note's copy is found.
    struct Names {
        QString busName;
        QString objectPath;
        QString socketPath;
        QString lockPath;
    };
    static Names namesFor(const QString &notePath);
    /// A request as one line on the socket, and back.
    static QByteArray toLine(const Request &request);
    static Request fromLine(QByteArrayView line);
    /// The clock of Request::deadline, the same in every process of the system.
    static qint64 now();

    /// `usualNote`: the note the app keeps when no file is named, the one the desktop starts.
    SingleInstance(const QString &notePath, bool usualNote, QObject *parent = nullptr);
    ~SingleInstance() override;

    /// True when this process is now the one copy for the note.
    bool claim();
    /// Requests reach `handler` from now on; before, callers hear that the copy is busy.
    void setHandler(Handler handler);
    /// While held, callers hear that the copy is busy, and ask again: a request never runs
    /// inside another one, nor while the app is ending.
    void holdRequests(bool hold) { held_ = hold; }
    /// What the handler makes of `request`.
    Delivery answer(const Request &request, QString *reason) const;
    /// Moves the claim to the note at `notePath`: false, and the claim unchanged, when another
    /// copy of the app holds that note.
    bool reclaim(const QString &notePath);

private:
    struct Claim {
        Names names;
        std::unique_ptr<NoteClaim> lock;
        QLocalServer *server = nullptr;
        bool onBus = false;
    };
    static Claim claimFor(const QString &notePath);
    bool claimNote(Claim &claim);
    void offer(Claim &claim);
    void listen(Claim &claim);
    void release(Claim &claim);
    void answerSocket(QLocalSocket *socket);

    bool usualNote_;
    bool ownsAppId_ = false;
    bool held_ = false;
    Claim claim_;
    ApplicationInterface *application_;
    Handler handler_;
};
