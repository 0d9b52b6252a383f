// SPDX-License-Identifier: MIT
#include "NoteFile.h"

#include "NoteWriter.h"

#include <QFileInfo>
#include <QFileSystemWatcher>
#include <QTimer>

NoteFile::NoteFile(const QString &path, Options options, QObject *parent)
    : QObject(parent)
    , writer_(std::make_unique<NoteWriter>(*this, path, options)) {
    // Watchers miss events on some network and FUSE file systems; every write checks anew.
    auto *watcher = new QFileSystemWatcher(this);
    auto *settle = new QTimer(this);
    settle->setSingleShot(true);
    settle->setInterval(150); // a burst of events, such as a sync engine's rename, is one change
    const auto watch = [this, watcher] {
        // A rename over the note replaces the file that was watched: watch the new one. A
        // folder that does not exist yet is watched for through the nearest one that does.
        const QFileInfo note(writer_->realPath());
        QString folder = note.absolutePath();
        while (!QFileInfo(folder).isDir() && QFileInfo(folder).absolutePath() != folder)
            folder = QFileInfo(folder).absolutePath();
        for (const QString &watched : watcher->directories())
            if (watched != folder)
                watcher->removePath(watched);
        if (!watcher->directories().contains(folder))
            watcher->addPath(folder);
        if (!watcher->files().contains(note.filePath()) && note.exists())
            watcher->addPath(note.filePath());
    };
    connect(watcher, &QFileSystemWatcher::fileChanged, settle, qOverload<>(&QTimer::start));
    connect(watcher, &QFileSystemWatcher::directoryChanged, settle, qOverload<>(&QTimer::start));
    connect(settle, &QTimer::timeout, this, [this, watch] {
        watch();
        check();
    });
    connect(this, &NoteFile::writeSucceeded, this, watch);
    watch();
}

NoteFile::~NoteFile() {
    writer_.reset();
}

QString NoteFile::path() const {
    return writer_->path();
}

QString NoteFile::realPath() const {
    return writer_->realPath();
}

std::optional<QString> NoteFile::read() {
    return writer_->read();
}

std::optional<QByteArray> NoteFile::readBytes() {
    return writer_->readBytes();
}

void NoteFile::write(QByteArray utf8, const QString &supersededFile) {
    writer_->submit(std::move(utf8), supersededFile);
}

void NoteFile::keepVersion(NoteHistory::Kind kind, QString text) {
    writer_->keepVersion(kind, std::move(text));
}

void NoteFile::setHistory(NoteHistory *history) {
    writer_->setHistory(history);
}

void NoteFile::check() {
    writer_->requestCheck();
}

void NoteFile::flush() {
    writer_->waitUntilIdle();
}

void NoteFile::accept(quint64 version) {
    writer_->accept(version);
}

std::optional<QString> NoteFile::baseOf(const QString &one, const QString &other) {
    return writer_->baseOf(one, other);
}

std::pair<QString, std::optional<QString>> NoteFile::keepCopy(const QByteArray &utf8) {
    return writer_->keepCopy(utf8);
}

void NoteFile::relocate(const QString &path, Options options, bool adopt) {
    writer_->relocate(path, options, adopt);
    check();
}
