// SPDX-License-Identifier: MIT
#include "Setup.h"

#include "ContentView.h"
#include "NoteEditor.h"
#include "NoteFont.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QKeyEvent>
#include <QPlainTextEdit>
#include <QProcess>

#include <algorithm>
#include <cstdio>

QString sizeName(qsizetype bytes) {
    return bytes >= MB ? QStringLiteral("%1 MB").arg(bytes / MB)
                       : QStringLiteral("%1 KB").arg(bytes / KB);
}

int runsFor(qsizetype bytes) {
    return bytes >= 10 * MB ? 100 : 300;
}

void key(QWidget *target, Qt::Key k, const QString &text) {
    QKeyEvent press(QEvent::KeyPress, k, Qt::NoModifier, text);
    QCoreApplication::sendEvent(target, &press);
    QKeyEvent release(QEvent::KeyRelease, k, Qt::NoModifier, text);
    QCoreApplication::sendEvent(target, &release);
}

void runRefreshes() {
    QCoreApplication::sendPostedEvents(nullptr, QEvent::MetaCall);
}

void waitForWholeNote(NoteEditor *editor) {
    for (int i = 0; i < 20 || !editor->hasWholeNote(); ++i)
        QCoreApplication::processEvents();
}

std::unique_ptr<ContentView> shownContent(NoteModel &model) {
    auto view = std::make_unique<ContentView>(model);
    view->resize(420, 420);
    view->show();
    waitForWholeNote(view->editor());
    view->editor()->moveCursor(QTextCursor::End);
    view->editor()->setFocus();
    QCoreApplication::processEvents();
    return view;
}

double reportTurns(const char *name, std::vector<double> turns) {
    std::sort(turns.begin(), turns.end());
    const double p99 = turns[size_t(0.99 * double(turns.size() - 1) + 0.5)];
    std::printf("| %-52s | p99 %.2f ms, longest %.2f ms, %zu turns |\n", name, p99, turns.back(),
                turns.size());
    return p99;
}

std::unique_ptr<QPlainTextEdit> shownBareEditor(const QString &text) {
    auto editor = std::make_unique<QPlainTextEdit>();
    editor->setFont(noteFont(13));
    editor->setPlainText(text);
    editor->resize(420, 420);
    editor->show();
    for (int i = 0; i < 20; ++i)
        QCoreApplication::processEvents();
    return editor;
}

Stats paintedKeystroke(QPlainTextEdit *editor, int runs, const Keystroke &stroke, int warmup) {
    return measure(warmup, runs, [editor, &stroke] {
        const double ms = timed([&] {
            key(editor, stroke.key, stroke.text);
            QCoreApplication::processEvents();
        });
        key(editor, stroke.back, stroke.backText);
        QCoreApplication::processEvents();
        return ms;
    });
}

QString self() {
    return QCoreApplication::applicationFilePath();
}

Home::Home(const QString &note) {
    const QString data = dir.filePath(QStringLiteral("data"));
    QDir().mkpath(data + QStringLiteral("/Mirt/Mirt"));
    if (!note.isEmpty()) {
        QFile file(data + QStringLiteral("/Mirt/Mirt/mirt.note.autosave.txt"));
        file.open(QIODevice::WriteOnly);
        file.write(note.toUtf8());
    }
    QDir().mkpath(dir.filePath(QStringLiteral("run")));
    QFile::setPermissions(dir.filePath(QStringLiteral("run")),
                          QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    env.insert(QStringLiteral("HOME"), dir.path());
    env.insert(QStringLiteral("XDG_DATA_HOME"), data);
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), dir.filePath(QStringLiteral("config")));
    env.insert(QStringLiteral("XDG_RUNTIME_DIR"), dir.filePath(QStringLiteral("run")));
}

QString Home::notePath() const {
    return dir.filePath(QStringLiteral("data/Mirt/Mirt/mirt.note.autosave.txt"));
}

double startupOnce(const Home &home, const QStringList &arguments) {
    QProcess child;
    child.setProcessEnvironment(home.env);
    QElapsedTimer clock;
    clock.start();
    child.start(self(), arguments);
    while (!child.canReadLine())
        if (!child.waitForReadyRead(30000))
            qFatal("start-up child gave no answer");
    const double ms = double(clock.nsecsElapsed()) / 1e6;
    child.waitForFinished(30000);
    return ms;
}
