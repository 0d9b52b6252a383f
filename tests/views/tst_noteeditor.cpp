// SPDX-License-Identifier: MIT
#include "EditorDecorations.h"
#include "Fakes.h"
#include "NoteEditor.h"
#include "Notemodel.h"
#include "SpellChecker.h"

#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QDir>
#include <QMenu>
#include <QPointer>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBlock>
#include <QTimer>
#include <QWheelEvent>

using namespace Qt::StringLiterals;

namespace {

// Where a key that reaches past the start of the part of a large note shown takes the caret.
enum Reach { Start, AllBefore, OneBefore, Before };

} // namespace

class tst_NoteEditor : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void cleanup();
    void typedOverASelectionIsUndoneToTheNote_data();
    void typedOverASelectionIsUndoneToTheNote();
    void keysCrossAnEmptiedPiece_data();
    void keysCrossAnEmptiedPiece();
    void typedLineBreakGetsStampAndOneUndoTakesBoth();
    void outsideChangeIsAnUndoStepOfItsOwnAndKeepsTheCaret_data();
    void outsideChangeIsAnUndoStepOfItsOwnAndKeepsTheCaret();
    void largeNoteLoadsAfterTheFirstFrameAndLosesNoKey();
    void keysReachPastThePartShown_data();
    void keysReachPastThePartShown();
    void spellingReadsWholeWordsOnScreen();
    void spellingSuggestionReplacesTheWordWhereItIsNow();
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
    QCOMPARE(editor_->notePosition(editor_->document()->characterCount() - 1),
             model_->text().size());
}

void tst_NoteEditor::typedOverASelectionIsUndoneToTheNote_data() {
    QTest::addColumn<QString>("note");
    QTest::addColumn<QString>("pasted");
    QTest::addColumn<qsizetype>("anchor"); // of the selection; -1: all of it
    QTest::addColumn<qsizetype>("caret");
    QTest::addColumn<int>("scrolled"); // rows, after the selection is made
    QTest::addColumn<QString>("typed");
    // Ending with a line break: the toolkit's editor, typing one there, first resets the
    // selection's format in an undo step of its own, and undo brought the text back unmarked.
    QTest::newRow("CR LF lines") << u"l1\r\nl2\r\n"_s << QString() << -1LL << -1LL << 0 << u"\n"_s;
    QTest::newRow("U+2029 and the frame's characters")
        << u"a\u2029b\uFDD0c\uFDD1\n"_s << QString() << -1LL << -1LL << 0 << u"\n"_s;
    QTest::newRow("CR pasted") << QString() << u"pasted\rtext\r\n"_s << -1LL << -1LL << 0
                               << u"\n"_s;
    QTest::newRow("a long line's soft breaks")
        << u"word "_s.repeated(1000) + u'\n' << QString() << -1LL << -1LL << 0 << u"\n"_s;
    // Back to a stood-in character at the end of a line whose start is scrolled out of view
    // (twin seed 78 of the first generator): shown while the document was not laid out again,
    // the caret crashed the editor.
    const QString words =
        u"lorem ipsum dolor sit amet, consectetur-adipiscing elit. "_s.repeated(8);
    QTest::newRow("back to CR, scrolled") << words.first(230) + u"\r\u2029\r\n"_s + words.first(400)
                                          << QString() << 577LL << 233LL << 4 << u"Q"_s;
}

void tst_NoteEditor::typedOverASelectionIsUndoneToTheNote() {
    QFETCH(QString, note);
    QFETCH(QString, pasted);
    QFETCH(qsizetype, anchor);
    QFETCH(qsizetype, caret);
    QFETCH(int, scrolled);
    QFETCH(QString, typed);
    NoteEditor &editor = open(note);
    editor.resize(300, 200);
    editor.show();
    QGuiApplication::clipboard()->setText(pasted);
    QTest::keyClick(&editor, Qt::Key_V, Qt::ControlModifier);
    const QString before = model_->text();
    QTextCursor selection(editor.document());
    selection.setPosition(editor.documentPosition(std::max<qsizetype>(anchor, 0)));
    selection.setPosition(editor.documentPosition(caret < 0 ? before.size() : caret),
                          QTextCursor::KeepAnchor);
    editor.setTextCursor(selection);
    if (scrolled > 0)
        editor.verticalScrollBar()->setValue(scrolled);
    const auto [from, to] = editor.noteSelection();
    typed == u"\n"_s ? QTest::keyClick(&editor, Qt::Key_Return) : QTest::keyClicks(&editor, typed);
    QCOMPARE(model_->text(), QString(before).replace(from, to - from, typed));
    QTest::keyClick(&editor, Qt::Key_Z, Qt::ControlModifier);
    QCOMPARE(model_->text(), before);
    expectInSync();
}

void tst_NoteEditor::keysCrossAnEmptiedPiece_data() {
    QTest::addColumn<int>("key");
    QTest::addColumn<bool>("after");  // the caret after the two soft breaks, else before them
    QTest::addColumn<int>("moved");   // where the caret goes, from where it was in the note
    QTest::addColumn<int>("deleted"); // the note's character deleted, from there; 0: none
    QTest::newRow("Backspace") << int(Qt::Key_Backspace) << true << -1 << -1;
    QTest::newRow("Left") << int(Qt::Key_Left) << true << -1 << 0;
    QTest::newRow("Delete") << int(Qt::Key_Delete) << false << 0 << 1;
    QTest::newRow("Right") << int(Qt::Key_Right) << false << 1 << 0;
}

void tst_NoteEditor::keysCrossAnEmptiedPiece() {
    QFETCH(int, key);
    QFETCH(bool, after);
    QFETCH(int, moved);
    QFETCH(int, deleted);
    NoteEditor &editor = open(u"word "_s.repeated(1000));
    const QTextBlock third = editor.document()->findBlockByNumber(2);
    const qsizetype at = editor.notePosition(third.position());
    editor.selectRange(at, third.length() - 1);
    QTest::keyClick(&editor, Qt::Key_Delete); // two soft breaks in a row, with no text between
    const QString note = model_->text();
    QTextCursor caret(editor.document());
    caret.setPosition(
        editor.documentPosition(at, after ? NoteEditor::Side::After : NoteEditor::Side::Before));
    editor.setTextCursor(caret);
    QTest::keyClick(&editor, Qt::Key(key));
    QCOMPARE(editor.noteSelection(), std::pair(at + moved, at + moved));
    QCOMPARE(model_->text(), deleted ? QString(note).remove(at + std::min(deleted, 0), 1) : note);
}

void tst_NoteEditor::typedLineBreakGetsStampAndOneUndoTakesBoth() {
    QString note;
    for (int i = 0; i < 400; ++i)
        note += u"line %1\n"_s.arg(i);
    note += u"word "_s.repeated(600); // held in pieces: the line is typed right after one
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
    QCOMPARE(editor.noteSelection().first, expected.size()); // the caret after the stamp
    QCOMPARE(editor.verticalScrollBar()->value(), scrolled);
    editor.undo();
    QCoreApplication::processEvents();
    QVERIFY(model_->text().endsWith(u"word Budget"_s));
    editor.redo();
    QCoreApplication::processEvents();
    QCOMPARE(model_->text(), expected); // redone, and not stamped a second time
}

void tst_NoteEditor::outsideChangeIsAnUndoStepOfItsOwnAndKeepsTheCaret_data() {
    QTest::addColumn<QString>("note");
    QTest::addColumn<QString>("typed");   // at the end, before the other program writes
    QTest::addColumn<qsizetype>("caret"); // where it is then, -1 for the end
    QTest::addColumn<QString>("outside");
    QTest::addColumn<QString>("merged");
    QTest::addColumn<qsizetype>("caretAfter");
    const QString three = u"first\nsecond\nthird\n"_s;
    QTest::newRow("a line added above the caret")
        << three << u"mine"_s << qsizetype(7) << u"above\n"_s + three
        << u"above\nfirst\nsecond\nthird\nmine"_s << qsizetype(13);
    QTest::newRow("the caret's line changed")
        << u"l1\nl2\n"_s << QString() << qsizetype(2) << u"l1 o1\nl2\n"_s << u"l1 o1\nl2\n"_s
        << qsizetype(2);
    // The other program's line lands in the part of a large note that has not arrived yet.
    const QString large = u"a line of a large note\n"_s.repeated(30000);
    QTest::newRow("the first line of a large note still arriving")
        << large << QString() << qsizetype(-1) << u"changed\n"_s + large.mid(23)
        << u"changed\n"_s + large.mid(23) << qsizetype(large.size() - 15);
    const QString end = large.first(large.size() - 23) + u"changed\n"_s;
    QTest::newRow("the last line of a large note still arriving")
        << large << QString() << qsizetype(-1) << end << end << end.size();
}

void tst_NoteEditor::outsideChangeIsAnUndoStepOfItsOwnAndKeepsTheCaret() {
    QFETCH(QString, note);
    QFETCH(QString, typed);
    QFETCH(qsizetype, caret);
    QFETCH(QString, outside);
    QFETCH(QString, merged);
    QFETCH(qsizetype, caretAfter);
    NoteEditor &editor = open(note);
    editor.show();
    while (!editor.isShowingNote())
        QCoreApplication::processEvents();
    QTest::keyClicks(&editor, typed);
    if (caret >= 0)
        editor.selectRange(caret, 0);
    const QString before = model_->text();
    const bool arriving = !editor.hasWholeNote();
    Q_EMIT f_.store.changedOutside(NoteModel::saveKey, outside, note, 1);
    QCOMPARE(model_->text(), merged);
    QCOMPARE(editor.noteSelection(), std::pair(caretAfter, caretAfter)); // still on its line
    editor.undo(); // takes the other program's change back, and only it
    QCOMPARE(model_->text(), before);
    QVERIFY(arriving == (caret < 0));
    expectInSync();
}

void tst_NoteEditor::largeNoteLoadsAfterTheFirstFrameAndLosesNoKey() {
    // Stood-in characters on every side of the slices the note arrives in.
    QString large;
    for (int i = 0; i < 40000; ++i)
        large += i % 7 ? u"a line of the note\n"_s : u"cr lf\r\npara\u2029\U0001F600\n"_s;
    large += u"a long line that arrives in several slices "_s.repeated(5000) + u"\nend"_s;
    NoteEditor &shown = open(large);
    QCOMPARE(shown.document()->characterCount(), 1); // the window paints at once
    shown.resize(300, 200);
    shown.show();
    QTRY_VERIFY(shown.document()->characterCount() > 1); // then the end of the note
    QVERIFY(shown.document()->characterCount() - 1 < large.size());
    QCOMPARE(shown.document()->lastBlock().text(), u"end"_s);
    QTest::keyClicks(&shown, u"!"_s); // typed while the rest arrives: lands where it is seen
    QCOMPARE(model_->text(), large + u'!');
    QTRY_VERIFY(shown.hasWholeNote());
    QVERIFY(shown.viewport()->rect().contains(shown.cursorRect())); // the caret still in view
    expectInSync();
    // Cleared, it goes into a new document at once and the old one is freed in slices.
    QTest::keyClicks(&shown, u"?"_s);
    QVERIFY(shown.document()->isUndoAvailable());
    QSignalSpy undoable(&shown, &QPlainTextEdit::undoAvailable);
    const QPointer<QTextDocument> old = shown.document();
    shown.setFont(QFont(shown.font().family(), 21));
    model_->clearNote();
    QVERIFY(old && old != shown.document());
    QCOMPARE(shown.document()->defaultFont().pointSize(), 21); // the editor's font goes along
    QCOMPARE(undoable.last().first(), false);                  // the menu's Undo follows
    QTest::keyClicks(&shown, u"a"_s);
    QCOMPARE(model_->text(), u"a"_s);
    QTRY_VERIFY(!old);
    QTest::keyClicks(&shown, u"b"_s); // the old one's last words were not taken for edits
    QCOMPARE(model_->text(), u"ab"_s);
    // A change to the still empty document is never taken for the whole note.
    QTextCursor(open(large).document()).insertText(u"stray"_s);
    QCOMPARE(model_->text(), large);
    // A key that comes before the first frame shows the end, then lands there.
    QTest::keyClicks(&open(large), u"?"_s);
    QCOMPARE(model_->text(), large + u'?');
    expectInSync();
    // In meeting mode, a line typed at the end while the rest arrives gets its stamp there.
    model_->startMeetingMode();
    model_->replaceText(model_->text().size(), 0, large);
    model_->handleTextChange();
    editor_ = std::make_unique<NoteEditor>(*model_);
    editor_->show();
    while (!editor_->isShowingNote())
        QCoreApplication::processEvents();
    QTest::keyClick(editor_.get(), Qt::Key_Return);
    QCoreApplication::processEvents();
    QVERIFY(!editor_->hasWholeNote());
    QVERIFY(model_->text().endsWith(large + u"\n09:05 - "_s));
    expectInSync();
}

void tst_NoteEditor::keysReachPastThePartShown_data() {
    QTest::addColumn<QList<QKeyCombination>>("keys");
    QTest::addColumn<int>("reach");
    using Keys = QList<QKeyCombination>;
    QTest::newRow("Ctrl+Home, typing") << Keys{Qt::CTRL | Qt::Key_Home, Qt::Key_H} << int(Start);
    QTest::newRow("Ctrl+Shift+Home, Delete")
        << Keys{Qt::CTRL | Qt::SHIFT | Qt::Key_Home, Qt::Key_Delete} << int(AllBefore);
    QTest::newRow("Backspace") << Keys{Qt::Key_Backspace} << int(OneBefore);
    QTest::newRow("Ctrl+Backspace") << Keys{Qt::CTRL | Qt::Key_Backspace} << int(OneBefore);
    for (const QKeyCombination key :
         {QKeyCombination(Qt::Key_Left), Qt::CTRL | Qt::Key_Left, QKeyCombination(Qt::Key_Up),
          QKeyCombination(Qt::Key_PageUp), Qt::SHIFT | Qt::Key_Up})
        QTest::newRow(qPrintable(QKeySequence(key).toString())) << Keys{key} << int(Before);
}

void tst_NoteEditor::keysReachPastThePartShown() {
    QFETCH(QList<QKeyCombination>, keys);
    QFETCH(int, reach);
    const QString large = u"a line of a large note\n"_s.repeated(50000);
    NoteEditor &editor = open(large);
    editor.resize(300, 200);
    editor.show();
    while (!editor.isShowingNote())
        QCoreApplication::processEvents();
    const qsizetype shown = editor.notePosition(0);
    QVERIFY(shown > 0);
    editor.setTextCursor(QTextCursor(editor.document())); // the start of the part shown
    for (const QKeyCombination key : keys)
        QTest::keyClick(&editor, key.key(), key.keyboardModifiers());
    switch (reach) {
    case Start:
        QCOMPARE(model_->text(), u'h' + large);
        break;
    case AllBefore:
        QCOMPARE(model_->text(), large.sliced(shown));
        break;
    case OneBefore:
        QCOMPARE(model_->text(), large.first(shown - 1) + large.sliced(shown));
        break;
    case Before:
        QVERIFY(editor.notePosition(editor.textCursor().position()) < shown);
        QCOMPARE(model_->text(), large);
        break;
    }
    expectInSync();
}

void tst_NoteEditor::spellingReadsWholeWordsOnScreen() {
    // A second language: a dictionary of one word, where Enchant looks for the user's own.
    QTemporaryDir config;
    qputenv("XDG_CONFIG_HOME", config.path().toLocal8Bit());
    const QString dictionaries = config.filePath(u"enchant/hunspell/"_s);
    QVERIFY(QDir().mkpath(dictionaries));
    for (const auto &[name, content] :
         {std::pair(u"tlh_XX.aff"_s, "SET UTF-8\n"), std::pair(u"tlh_XX.dic"_s, "1\nbudgte\n")}) {
        QFile file(dictionaries + name);
        QVERIFY(file.open(QIODevice::WriteOnly) && file.write(content) > 0);
    }
    const QString minutes = u"2024 03 07, 09:05\n\n09:06 - budgte agreed\n09:07 - "_s;
    // Without spaces, its pieces end inside words.
    const QString cut = u"definitely,"_s.repeated(500) + u'\n';
    NoteEditor &editor = open(u"filler words here\n"_s.repeated(100000) + cut + minutes);
    editor.resize(400, 200);
    editor.show();
    QTRY_VERIFY(editor.hasWholeNote());
    SpellChecker checker(u"en_US"_s);
    editor.setSpellChecker(&checker);
    const qsizetype at = model_->text().size() - minutes.size();
    const auto word = editor.decorations().misspelledWordAt(at + minutes.indexOf(u"budgte"));
    QCOMPARE(word, std::optional(std::pair(at + minutes.indexOf(u"budgte"), qsizetype(6))));
    for (const char *fine : {"2024", "09:06 -", "agreed", "09:07 - "})
        QVERIFY2(!editor.decorations().misspelledWordAt(at + minutes.indexOf(QLatin1String(fine))),
                 fine);
    QVERIFY2(checker.lookups() < 20, "only the words on screen are checked");
    QVERIFY(!editor.document()->isUndoAvailable());
    // A word cut where a piece ends is read whole.
    editor.selectRange(at - cut.size(), 0);
    editor.decorations().refresh();
    int cutWords = 0;
    for (QTextBlock block = editor.document()->findBlock(editor.textCursor().position());
         block.isValid() && editor.notePosition(block.position()) < at; block = block.next()) {
        const qsizetype start = editor.notePosition(block.position());
        cutWords += model_->text()[start - 1].isLetter() && model_->text()[start].isLetter();
        QVERIFY(!editor.decorations().misspelledWordAt(start));
    }
    QVERIFY(cutWords > 2);
    // Another language: the words are looked up again, not answered from the first one's.
    checker.setLanguage(u"tlh_XX"_s);
    QCOMPARE(checker.language(), u"tlh_XX"_s);

    editor.selectRange(model_->text().size(), 0);
    editor.decorations().refresh();
    QVERIFY(!editor.decorations().misspelledWordAt(at + minutes.indexOf(u"budgte")));
    QVERIFY(editor.decorations().misspelledWordAt(at + minutes.indexOf(u"agreed")));
}

void tst_NoteEditor::spellingSuggestionReplacesTheWordWhereItIsNow() {
    NoteEditor &editor = open(u"budgte agreed\n"_s);
    editor.resize(400, 200);
    editor.show();
    SpellChecker checker(u"en_US"_s);
    editor.setSpellChecker(&checker);
    QTimer::singleShot(0, this, [this] {
        auto *menu = qobject_cast<QMenu *>(QApplication::activePopupWidget());
        QVERIFY(menu);
        // Another program's line is taken in while the menu is open.
        Q_EMIT f_.store.changedOutside(NoteModel::saveKey, u"above\nbudgte agreed\n"_s,
                                       u"budgte agreed\n"_s, 1);
        const QList<QAction *> actions = menu->actions();
        const auto budget = std::find_if(actions.begin(), actions.end(),
                                         [](QAction *a) { return a->text() == u"budget"_s; });
        QVERIFY(budget != actions.end());
        (*budget)->trigger();
        menu->close();
    });
    QTextCursor word(editor.document());
    word.setPosition(2);
    const QPoint at = editor.cursorRect(word).center();
    QContextMenuEvent menu(QContextMenuEvent::Mouse, at, editor.viewport()->mapToGlobal(at));
    QCoreApplication::sendEvent(editor.viewport(), &menu);
    QCOMPARE(model_->text(), u"above\nbudget agreed\n"_s);
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
