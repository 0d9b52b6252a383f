// SPDX-License-Identifier: MIT
// Two real Syncthing instances carrying a folder between two homes, for the tests that share a
// note between machines.
#pragma once

#include "Files.h"

#include <QDir>
#include <QEventLoop>
#include <QJsonDocument>
#include <QJsonObject>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QProcess>
#include <QRegularExpression>
#include <QTcpServer>

using namespace Qt::StringLiterals;

/// The conflict copies Syncthing left in `folder`.
inline QStringList conflicts(const QString &folder) {
    return QDir(folder).entryList({u"*.sync-conflict-*"_s}, QDir::Files);
}

/// Two real Syncthing instances on loopback, sharing a folder between two homes, each with the
/// engine's own defaults (10 conflict copies kept); only discovery, relays and reporting are
/// off, and the watcher waits 1 s instead of 10 so that a run takes seconds.
class SyncthingPair {
public:
    /// `folderSettings`: more of the folder's configuration, as XML elements.
    SyncthingPair(const QString &homeA, const QString &homeB, const QString &folderSettings = {})
        : folderSettings_(folderSettings) {
        const QString homes[2] = {homeA, homeB};
        QString ids[2];
        for (int i = 0; i < 2; ++i) {
            folders_[i] = homes[i] + u"/Sync"_s;
            QDir().mkpath(folders_[i] + u"/.stfolder"_s);
            config_[i] = homes[i] + u"/syncthing"_s;
            QProcess generate;
            generate.setProcessChannelMode(QProcess::MergedChannels);
            generate.start(u"syncthing"_s, {u"generate"_s, u"--home="_s + config_[i]});
            if (!generate.waitForFinished(30000))
                qFatal("syncthing generate hung");
            static const QRegularExpression id(u"Device ID: ([A-Z0-9-]+)"_s);
            ids[i] = id.match(QString::fromUtf8(generate.readAll())).captured(1);
            ports_[i] = freePort();
            gui_[i] = freePort();
        }
        for (int i = 0; i < 2; ++i) {
            writeConfig(i, ids[i], ids[1 - i]);
            auto *process = new QProcess;
            process->setProcessChannelMode(QProcess::MergedChannels);
            process->setStandardOutputFile(config_[i] + u"/log"_s);
            QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
            env.insert(u"STNOUPGRADE"_s, u"1"_s);
            process->setProcessEnvironment(env);
            process->start(u"syncthing"_s,
                           {u"serve"_s, u"--home="_s + config_[i], u"--no-browser"_s,
                            u"--no-restart"_s, u"--logflags=0"_s});
            processes_[i] = process;
        }
    }
    ~SyncthingPair() {
        for (QProcess *process : processes_) {
            process->terminate();
            process->waitForFinished(10000);
            delete process;
        }
    }

    QString folder(int i) const { return folders_[i]; }
    /// What the engines logged, for what they say of the files they scanned.
    QByteArray log() const {
        return contents(config_[0] + u"/log"_s) + contents(config_[1] + u"/log"_s);
    }
    /// Whether each instance sees the other connected, by its REST interface.
    bool connected() {
        return ask(0, u"system/connections"_s).contains("\"connected\": true") &&
               ask(1, u"system/connections"_s).contains("\"connected\": true");
    }
    /// Whether both instances have scanned and pulled all they know of.
    bool idle() {
        for (int i = 0; i < 2; ++i) {
            const QJsonObject status =
                QJsonDocument::fromJson(ask(i, u"db/status?folder=notes"_s)).object();
            if (status[u"state"_s].toString() != u"idle"_s || status[u"needTotalItems"_s].toInt())
                return false;
        }
        return true;
    }
    /// What instance `i` answers at /rest/`what`, asked with GET or, to have it act, POST.
    QByteArray ask(int i, const QString &what, bool act = false) {
        QNetworkRequest request(QUrl(u"http://127.0.0.1:%1/rest/%2"_s.arg(gui_[i]).arg(what)));
        request.setRawHeader("X-API-Key", "mirt-test-key");
        request.setTransferTimeout(10000);
        QNetworkReply *reply = act ? network_.post(request, QByteArray()) : network_.get(request);
        QEventLoop loop;
        QObject::connect(reply, &QNetworkReply::finished, &loop, &QEventLoop::quit);
        loop.exec();
        reply->deleteLater();
        return reply->readAll();
    }

private:
    static int freePort() {
        QTcpServer probe;
        probe.listen(QHostAddress::LocalHost);
        return probe.serverPort();
    }
    void writeConfig(int i, const QString &self, const QString &peer) {
        const QString config =
            QString::fromUtf8(
                contents(QStringLiteral(MIRT_SOURCE_DIR "/tests/e2e/syncthing-config.xml")))
                .arg(folders_[i], self, peer)
                .arg(ports_[1 - i])
                .arg(gui_[i])
                .arg(ports_[i])
                .arg(folderSettings_);
        QFile file(config_[i] + u"/config.xml"_s);
        if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) ||
            file.write(config.toUtf8()) < 0)
            qFatal("cannot write the Syncthing configuration");
    }

    QString folders_[2], config_[2], folderSettings_;
    int ports_[2] = {}, gui_[2] = {};
    QProcess *processes_[2] = {};
    QNetworkAccessManager network_;
};
