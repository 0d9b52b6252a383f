// SPDX-License-Identifier: MIT
#include "EditorDecorations.h"
#include "Fakes.h"
#include "NoteEditor.h"
#include "Notemodel.h"
#include "SpellChecker.h"

#include <QClipboard>
#include <QMimeData>
#include <QScrollBar>
#include <QTest>
#include <QTextBlock>
#include <QWheelEvent>

using namespace Qt::StringLiterals;

namespace {

// Characters the document itself would change, mixed with ordinary ones.
const QString awkward = u"crlf\r\nlone cr\rpara\u2029line\u2028nbsp\u00a0nul"_s + QChar(0) +
                        u"frame\uFDD0\uFDD1 tab\t\U0001F600 \u240D\u00B6\uFFFD"_s;

} // namespace

class tst_NoteEditor : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void cleanup();
    void loadsAndCopiesEveryCharacterExactly();
    void typingPatchesTheModel();
    void pasteFromOutsideKeepsEveryCharacter();
    void undoAndRedoRestoreExactly();
    void typedSymbolNextToAStandInStaysASymbol();
    void typedLineBreakGetsStampAndOneUndoTakesBoth();
    void outsideChangeIsAnUndoStepOfItsOwnAndKeepsTheCaret();
    void largeNoteLoadsAfterTheFirstFrameAndLosesNoKey();
    void spellingMarksOnlyMisspelledWordsOnScreen();
    void ctrlAndTheWheelStepTheNotesFontSize();

private:
    NoteEditor &open(const QString &note);
    void expectInSync();

    ModelFixture f_;
    std::unique_ptr<NoteModel> model_;
    std::unique_ptr<NoteEditor> editor_;
};

void tst_NoteEditor::cleanup() {
    editor_.reset();
    model_.reset();
}

NoteEditor &tst_NoteEditor::open(const QString &note) {
    editor_.reset();
    f_.store.strings[NoteModel::saveKey] = note;
    model_ = f_.make();
    editor_ = std::make_unique<NoteEditor>(*model_);
    editor_->moveCursor(QTextCursor::End);
    return *editor_;
}

void tst_NoteEditor::expectInSync() {
    QCOMPARE(editor_->noteText(), model_->text());
    QCOMPARE(editor_->document()->characterCount() - 1, model_->text().size());
}

void tst_NoteEditor::loadsAndCopiesEveryCharacterExactly() {
    NoteEditor &editor = open(awkward);
    QCOMPARE(editor.noteText(), awkward);
    QVERIFY(editor.document()->toRawText().contains(QChar(0x240D))); // shown as a symbol
    editor.selectAll();
    editor.copy();
    QCOMPARE(QGuiApplication::clipboard()->text(), awkward);
    QCOMPARE(model_->text(), awkward);
}

void tst_NoteEditor::typingPatchesTheModel() {
    NoteEditor &editor = open(awkward);
    QTest::keyClicks(&editor, u"abc"_s);
    QTest::keyClick(&editor, Qt::Key_Return);
    QTest::keyClick(&editor, Qt::Key_Return, Qt::ShiftModifier);
    QTest::keyClicks(&editor, u"xy"_s);
    QTest::keyClick(&editor, Qt::Key_Backspace);
    QCOMPARE(model_->text(), awkward + u"abc\n\nx"_s);
    expectInSync();
    // In the middle, over the CR LF, and a selection replaced.
    editor.moveCursor(QTextCursor::Start);
    for (int i = 0; i < 4; ++i)
        editor.moveCursor(QTextCursor::Right);
    QTest::keyClick(&editor, Qt::Key_Delete); // the stood-in CR
    QTest::keyClicks(&editor, u"!"_s);
    editor.moveCursor(QTextCursor::Right, QTextCursor::KeepAnchor);
    editor.moveCursor(QTextCursor::Right, QTextCursor::KeepAnchor);
    QTest::keyClicks(&editor, u"Z"_s);
    QCOMPARE(model_->text().left(7), u"crlf!Zo"_s);
    expectInSync();
}

void tst_NoteEditor::pasteFromOutsideKeepsEveryCharacter() {
    NoteEditor &editor = open(u"start "_s);
    QGuiApplication::clipboard()->setText(awkward);
    editor.paste();
    QCOMPARE(model_->text(), u"start "_s + awkward);
    expectInSync();
    editor.selectAll(); // pasting over a selection replaces it
    auto *data = new QMimeData;
    data->setText(u"windows\r\nlines\r\n"_s);
    QGuiApplication::clipboard()->setMimeData(data);
    editor.paste();
    QCOMPARE(model_->text(), u"windows\r\nlines\r\n"_s);
    expectInSync();
}

void tst_NoteEditor::undoAndRedoRestoreExactly() {
    NoteEditor &editor = open(awkward);
    editor.selectAll();
    QTest::keyClick(&editor, Qt::Key_Delete);
    QGuiApplication::clipboard()->setText(u"p\r\nq\u2029"_s);
    editor.paste();
    QTest::keyClicks(&editor, u"typed"_s);
    const QString last = model_->text();
    // Every step back and forth keeps the two equal, down to the loaded note and up again.
    while (editor.document()->isUndoAvailable()) {
        editor.undo();
        expectInSync();
    }
    QCOMPARE(model_->text(), awkward);
    while (editor.document()->isRedoAvailable()) {
        editor.redo();
        expectInSync();
    }
    QCOMPARE(model_->text(), last);
}

void tst_NoteEditor::typedSymbolNextToAStandInStaysASymbol() {
    NoteEditor &editor = open(u"a\r"_s);
    QTest::sendKeyEvent(QTest::Click, &editor, Qt::Key_unknown, u"\u240D"_s, Qt::NoModifier);
    QCOMPARE(model_->text(), u"a\r\u240D"_s);
    expectInSync();
}

void tst_NoteEditor::typedLineBreakGetsStampAndOneUndoTakesBoth() {
    QString note;
    for (int i = 0; i < 400; ++i)
        note += u"line %1\n"_s.arg(i);
    NoteEditor &editor = open(QString());
    editor.resize(300, 200);
    editor.show();
    model_->startMeetingMode();
    model_->replaceText(model_->text().size(), 0, note);
    editor.moveCursor(QTextCursor::End);
    // Typed in one batch, as fast typists do: the line break is still seen on its own.
    QTest::keyClicks(&editor, u"Budget"_s);
    QTest::keyClick(&editor, Qt::Key_Return);
    const int scrolled = editor.verticalScrollBar()->value();
    QCoreApplication::processEvents();
    const QString expected = u"2024 03 07, 09:05\n\n"_s + note + u"Budget\n09:05 - "_s;
    QCOMPARE(model_->text(), expected);
    expectInSync();
    QCOMPARE(editor.textCursor().position(), expected.size()); // the caret after the stamp
    QCOMPARE(editor.verticalScrollBar()->value(), scrolled);
    editor.undo();
    QCoreApplication::processEvents();
    QVERIFY(model_->text().endsWith(u"\nBudget"_s));
    editor.redo();
    QCoreApplication::processEvents();
    QCOMPARE(model_->text(), expected); // redone, and not stamped a second time
}

void tst_NoteEditor::outsideChangeIsAnUndoStepOfItsOwnAndKeepsTheCaret() {
    NoteEditor &editor = open(u"first\nsecond\nthird\n"_s);
    QTest::keyClicks(&editor, u"mine"_s);
    editor.moveCursor(QTextCursor::Start);
    editor.moveCursor(QTextCursor::Down);
    editor.moveCursor(QTextCursor::Right); // in "second", after the s
    Q_EMIT f_.store.changedOutside(NoteModel::saveKey, u"above\nfirst\nsecond\nthird\n"_s,
                                   u"first\nsecond\nthird\n"_s, 1);
    QCOMPARE(model_->text(), u"above\nfirst\nsecond\nthird\nmine"_s);
    expectInSync();
    QCOMPARE(editor.textCursor().blockNumber(), 2);
    QCOMPARE(editor.textCursor().positionInBlock(), 1);
    editor.undo(); // takes the outside change back, and only it
    QCOMPARE(model_->text(), u"first\nsecond\nthird\nmine"_s);
}

void tst_NoteEditor::largeNoteLoadsAfterTheFirstFrameAndLosesNoKey() {
    // Stood-in characters on every side of the slices the note arrives in.
    QString large;
    for (int i = 0; i < 40000; ++i)
        large += i % 7 ? u"a line of the note\n"_s : u"cr lf\r\npara\u2029\U0001F600\n"_s;
    large += u"end"_s;
    NoteEditor &shown = open(large);
    QCOMPARE(shown.document()->characterCount(), 1); // the window paints at once
    shown.resize(300, 200);
    shown.show();
    QTRY_VERIFY(shown.document()->characterCount() > 1); // then the end of the note
    QVERIFY(shown.document()->characterCount() - 1 < large.size());
    QCOMPARE(shown.document()->lastBlock().text(), u"end"_s);
    QTest::keyClicks(&shown, u"!"_s); // typed while the rest arrives: lands where it is seen
    QCOMPARE(model_->text(), large + u'!');
    QTRY_COMPARE(shown.document()->characterCount() - 1, model_->text().size());
    QVERIFY(shown.viewport()->rect().contains(shown.cursorRect())); // the caret still in view
    expectInSync();
    // A change to the still empty document is never taken for the whole note.
    QTextCursor(open(large).document()).insertText(u"stray"_s);
    QCOMPARE(model_->text(), large);
    // A key that comes before the first frame shows the end, then lands there.
    QTest::keyClicks(&open(large), u"?"_s);
    QCOMPARE(model_->text(), large + u'?');
    expectInSync();
}

void tst_NoteEditor::spellingMarksOnlyMisspelledWordsOnScreen() {
    const QString minutes = u"2024 03 07, 09:05\n\n09:06 - budgte agreed\n09:07 - "_s;
    NoteEditor &editor = open(u"filler words here\n"_s.repeated(100000) + minutes);
    editor.resize(400, 200);
    editor.show();
    QTRY_COMPARE(editor.document()->characterCount() - 1, model_->text().size());
    SpellChecker checker(u"en_US"_s);
    editor.setSpellChecker(&checker);
    const qsizetype at = model_->text().size() - minutes.size();
    const auto word = editor.decorations().misspelledWordAt(int(at + minutes.indexOf(u"budgte")));
    QCOMPARE(word, std::optional(std::pair(int(at + minutes.indexOf(u"budgte")), 6)));
    for (const char *fine : {"2024", "09:06 -", "agreed", "09:07 - "})
        QVERIFY2(
            !editor.decorations().misspelledWordAt(int(at + minutes.indexOf(QLatin1String(fine)))),
            fine);
    QVERIFY2(checker.lookups() < 20, "only the words on screen are checked");
    QVERIFY(!editor.document()->isUndoAvailable());
    QCOMPARE(editor.noteText(), model_->text());
}

void tst_NoteEditor::ctrlAndTheWheelStepTheNotesFontSize() {
    NoteEditor &editor = open(QString());
    const QFont before = editor.font();
    for (const int delta : {120, 120, -120}) {
        QWheelEvent wheel(QPointF(5, 5), QPointF(5, 5), {}, {0, delta}, Qt::NoButton,
                          Qt::ControlModifier, Qt::NoScrollPhase, false);
        QCoreApplication::sendEvent(editor.viewport(), &wheel);
    }
    QCOMPARE(model_->fontSize(), 15.0); // through the model: stepped, bounded and stored
    QCOMPARE(f_.store.floats[NoteModel::fontSizeKey], 15.0f);
    QCOMPARE(editor.font(), before); // not the toolkit's own zoom, which the model never sees
}

QTEST_MAIN(tst_NoteEditor)
#include "tst_noteeditor.moc"
