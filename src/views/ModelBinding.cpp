// SPDX-License-Identifier: MIT
#include "ModelBinding.h"

#include "DocumentRetirement.h"
#include "LargeNoteArrival.h"
#include "ModelObserver.h"
#include "NoteLines.h"
#include "NoteText.h"

#include <QPlainTextEdit>
#include <QScopedValueRollback>
#include <QTextCursor>
#include <QTextDocument>

#include <optional>

namespace {

// Where `column` of the `line`-th line of `text` is, or the end of `text` if it has fewer lines.
qsizetype placeInLines(QStringView text, qsizetype line, qsizetype column) {
    qsizetype start = 0;
    for (; line > 0; --line) {
        start = text.indexOf(u'\n', start) + 1;
        if (start == 0)
            return text.size();
    }
    qsizetype end = text.indexOf(u'\n', start);
    return start + std::min(column, (end < 0 ? text.size() : end) - start);
}

} // namespace

ModelBinding::ModelBinding(NoteModel &model, QPlainTextEdit &editor, NoteText &text)
    : model_(model)
    , editor_(editor)
    , text_(text)
    , observer_(new ModelObserver(
          model, [this] { refresh(); }, this)) {
    connectDocument();
    connect(&model_, &NoteModel::textReplaced, this, &ModelBinding::onModelReplaced);
    // A whole new note (cleared, or a meeting header): nothing of the old one is left to undo
    // into.
    connect(&model_, &NoteModel::textAssigned, this, [this] {
        if (!editingModel_)
            showWhole();
    });
    // The text the note has now is no change; every later one is.
    textWatch_.start(model_.textRevision());
}

void ModelBinding::connectDocument() {
    connect(editor_.document(), &QTextDocument::contentsChange, this,
            &ModelBinding::onContentsChange);
}

void ModelBinding::refresh() {
    if (textWatch_.changed(model_.textRevision()))
        model_.handleTextChange();
}

void ModelBinding::beforeUserEdit() {
    observer_->flush();
}

void ModelBinding::apply(const std::function<void()> &change) {
    QScopedValueRollback guard(applying_, true);
    change();
}

void ModelBinding::showWhole() {
    shown_ = true;
    editor_.setPlaceholderText(QString());
    const QString &text = model_.text();
    if (documentLength_ > LargeNoteArrival::deferredSize) {
        editor_.document()->disconnect(this); // what it says while taken apart is no edit
        text_.setDocument(DocumentRetirement::replace(editor_));
        documentLength_ = 0;
        connectDocument();
        Q_EMIT documentReplaced();
    }
    // Both ways start a fresh undo history: no soft break can come back from it.
    text_.forgetSoftBreaks();
    text_.setMissing(0);
    QTextDocument *document = editor_.document();
    apply([&] {
        if (NoteText::isPlainLines(text)) {
            document->setUndoRedoEnabled(true);
            document->setPlainText(text); // the fast path
        } else {
            document->setUndoRedoEnabled(false);
            document->clear();
            QTextCursor cursor(document);
            text_.write(cursor, text);
            document->setUndoRedoEnabled(true);
        }
    });
    editor_.moveCursor(QTextCursor::End);
}

void ModelBinding::onContentsChange(int position, int removed, int added) {
    // The document may report a change wider than it was, taking in its final paragraph
    // break; the two lengths say how much really changed.
    Q_UNUSED(removed);
    const int length = editor_.document()->characterCount() - 1;
    added = std::min(added, length - position);
    const int replaced = documentLength_ - (length - added);
    documentLength_ = length;
    const qsizetype notePlace = text_.notePosition(position);
    const int softBreaksGone = text_.follow(position, replaced, added);
    // Until the note is shown the document holds none of it: a change there must never be
    // read as the whole note (showing it replaces it anyway).
    if (applying_ || !shown_)
        return;
    const qsizetype noteReplaced = replaced - softBreaksGone;
    QScopedValueRollback guard(editingModel_, true);
    if (position < 0 || added < 0 || replaced < 0 ||
        notePlace + noteReplaced > model_.text().size()) {
        // Never expected; keep the note equal to what is shown.
        model_.setText(text_.read(0, length));
        return;
    }
    const QString inserted = text_.read(position, position + added);
    if (noteReplaced > 0 || !inserted.isEmpty()) // not when only soft breaks came or went
        model_.replaceText(notePlace, noteReplaced, inserted);
}

void ModelBinding::onModelReplaced(qsizetype position, qsizetype removed, qsizetype added,
                                   NoteModel::UndoStep step) {
    // Before the note is shown, the model's text already holds the change that showing it
    // brings.
    if (editingModel_ || !shown_)
        return;
    Q_EMIT patching(position, step);
    const QTextCursor caret = editor_.textCursor();
    std::optional<std::pair<qsizetype, qsizetype>> kept;
    if (removed > 0 && text_.notePosition(caret.selectionEnd()) >= position &&
        text_.notePosition(caret.selectionStart()) <= position + removed)
        kept = placeOnItsLine(caret, position, removed, added);
    apply([&] {
        QTextCursor cursor(editor_.document());
        // A stamp joins the user's last edit, so that one undo takes it away together with the
        // line break that brought it; another program's change is a step of its own.
        if (step == NoteModel::UndoStep::JoinsLastEdit)
            cursor.joinPreviousEditBlock();
        else
            cursor.beginEditBlock();
        cursor.setPosition(text_.documentPosition(position));
        cursor.setPosition(text_.documentPosition(position + removed, removed
                                                                          ? NoteText::Side::Before
                                                                          : NoteText::Side::After),
                           QTextCursor::KeepAnchor);
        text_.write(cursor, QStringView(model_.text()).sliced(position, added));
        cursor.endEditBlock();
    });
    if (!kept)
        return;
    // Left to the document, a caret in the replaced lines would follow the inserted text to
    // its end. Setting it must not scroll: the view stays where the user left it.
    QTextCursor moved(editor_.document());
    moved.setPosition(text_.documentPosition(kept->first));
    moved.setPosition(text_.documentPosition(kept->second), QTextCursor::KeepAnchor);
    NoteLines::keepingTheView(editor_, [&] { editor_.setTextCursor(moved); });
}

std::pair<qsizetype, qsizetype> ModelBinding::placeOnItsLine(const QTextCursor &caret,
                                                             qsizetype position, qsizetype removed,
                                                             qsizetype added) const {
    // The lines replaced are still in the document: the caret's line and column in them give
    // its place in the lines that take their place.
    const QStringView inserted = QStringView(model_.text()).sliced(position, added);
    const auto place = [&](int documentPlace) {
        const qsizetype at = text_.notePosition(documentPlace);
        if (at < position || at > position + removed)
            return at < position ? at : at + added - removed;
        const QString before = text_.read(text_.documentPosition(position),
                                          text_.documentPosition(at, NoteText::Side::Before));
        const qsizetype line = before.count(u'\n');
        const qsizetype column = before.size() - (before.lastIndexOf(u'\n') + 1);
        return position + placeInLines(inserted, line, column);
    };
    return {place(caret.anchor()), place(caret.position())};
}
