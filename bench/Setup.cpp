// SPDX-License-Identifier: MIT
#include "Setup.h"

#include "ContentView.h"
#include "NoteEditor.h"
#include "NoteFont.h"

#include <QCoreApplication>
#include <QKeyEvent>
#include <QPlainTextEdit>

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
