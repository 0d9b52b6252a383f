// SPDX-License-Identifier: MIT
// NoteEditor against its twin: the toolkit's own editor holding the same note as one piece,
// loaded at once, without Mirt's mechanisms. Both take the same random input events: every key
// the toolkit binds on this platform, typing, what an input method commits, the clipboard and
// X11's selection, undo, and clicks, double and triple clicks and drags, many of them where a
// piece of a long line ends.
// After every event the model's text, the selection and what went to the clipboard must be the
// twin's. Runs under X11, whose bindings hold the Emacs-style ones (Ctrl+K and the like).
//
// The seeds are fixed and printed; MIRT_SEED=<seed> runs one of them again (MIRT_SEEDS=<n> the
// n from there on), and naming a row on the command line runs one note.
#include "Fakes.h"
#include "NoteEditor.h"
#include "Notemodel.h"
#include "Seeds.h"

#include <QClipboard>
#include <QInputMethodEvent>
#include <QMetaEnum>
#include <QMimeData>
#include <QScrollBar>
#include <QStyleHints>
#include <QTest>
#include <QTextBlock>

#include <random>

using namespace Qt::StringLiterals;

namespace {

// How the twin holds what Mirt stands in for: characters that the test never types, so that its
// text maps back to the note exactly.
constexpr std::pair<char16_t, char16_t> twinHolds[] = {
    {u'\r', 0xE00D}, {0x2029, 0xE029}, {0xFDD0, 0xE0D0}, {0xFDD1, 0xE0D1}};

QString mapped(QString text, bool toTwin) {
    for (QChar &c : text)
        for (const auto &[note, twin] : twinHolds)
            if (c == QChar(toTwin ? note : twin))
                c = QChar(toTwin ? twin : note);
    return text;
}

// ---- Where Mirt departs from the toolkit's editor on purpose: all of it is here. ----
//
// 1. Mirt holds a long line as pieces, and each piece wraps on its own: the rows on screen differ.
//    After a key that moves by rows, the twin takes Mirt's selection, and what it offered to
//    X11's selection is not compared.
bool movesByRows(const QKeyEvent &key) {
    using K = QKeySequence::StandardKey;
    for (K k : {K::MoveToNextLine, K::MoveToPreviousLine, K::MoveToNextPage, K::MoveToPreviousPage,
                K::MoveToStartOfLine, K::MoveToEndOfLine, K::SelectNextLine, K::SelectPreviousLine,
                K::SelectNextPage, K::SelectPreviousPage, K::SelectStartOfLine, K::SelectEndOfLine})
        if (key.matches(k))
            return true;
    return false;
}
// 2. A typed line break is a line feed in a plain note: the twin gets Return for Shift+Return,
//    which in the toolkit types U+2028.
QKeyCombination forTwin(QKeyCombination key) {
    return (key.key() == Qt::Key_Return || key.key() == Qt::Key_Enter)
               ? QKeyCombination(key.keyboardModifiers() & ~Qt::ShiftModifier, key.key())
               : key;
}
// 3. Nothing typed while a large note arrives can be undone: neither can it in the twin.
// 4. After a double or triple click, a Shift+click extends the selection by words or lines as far
//    as where it falls in its row: by the rows on screen again. The twin takes Mirt's selection
//    then (stepping by rows as in 1).
// 5. Mirt copies the note's characters exactly; the toolkit's editor copies a no-break space as
//    a space and U+2028 as a line feed. What went to the clipboard is compared as the toolkit
//    would have put it there.
QString asToolkitCopies(QString text) {
    return text.replace(QChar::Nbsp, u' ').replace(QChar::LineSeparator, u'\n');
}
// 6. The toolkit's editor pastes text as a document fragment, which also sets the format of the
//    line it lands at the start of (undone at the note's start, that leaves the caret on the
//    next line), and text typed right after it joins its undo step or not by how the fragment
//    ended. Mirt pastes the text only, as an undo step of its own, and so does the twin.
class Twin : public QPlainTextEdit {
protected:
    void insertFromMimeData(const QMimeData *source) override {
        QTextCursor cursor = textCursor();
        cursor.beginEditBlock();
        cursor.insertText(mapped(source->text(), true));
        cursor.endEditBlock();
        document()->setModified(false); // the document merges into a step only while modified
        setTextCursor(cursor);
    }
};
// -----------------------------------------------------------------------------------------

// A click this soon after a double click is the third of a triple click: with no event handled
// in between, as in a triple click here, any time at all. The steps after one wait it out.
constexpr int doubleClickInterval = 1;

// Every key the toolkit binds to a standard action here, and the keys it handles itself.
QList<QKeyCombination> everyBoundKey() {
    QList<QKeyCombination> keys = {Qt::Key_Backspace, Qt::SHIFT | Qt::Key_Backspace,
                                   Qt::Key_Tab,       Qt::SHIFT | Qt::Key_Return,
                                   Qt::Key_Shift,     Qt::Key_Control};
    const QMetaEnum standard = QMetaEnum::fromType<QKeySequence::StandardKey>();
    for (int i = 0; i < standard.keyCount(); ++i)
        for (const QKeySequence &sequence :
             QKeySequence::keyBindings(QKeySequence::StandardKey(standard.value(i))))
            if (!keys.contains(sequence[0]))
                keys << sequence[0];
    return keys;
}

// Parts of a note the pieces and the stand-ins are made of.
const QString awkward = u"crlf\r\nlone cr\rpara\u2029line\u2028nbsp\u00a0tab\t\U0001F600 "
                        u"\u240D\u00B6\uFFFD frame\uFDD0\uFDD1 end\n"_s +
                        u"lines\r\nthat\r\nend\r\nas\r\nWindows\r\nends\r\nthem\r\n"_s;
const QString words = u"lorem ipsum dolor sit amet, consectetur-adipiscing elit. "_s.repeated(85);
const QString letters = u"definitelyabcdefghijklmnopqrstuvwxyz"_s.repeated(130);
const QString clusters = u"e\u0301\U0001F600\u0915\u094D\u0937 "_s.repeated(600);
const QString outside = u"pasted\r\nline\u2029and "_s + words.first(600);
// What is typed: letters, marks, a symbol that looks like a stand-in, a character in two units.
const QStringList typed = {u"x"_s,      u"Q"_s,      u" "_s,      u"."_s,          u"'"_s,
                           u"\u00E9"_s, u"\u0301"_s, u"\u240D"_s, u"\U0001F600"_s, u"word "_s};

} // namespace

class tst_NoteEditorTwin : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void randomInputMatchesTheToolkitsEditor_data();
    void randomInputMatchesTheToolkitsEditor();

private:
    enum Phase { Whole, Arriving, Cleared };
    // One of the two editors, with the document's place of a note position in it.
    struct Side {
        QPlainTextEdit &editor;
        std::function<int(qsizetype)> document;
        bool isMirt;
    };
    using Input = std::function<void(const Side &)>;

    void open(const QString &note, Phase phase);
    void step();
    void apply(const QString &name, const Input &input, bool byRows = false);
    void check();
    qsizetype place();
    Side mirt() const;
    Side twin() const;
    std::optional<QPoint> pointAt(const Side &side, qsizetype at) const;

    QList<QKeyCombination> keys_;
    ModelFixture f_;
    std::unique_ptr<NoteModel> model_;
    std::unique_ptr<QWidget> window_;
    NoteEditor *mirt_ = nullptr;
    Twin *twin_ = nullptr;
    std::mt19937 random_;
    QStringList log_;
    bool extendsByWords_ = false; // a double or triple click was the last press
};

void tst_NoteEditorTwin::initTestCase() {
    QCOMPARE(QGuiApplication::platformName(), u"xcb"_s);
    keys_ = everyBoundKey();
    // The Emacs-style bindings of X11, which the toolkit's editor acts on line by line.
    QVERIFY(keys_.contains(Qt::CTRL | Qt::Key_K));
    QVERIFY(QGuiApplication::clipboard()->supportsSelection());
    QGuiApplication::styleHints()->setMouseDoubleClickInterval(doubleClickInterval);
    qInfo("%lld keys bound here, besides typing, the clipboard and the mouse", keys_.size());
}

void tst_NoteEditorTwin::randomInputMatchesTheToolkitsEditor_data() {
    QTest::addColumn<QString>("note");
    QTest::addColumn<int>("phase");
    QTest::addColumn<int>("steps");
    QTest::newRow("words") << awkward + words + u"\r\nshort\r\n"_s + words << int(Whole) << 300;
    QTest::newRow("no spaces") << awkward + letters + u'\n' + letters << int(Whole) << 300;
    QTest::newRow("clusters") << awkward + clusters + u"\n\n"_s + clusters << int(Whole) << 200;
    const QString large = u"a line of the note, with a few words\n"_s.repeated(15000) + awkward +
                          words + u'\n' + letters + u"\nend"_s;
    QTest::newRow("large note, arriving") << large << int(Arriving) << 150;
    QTest::newRow("large note, cleared") << large << int(Cleared) << 150;
}

void tst_NoteEditorTwin::randomInputMatchesTheToolkitsEditor() {
    QFETCH(QString, note);
    QFETCH(int, phase);
    QFETCH(int, steps);
    for (const quint32 seed : seedsToRun({1, 2, 7})) {
        qInfo("seed %u, %d steps (MIRT_SEED=%u runs it alone)", seed, steps, seed);
        open(note, Phase(phase));
        random_.seed(seed);
        for (int i = 0; i < steps && !QTest::currentTestFailed(); ++i)
            step();
        if (QTest::currentTestFailed())
            return reportFailingSeed(seed);
        QCOMPARE(mirt_->noteText(), model_->text()); // the document reads back as the note
    }
}

tst_NoteEditorTwin::Side tst_NoteEditorTwin::mirt() const {
    return {*mirt_, [this](qsizetype at) { return mirt_->documentPosition(at); }, true};
}

tst_NoteEditorTwin::Side tst_NoteEditorTwin::twin() const {
    return {*twin_, [](qsizetype at) { return int(at); }, false};
}

void tst_NoteEditorTwin::open(const QString &note, Phase phase) {
    window_.reset();
    log_.clear();
    extendsByWords_ = false;
    f_.store.strings[NoteModel::saveKey] = note;
    model_ = f_.make();
    window_ = std::make_unique<QWidget>();
    mirt_ = new NoteEditor(*model_, window_.get());
    twin_ = new Twin;
    twin_->setParent(window_.get());
    twin_->setPlainText(mapped(note, true));
    twin_->moveCursor(QTextCursor::End);
    mirt_->setGeometry(0, 0, 400, 300);
    twin_->setGeometry(400, 0, 400, 300);
    window_->resize(800, 300);
    window_->show();
    QVERIFY(QTest::qWaitForWindowExposed(window_.get()));
    while (!mirt_->isShowingNote()) // not a turn more: a large note is to arrive step by step
        QCoreApplication::processEvents();
    QCOMPARE(mirt_->hasWholeNote(), phase == Whole);
    twin_->document()->setUndoRedoEnabled(phase == Whole);
    QGuiApplication::clipboard()->setText(outside);
    if (phase == Cleared) {
        QTRY_VERIFY(mirt_->hasWholeNote());
        model_->clearNote();
        twin_->clear();
        apply(u"paste"_s, [](const Side &side) { side.editor.paste(); });
    }
    check();
}

qsizetype tst_NoteEditorTwin::place() {
    // A third of the places are where a piece of a long line ends, a third where a line does.
    std::vector<qsizetype> joins;
    std::vector<qsizetype> ends;
    const QString &note = model_->text();
    const qsizetype from = mirt_->notePosition(0); // where the part that has arrived starts
    for (QTextBlock b = mirt_->document()->begin(); b.isValid(); b = b.next()) {
        const qsizetype at = mirt_->notePosition(b.position());
        if (at > from)
            (note[at - 1] == u'\n' ? ends : joins).push_back(note[at - 1] == u'\n' ? at - 1 : at);
    }
    const int kind = int(random_() % 3);
    const std::vector<qsizetype> &places = kind == 0 ? joins : ends;
    qsizetype at = kind < 2 && !places.empty()
                       ? places[random_() % places.size()]
                       : from + qsizetype(random_() % quint32(note.size() - from + 1));
    while (at < note.size() && at > from && (note[at].isLowSurrogate() || note[at].isMark()))
        --at;
    return at;
}

std::optional<QPoint> tst_NoteEditorTwin::pointAt(const Side &side, qsizetype at) const {
    // Scrolled to, and clicked where the editor puts the caret for it.
    QTextCursor cursor(side.editor.document());
    cursor.setPosition(side.document(at));
    if (!side.editor.viewport()->rect().contains(side.editor.cursorRect(cursor))) {
        const QTextBlock block = cursor.block();
        const QTextLine row = block.layout()->lineForTextPosition(cursor.positionInBlock());
        side.editor.verticalScrollBar()->setValue(block.firstLineNumber() +
                                                  (row.isValid() ? row.lineNumber() : 0));
    }
    const QRect caret = side.editor.cursorRect(cursor);
    const QPoint point(caret.left() + 1, caret.center().y());
    if (!side.editor.viewport()->rect().contains(point) ||
        side.editor.cursorForPosition(point).position() != cursor.position())
        return std::nullopt;
    return point;
}

void tst_NoteEditorTwin::step() {
    const auto pick = [this](qsizetype n) {
        return qsizetype(random_() % quint32(n));
    };
    const int kind = int(pick(100));
    if (kind < 50) {
        const QKeyCombination key = keys_[pick(keys_.size())];
        const QKeyEvent probe(QEvent::KeyPress, key.key(), key.keyboardModifiers());
        apply(
            QKeySequence(key).toString(),
            [key](const Side &side) {
                const QKeyCombination k = side.isMirt ? key : forTwin(key);
                QTest::keyClick(&side.editor, k.key(), k.keyboardModifiers());
            },
            movesByRows(probe));
    } else if (kind < 60) {
        const QString text = typed[pick(typed.size())];
        apply(u"type "_s + text, [text](const Side &side) {
            QTest::sendKeyEvent(QTest::Click, &side.editor, Qt::Key_unknown, text, Qt::NoModifier);
        });
    } else if (kind < 65) {
        // An input method's commit: it may replace text around the caret, and bring characters
        // no key types.
        const QString text = pick(2) ? typed[pick(typed.size())] : u"\r\u2029\r\n"_s;
        const auto [first, last] = mirt_->noteSelection();
        const qsizetype rest = model_->text().size() - (last - first);
        const int start = int(std::clamp<qsizetype>(pick(5) - 2, -first, rest - first));
        const int length = int(std::min<qsizetype>(pick(3), rest - first - start));
        apply(u"commit %1 at %2+%3"_s.arg(text).arg(start).arg(length), [=](const Side &side) {
            QInputMethodEvent commit;
            commit.setCommitString(side.isMirt ? text : mapped(text, true), start, length);
            QCoreApplication::sendEvent(&side.editor, &commit);
        });
    } else if (kind < 72) {
        const qsizetype at = place();
        apply(u"caret to %1"_s.arg(at), [at](const Side &side) {
            QTextCursor cursor(side.editor.document());
            cursor.setPosition(side.document(at));
            side.editor.setTextCursor(cursor);
        });
    } else if (kind < 76) {
        QGuiApplication::clipboard()->setText(outside.sliced(pick(outside.size())));
        apply(u"paste from outside"_s, [](const Side &side) {
            QTest::keyClick(&side.editor, Qt::Key_V, Qt::ControlModifier);
        });
    } else if (kind < 80) {
        apply(u"the rest arrives"_s, [](const Side &) { QCoreApplication::processEvents(); });
    } else {
        const qsizetype at = place();
        const qsizetype to = std::clamp<qsizetype>(at + pick(160) - 80, mirt_->notePosition(0),
                                                   model_->text().size());
        enum Mouse { Click, ShiftClick, DoubleClick, TripleClick, MiddleClick, Drag };
        const Mouse mouse = Mouse(pick(6));
        for (const Side &side : {mirt(), twin()})
            if (!pointAt(side, at) || (mouse == Drag && !pointAt(side, to)) ||
                (mouse == Drag && !pointAt(side, at)))
                return;
        static const char *const names[] = {"click",        "shift-click",  "double click",
                                            "triple click", "middle click", "drag"};
        const QTextCursor selected = twin_->textCursor();
        const bool inSelection = at >= selected.selectionStart() && at <= selected.selectionEnd();
        apply(
            u"%1 at %2 (to %3)"_s.arg(QLatin1String(names[mouse])).arg(at).arg(to),
            [this, mouse, at, to](const Side &side) {
                QWidget *viewport = side.editor.viewport();
                const QPoint from = *pointAt(side, at);
                const Qt::MouseButton button =
                    mouse == MiddleClick ? Qt::MiddleButton : Qt::LeftButton;
                const Qt::KeyboardModifiers modifiers =
                    mouse == ShiftClick ? Qt::ShiftModifier : Qt::NoModifier;
                // A press in the selection would start dragging it, out of the window.
                if (mouse == Drag && side.editor.textCursor().hasSelection())
                    QTest::mouseClick(viewport, Qt::LeftButton, {}, from);
                if (mouse == Drag && side.editor.textCursor().hasSelection())
                    return;
                QTest::mousePress(viewport, button, modifiers, from);
                if (mouse == Drag)
                    QTest::mouseMove(viewport, *pointAt(side, to));
                QTest::mouseRelease(viewport, button, modifiers,
                                    mouse == Drag ? *pointAt(side, to) : from);
                for (int click = mouse == DoubleClick   ? 1
                                 : mouse == TripleClick ? 2
                                                        : 0;
                     click > 0; --click) {
                    if (click == 2 || mouse == DoubleClick) {
                        QTest::mouseDClick(viewport, button, modifiers, from);
                        QTest::mouseRelease(viewport, button, modifiers, from);
                    }
                    if (click == 1 && mouse == TripleClick)
                        QTest::mouseClick(viewport, button, modifiers, from);
                }
            },
            mouse == ShiftClick && extendsByWords_);
        if (mouse == DoubleClick || mouse == TripleClick) {
            extendsByWords_ = true;
            QTest::qWait(20); // in Mirt and in the twin alike
        } else if (mouse == Drag || (mouse == Click && !inSelection)) {
            extendsByWords_ = false;
        }
    }
}

void tst_NoteEditorTwin::apply(const QString &name, const Input &input, bool byRows) {
    log_ << name;
    if (mirt_->hasWholeNote() && !twin_->document()->isUndoRedoEnabled())
        twin_->document()->setUndoRedoEnabled(true);
    // The twin first: what Mirt puts on the clipboard stays there, the note's own characters.
    QClipboard *clipboard = QGuiApplication::clipboard();
    const QString clip = clipboard->text();
    const QString selection = clipboard->text(QClipboard::Selection);
    input(twin());
    const QString twinClip = clipboard->text();
    const QString twinSelection = clipboard->text(QClipboard::Selection);
    clipboard->setText(clip);
    clipboard->setText(selection, QClipboard::Selection);
    input(mirt());
    if (byRows) {
        QTextCursor cursor(twin_->document());
        cursor.setPosition(int(mirt_->notePosition(mirt_->textCursor().anchor())));
        cursor.setPosition(int(mirt_->notePosition(mirt_->textCursor().position())),
                           QTextCursor::KeepAnchor);
        twin_->setTextCursor(cursor);
    }
    if (mirt_->hasWholeNote() && !twin_->document()->isUndoRedoEnabled())
        twin_->document()->setUndoRedoEnabled(true);
    // What the twin put there, Mirt must have put there too; what it left alone, Mirt too.
    const auto same = [this](const QString &what, const QString &before, const QString &ours,
                             const QString &twins) {
        QVERIFY2(twins == before ? ours == before : asToolkitCopies(mapped(ours, true)) == twins,
                 qPrintable(u"%1: \"%2\", the twin's \"%3\"\n%4"_s.arg(
                     what, ours.left(80), twins.left(80), log_.join(u" | "))));
    };
    same(u"the clipboard"_s, clip, clipboard->text(), twinClip);
    if (!byRows)
        same(u"X11's selection"_s, selection, clipboard->text(QClipboard::Selection),
             twinSelection);
    check();
}

void tst_NoteEditorTwin::check() {
    const QString &note = model_->text();
    const QString twins =
        mapped(twin_->document()->toRawText().replace(QChar::ParagraphSeparator, u'\n'), false);
    if (note != twins) {
        qsizetype at = 0;
        while (at < note.size() && at < twins.size() && note[at] == twins[at])
            ++at;
        QFAIL(
            qPrintable(u"the note differs at %1: \"%2\", the twin's \"%3\"\nafter %4"_s.arg(at).arg(
                note.mid(std::max<qsizetype>(0, at - 20), 40),
                twins.mid(std::max<qsizetype>(0, at - 20), 40),
                log_.mid(std::max<qsizetype>(0, log_.size() - 12)).join(u" | "))));
    }
    const QTextCursor ours = mirt_->textCursor();
    const QTextCursor theirs = twin_->textCursor();
    const std::pair<qsizetype, qsizetype> selected{mirt_->notePosition(ours.anchor()),
                                                   mirt_->notePosition(ours.position())};
    const std::pair<qsizetype, qsizetype> expected{theirs.anchor(), theirs.position()};
    QVERIFY2(selected == expected,
             qPrintable(u"selected %1..%2, the twin %3..%4\nafter %5"_s.arg(selected.first)
                            .arg(selected.second)
                            .arg(expected.first)
                            .arg(expected.second)
                            .arg(log_.mid(std::max<qsizetype>(0, log_.size() - 12)).join(u" | "))));
    QCOMPARE(mirt_->notePosition(mirt_->document()->characterCount() - 1), note.size());
}

QTEST_MAIN(tst_NoteEditorTwin)
#include "tst_noteeditortwin.moc"
