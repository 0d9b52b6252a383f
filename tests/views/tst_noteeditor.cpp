// SPDX-License-Identifier: MIT
#include "EditorDecorations.h"
#include "Fakes.h"
#include "NoteEditor.h"
#include "Notemodel.h"
#include "SpellChecker.h"

#include <QApplication>
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
    void keysThatTypeNothingLeaveTheNoteAlone_data();
    void keysThatTypeNothingLeaveTheNoteAlone();
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

void tst_NoteEditor::keysThatTypeNothingLeaveTheNoteAlone_data() {
    QTest::addColumn<QString>("note");
    QTest::addColumn<bool>("emptyPiece");
    // A selection that ends after a stood-in character, and one that ends in a piece of a long
    // line emptied by editing: the format a typed key would take there carries a mark.
    QTest::newRow("CR LF line ends") << u"l1\r\nl2\r\nl3\r\n"_s << false;
    QTest::newRow("an emptied piece") << u"word "_s.repeated(1000) << true;
}

void tst_NoteEditor::keysThatTypeNothingLeaveTheNoteAlone() {
    QFETCH(QString, note);
    QFETCH(bool, emptyPiece);
    NoteEditor &editor = open(note);
    QCOMPARE(editor.document()->toRawText().contains(QChar(0x240D)), !emptyPiece); // a symbol
    QString expected = note;
    QTextCursor selection(editor.document());
    if (emptyPiece) {
        const QTextBlock third = editor.document()->findBlockByNumber(2);
        const qsizetype at = editor.notePosition(third.position());
        const qsizetype length = third.length() - 1;
        editor.selectRange(at, length);
        QTest::keyClick(&editor, Qt::Key_Delete);
        expected.remove(at, length);
        selection.setPosition(1);
        selection.setPosition(editor.document()->findBlockByNumber(2).position(),
                              QTextCursor::KeepAnchor);
        editor.setTextCursor(selection);
    } else {
        editor.moveCursor(QTextCursor::Start);
        QTest::keyClick(&editor, Qt::Key_End, Qt::ShiftModifier);
        QTest::keyClick(&editor, Qt::Key_Down, Qt::ShiftModifier);
    }
    QCOMPARE(model_->text(), expected);
    for (const QKeyCombination key :
         {QKeyCombination(Qt::Key_Shift), QKeyCombination(Qt::Key_Control), Qt::CTRL | Qt::Key_C,
          Qt::SHIFT | Qt::Key_Right}) {
        QTest::keyClick(&editor, key.key(), key.keyboardModifiers());
        QCOMPARE(model_->text(), expected);
    }
    // Typed over, the selection goes as it was: undo brings it back with every mark.
    const auto [from, to] = editor.noteSelection();
    QTest::keyClicks(&editor, u"x"_s);
    QCOMPARE(model_->text(), QString(expected).replace(from, to - from, u"x"_s));
    editor.undo();
    QCOMPARE(model_->text(), expected);
    expectInSync();
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
