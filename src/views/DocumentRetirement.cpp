// SPDX-License-Identifier: MIT
#include "DocumentRetirement.h"

#include "LineDirections.h"

#include <QPlainTextEdit>
#include <QTextCursor>
#include <QTextDocument>
#include <QTimer>

namespace {

// A document is freed this much a turn, a few milliseconds' work.
constexpr int sliceSize = 64 * 1024;

// A timer, not a queued call, so that no slice runs in the turn of the edit that let the
// document go.
void dismantle(QTextDocument *document) {
    document->setUndoRedoEnabled(false);
    auto *slices = new QTimer(document);
    QObject::connect(slices, &QTimer::timeout, document, [document, slices] {
        QTextCursor cursor(document);
        cursor.movePosition(QTextCursor::End);
        cursor.setPosition(std::max(0, cursor.position() - sliceSize), QTextCursor::KeepAnchor);
        cursor.removeSelectedText();
        if (document->isEmpty()) {
            slices->stop();
            document->deleteLater();
        }
    });
    slices->start(0);
}

} // namespace

QTextDocument *DocumentRetirement::replace(QPlainTextEdit &editor) {
    QTextDocument *old = editor.document();
    auto *fresh = new QTextDocument(&editor);
    fresh->setDocumentLayout(new LineDirections::Layout(fresh));
    fresh->setDefaultFont(old->defaultFont());
    fresh->setDefaultTextOption(old->defaultTextOption());
    fresh->setDocumentMargin(old->documentMargin());
    old->disconnect(&editor);
    old->setParent(&editor); // the editor deletes a document it was given only if it made it
    editor.setDocument(fresh);
    dismantle(old);
    // Setting a document tells nothing of its history; the menu's Undo and Redo follow these.
    Q_EMIT editor.undoAvailable(false);
    Q_EMIT editor.redoAvailable(false);
    return fresh;
}
