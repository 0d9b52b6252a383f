// SPDX-License-Identifier: MIT
#include "FileDrop.h"

#include "TextFile.h"

#include <QCoreApplication>
#include <QDropEvent>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QScopedValueRollback>

namespace {

// The local files a drag carries; none when it carries anything else.
QStringList localFiles(const QMimeData *data) {
    QStringList files;
    for (const QUrl &url : data->urls()) {
        if (!url.isLocalFile())
            return {};
        files << url.toLocalFile();
    }
    return files;
}

} // namespace

FileDrop::FileDrop(QPlainTextEdit &editor, QObject *parent)
    : QObject(parent)
    , editor_(editor) {
    editor_.viewport()->installEventFilter(this);
}

bool FileDrop::eventFilter(QObject *watched, QEvent *event) {
    const auto type = event->type();
    if (forwarding_ ||
        (type != QEvent::DragEnter && type != QEvent::DragMove && type != QEvent::Drop))
        return false;
    auto *drag = static_cast<QDropEvent *>(event);
    const QStringList files = localFiles(drag->mimeData());
    if (files.isEmpty())
        return false;
    if (type == QEvent::Drop) {
        drop(drag, files);
        return true;
    }
    // The editor shows where the text will go, as for a drag of text.
    QMimeData text;
    text.setText(QString());
    QScopedValueRollback guard(forwarding_, true);
    if (type == QEvent::DragEnter) {
        QDragEnterEvent enter(drag->position().toPoint(), Qt::CopyAction, &text, drag->buttons(),
                              drag->modifiers());
        QCoreApplication::sendEvent(watched, &enter);
    } else {
        QDragMoveEvent move(drag->position().toPoint(), Qt::CopyAction, &text, drag->buttons(),
                            drag->modifiers());
        QCoreApplication::sendEvent(watched, &move);
    }
    drag->setDropAction(Qt::CopyAction);
    drag->accept();
    return true;
}

void FileDrop::drop(QDropEvent *event, const QStringList &files) {
    QString inserted;
    for (const QString &file : files) {
        const TextFile read = TextFile::read(file);
        if (!read.refusal.isEmpty()) {
            event->ignore();
            Q_EMIT refused(read.refusal);
            return;
        }
        inserted += read.text;
    }
    QMimeData text;
    text.setText(inserted);
    QDropEvent asText(event->position(), Qt::CopyAction, &text, event->buttons(),
                      event->modifiers());
    QScopedValueRollback guard(forwarding_, true);
    QCoreApplication::sendEvent(editor_.viewport(), &asText);
    event->setDropAction(Qt::CopyAction);
    event->accept();
    editor_.setFocus(Qt::OtherFocusReason);
}
