// SPDX-License-Identifier: MIT
#include "Fakes.h"
#include "NoteEditor.h"
#include "Notemodel.h"

#include <QClipboard>
#include <QMimeData>
#include <QTest>

namespace {

// Characters the document itself would change, mixed with ordinary ones.
const QString awkward = QStringLiteral("crlf\r\nlone cr\rpara\u2029line\u2028nbsp\u00a0nul") +
                        QChar(0) +
                        QStringLiteral("frame\uFDD0\uFDD1 tab\t\U0001F600 \u240D\u00B6\uFFFD");

} // namespace

class tst_NoteEditor : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();
    void loadsEveryCharacterExactly();
    void typingPatchesTheModel();
    void pasteFromOutsideKeepsEveryCharacter();
    void copyGivesBackTheOriginalCharacters();
    void undoAndRedoRestoreExactly();
    void typedSymbolNextToAStandInStaysASymbol();
    void modelEditsReachTheDocument();
    void largeNoteLoadsAfterTheFirstFrameAndLosesNoKey();

private:
    void expectInSync();

    std::unique_ptr<ModelFixture> f_;
    std::unique_ptr<NoteModel> model_;
    std::unique_ptr<NoteEditor> editor_;
};

void tst_NoteEditor::init() {
    f_ = std::make_unique<ModelFixture>();
}

void tst_NoteEditor::cleanup() {
    editor_.reset();
    model_.reset();
}

void tst_NoteEditor::expectInSync() {
    QCOMPARE(editor_->noteText(), model_->text());
    QCOMPARE(editor_->document()->characterCount() - 1, model_->text().size());
}

void tst_NoteEditor::loadsEveryCharacterExactly() {
    f_->store.strings[NoteModel::saveKey] = awkward;
    model_ = f_->make();
    editor_ = std::make_unique<NoteEditor>(*model_);
    QCOMPARE(editor_->noteText(), awkward);
    // The stood-in characters show as symbols; the rest as themselves.
    const QString shown = editor_->document()->toRawText();
    QVERIFY(shown.contains(QChar(0x240D)));
    QVERIFY(shown.contains(QChar(0x2028)));
    QVERIFY(shown.contains(QChar(0x00a0)));
    QCOMPARE(model_->text(), awkward);
}

void tst_NoteEditor::typingPatchesTheModel() {
    f_->store.strings[NoteModel::saveKey] = awkward;
    model_ = f_->make();
    editor_ = std::make_unique<NoteEditor>(*model_);
    editor_->moveCursor(QTextCursor::End);
    QTest::keyClicks(editor_.get(), QStringLiteral("abc"));
    QTest::keyClick(editor_.get(), Qt::Key_Return);
    QTest::keyClick(editor_.get(), Qt::Key_Return, Qt::ShiftModifier);
    QTest::keyClicks(editor_.get(), QStringLiteral("xy"));
    QTest::keyClick(editor_.get(), Qt::Key_Backspace);
    QCOMPARE(model_->text(), awkward + QStringLiteral("abc\n\nx"));
    expectInSync();

    // In the middle, over the CR LF, and a selection replaced.
    editor_->moveCursor(QTextCursor::Start);
    for (int i = 0; i < 4; ++i)
        editor_->moveCursor(QTextCursor::Right);
    QTest::keyClick(editor_.get(), Qt::Key_Delete); // the stood-in CR
    QTest::keyClicks(editor_.get(), QStringLiteral("!"));
    QCOMPARE(model_->text().left(7), QStringLiteral("crlf!\nl"));
    editor_->moveCursor(QTextCursor::Right, QTextCursor::KeepAnchor);
    editor_->moveCursor(QTextCursor::Right, QTextCursor::KeepAnchor);
    QTest::keyClicks(editor_.get(), QStringLiteral("Z"));
    QCOMPARE(model_->text().left(7), QStringLiteral("crlf!Zo"));
    expectInSync();
}

void tst_NoteEditor::pasteFromOutsideKeepsEveryCharacter() {
    model_ = f_->make();
    editor_ = std::make_unique<NoteEditor>(*model_);
    QTest::keyClicks(editor_.get(), QStringLiteral("start "));
    QGuiApplication::clipboard()->setText(awkward);
    editor_->paste();
    QCOMPARE(model_->text(), QStringLiteral("start ") + awkward);
    expectInSync();

    // Pasting over a selection replaces it.
    editor_->selectAll();
    auto *data = new QMimeData;
    data->setText(QStringLiteral("windows\r\nlines\r\n"));
    QGuiApplication::clipboard()->setMimeData(data);
    editor_->paste();
    QCOMPARE(model_->text(), QStringLiteral("windows\r\nlines\r\n"));
    expectInSync();
}

void tst_NoteEditor::copyGivesBackTheOriginalCharacters() {
    f_->store.strings[NoteModel::saveKey] = awkward;
    model_ = f_->make();
    editor_ = std::make_unique<NoteEditor>(*model_);
    editor_->selectAll();
    editor_->copy();
    QCOMPARE(QGuiApplication::clipboard()->text(), awkward);
}

void tst_NoteEditor::undoAndRedoRestoreExactly() {
    f_->store.strings[NoteModel::saveKey] = awkward;
    model_ = f_->make();
    editor_ = std::make_unique<NoteEditor>(*model_);
    QStringList states{model_->text()};
    editor_->selectAll();
    QTest::keyClick(editor_.get(), Qt::Key_Delete);
    states << model_->text();
    QGuiApplication::clipboard()->setText(QStringLiteral("p\r\nq\u2029"));
    editor_->paste();
    states << model_->text();
    QTest::keyClicks(editor_.get(), QStringLiteral("typed"));
    states << model_->text();
    QCOMPARE(states.first(), awkward);

    // Every step back and forth keeps the two equal, down to the loaded note and up again.
    QStringList seen{model_->text()};
    while (editor_->document()->isUndoAvailable()) {
        editor_->undo();
        expectInSync();
        seen << model_->text();
    }
    QCOMPARE(seen.last(), awkward);
    while (editor_->document()->isRedoAvailable()) {
        editor_->redo();
        expectInSync();
        seen << model_->text();
    }
    QCOMPARE(seen.last(), states.last());
}

void tst_NoteEditor::typedSymbolNextToAStandInStaysASymbol() {
    f_->store.strings[NoteModel::saveKey] = QStringLiteral("a\r");
    model_ = f_->make();
    editor_ = std::make_unique<NoteEditor>(*model_);
    editor_->moveCursor(QTextCursor::End);
    QTest::sendKeyEvent(QTest::Click, editor_.get(), Qt::Key_unknown, QStringLiteral("\u240D"),
                        Qt::NoModifier);
    QCOMPARE(model_->text(), QStringLiteral("a\r\u240D"));
    expectInSync();
}

void tst_NoteEditor::modelEditsReachTheDocument() {
    model_ = f_->make();
    editor_ = std::make_unique<NoteEditor>(*model_);
    model_->setText(QStringLiteral("header\n\n"));
    QCOMPARE(editor_->toPlainText(), QStringLiteral("header\n\n"));
    QVERIFY(!editor_->document()->isUndoAvailable());
    model_->replaceText(8, 0, QStringLiteral("09:05 - \r"));
    expectInSync();
    model_->replaceText(0, 6, QString());
    expectInSync();
    QCOMPARE(editor_->noteText(), QStringLiteral("\n\n09:05 - \r"));
}

void tst_NoteEditor::largeNoteLoadsAfterTheFirstFrameAndLosesNoKey() {
    const QString large =
        QStringLiteral("a line of the note\n").repeated(40000) + QStringLiteral("\r\nend");
    f_->store.strings[NoteModel::saveKey] = large;
    model_ = f_->make();

    // Shown: the window paints at once, and the note follows right after.
    editor_ = std::make_unique<NoteEditor>(*model_);
    QCOMPARE(editor_->document()->characterCount(), 1);
    editor_->show();
    QTRY_COMPARE(editor_->document()->characterCount() - 1, large.size());
    QVERIFY(editor_->placeholderText().isEmpty());

    // A change to the still empty document is never taken for the whole note.
    editor_ = std::make_unique<NoteEditor>(*model_);
    QTextCursor(editor_->document()).insertText(QStringLiteral("stray"));
    QCOMPARE(model_->text(), large);

    // A key that comes first loads the note, then lands at its end.
    editor_ = std::make_unique<NoteEditor>(*model_);
    QTest::keyClicks(editor_.get(), QStringLiteral("!"));
    QCOMPARE(model_->text(), large + u'!');
    expectInSync();
}

QTEST_MAIN(tst_NoteEditor)
#include "tst_noteeditor.moc"
