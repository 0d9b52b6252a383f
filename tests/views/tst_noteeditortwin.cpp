// SPDX-License-Identifier: MIT
// NoteEditor against its twin: the toolkit's own editor holding the same note as one piece,
// loaded at once, without Mirt's mechanisms. Both take the same random input events: every key
// the toolkit binds on this platform, typing, what an input method commits, the clipboard and
// X11's selection, undo, clicks, double and triple clicks and drags (many of them where a piece
// of a long line ends), files dropped, and the find bar's Find, Replace and Replace All, which
// the twin carries out as a plain reference over the note's string says.
// After every event the model's text, the selection and what went to the clipboard must be the
// twin's, and so must the word count when it is asked. Runs under X11, whose bindings hold the
// Emacs-style ones (Ctrl+K and the like).
//
// A row is a note and a seed. MIRT_SEED=<seed> runs that seed on every note (MIRT_SEEDS=<n> the
// n from there on); naming a row on the command line runs it alone.
#include "CountLabel.h"
#include "Fakes.h"
#include "FileDrop.h"
#include "Files.h"
#include "FindBar.h"
#include "NoteEditor.h"
#include "Notemodel.h"
#include "Seeds.h"

#include <QClipboard>
#include <QInputMethodEvent>
#include <QLineEdit>
#include <QMetaEnum>
#include <QMimeData>
#include <QScrollBar>
#include <QStyleHints>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBlock>
#include <QTextDocumentFragment>
#include <QToolButton>

#include <random>

using namespace Qt::StringLiterals;

namespace {

// How the twin holds what Mirt stands in for: symbols that the test never types, so that its
// text maps back to the note exactly, and that have no direction, as Mirt's have none.
constexpr std::pair<char16_t, char16_t> twinHolds[] = {
    {u'\r', 0x2B0D}, {0x2029, 0x2B29}, {0xFDD0, 0x2BD0}, {0xFDD1, 0x2BD1}};

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
// 7. A line break typed over a selection that ends in an empty line makes the toolkit's editor
//    first give the selection that line's format, as an undo step of its own that changes
//    nothing a user sees. Mirt replaces the selection in one step, and so does the twin.
// 8. Ctrl+K one character before the end of a line deletes, in the toolkit's editor, the one
//    that the right arrow would select: in a right-to-left line the one before the caret. In
//    Mirt, and in the twin, it deletes to the end of the line.
class Twin : public QPlainTextEdit {
protected:
    // What the toolkit offers as plain text, without the other formats it would make of a
    // selection of half a megabyte at every step.
    QMimeData *createMimeDataFromSelection() const override {
        auto *data = new QMimeData;
        data->setText(QTextDocumentFragment(textCursor()).toPlainText());
        return data;
    }
    void keyPressEvent(QKeyEvent *event) override {
        QTextCursor cursor = textCursor();
        if (event->matches(QKeySequence::DeleteEndOfLine)) {
            cursor.movePosition(QTextCursor::EndOfBlock, QTextCursor::KeepAnchor);
            cursor.removeSelectedText();
        } else if (event->matches(QKeySequence::InsertParagraphSeparator) &&
                   cursor.hasSelection()) {
            cursor.insertText(u"\n"_s);
        } else {
            return QPlainTextEdit::keyPressEvent(event);
        }
        setTextCursor(cursor);
    }
    void insertFromMimeData(const QMimeData *source) override {
        QTextCursor cursor = textCursor();
        cursor.beginEditBlock();
        cursor.insertText(mapped(source->text(), true));
        cursor.endEditBlock();
        document()->setModified(true); // the document merges into a step only while modified
        document()->setModified(false);
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
// Files a file manager drops: CR LF and U+2029 in one, a line of pieces in the other.
const QString droppedText[] = {u"dropped\r\nfile\u2029 "_s, u"second file "_s + words};

enum Phase { Whole, Arriving, Cleared };
struct Note {
    const char *name;
    QString text;
    Phase phase;
    int steps; // a session: fewer steps on more seeds find more
};

QList<Note> notes() {
    const QString large = u"a line of the note, with a few words\n"_s.repeated(15000) + awkward +
                          words + u'\n' + letters + u"\nend"_s;
    const QString hebrew = u"\u05E9\u05DC\u05D5\u05DD \u05E2\u05D5\u05DC\u05DD Mirt 42 "_s;
    const QString arabic = u"\u0645\u0631\u062D\u0628\u0627 \u0628\u0627\u0644\u0639\u0627 2024 "_s;
    const QString standIns = u"\r\u2029\uFDD0\uFDD1\u240D\u00B6\uFFFD\r\n"_s;
    return {
        {"words", awkward + words + u"\r\nshort\r\n"_s + words, Whole, 45},
        {"no spaces", awkward + letters + u'\n' + letters, Whole, 45},
        {"clusters", awkward + clusters + u"\n\n"_s + clusters, Whole, 40},
        {"large note, arriving", large, Arriving, 30},
        {"large note, cleared", large, Cleared, 30},
        {"CR LF lines", u"a line of Windows\r\n"_s.repeated(12) + words + u"\r\n"_s, Whole, 40},
        {"ends with a line break", u"para\u2029graph and lone\rCR\n"_s.repeated(8), Whole, 40},
        {"right to left", hebrew.repeated(300) + u'\n' + arabic.repeated(300) + u'\n', Whole, 45},
        {"every stand-in", standIns.repeated(20) + standIns.repeated(600).remove(u'\n'), Whole, 40},
        {"one huge cluster",
         words.first(2000) + u'e' + QString(1200, QChar(0x0301)) + words.first(2000) + u"\nafter"_s,
         Whole, 30},
    };
}

// Seeds that once failed, cut down to the steps it takes them.
struct Failed {
    const char *note;
    quint32 seed;
    int steps;
};
const QList<Failed> failed = {
    {"no spaces", 86125373, 6},          // a selection of a soft break only
    {"CR LF lines", 760925614, 19},      // a commit's range placed by soft breaks not followed yet
    {"words", 302637336, 20},            // text typed after a drop joined the drop's undo step
    {"words", 11627277, 45},             // the same
    {"right to left", 49518276, 23},     // a joined line's pieces kept their direction
    {"right to left", 302637325, 37},    // a commit's caret on the other side of a soft break
    {"words", 666097736, 38},            // undo after a commit: the caret not where it was
    {"right to left", 115042226, 42},    // Ctrl+K one before the end of a right-to-left line
    {"right to left", 469750867, 43},    // a joined line's pieces kept their direction
    {"clusters", 914848153, 34},         // moved over a cluster as a piece, not the note, has it
    {"clusters", 358050061, 13},         // the same
    {"clusters", 578988007, 40},         // the same, not cut down
    {"clusters", 1038467520, 40},        // the same, not cut down
    {"one huge cluster", 418153877, 30}, // a triple click's third click missed; not cut down
    {"every stand-in", 511833255, 24},   // the same
    {"CR LF lines", 740781492, 16},      // the same
    {"CR LF lines", 5000050, 32},        // Replace All left the caret behind a soft break
    {"every stand-in", 5000050, 32},     // the same
    {"words", 5000375, 44},              // the bare editor scrolled at a press in a long line
};

} // namespace

class tst_NoteEditorTwin : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void randomInputMatchesTheToolkitsEditor_data();
    void randomInputMatchesTheToolkitsEditor();
    void cleanup();

private:
    // One of the two editors, with the document's place of a note position in it.
    struct Side {
        QPlainTextEdit &editor;
        std::function<int(qsizetype)> document;
        bool isMirt;
    };
    using Input = std::function<void(const Side &)>;

    void open(const QString &note, Phase phase);
    void step();
    void find(int action, const QString &needle);
    void drop(qsizetype at, const QStringList &files);
    void count();
    void apply(const QString &name, const Input &input, bool byRows = false);
    void check();
    qsizetype place();
    Side mirt() const;
    Side twin() const;
    std::optional<QPoint> pointAt(const Side &side, qsizetype at) const;

    QList<QKeyCombination> keys_;
    QTemporaryDir files_;
    ModelFixture f_;
    std::unique_ptr<NoteModel> model_;
    QWidget window_;
    NoteEditor *mirt_ = nullptr;
    Twin *twin_ = nullptr;
    FindBar *bar_ = nullptr;
    CountLabel *count_ = nullptr;
    std::mt19937 random_;
    quint32 seed_ = 0;
    int step_ = 0;
    QStringList log_;
    bool extendsByWords_ = false;     // a double or triple click was the last press
    bool matchCase_ = false;          // the find bar's option as the twin knows it
    std::pair<quint64, int> checked_; // the revisions of the note and the twin last compared
    // Where place() finds the ends of lines and pieces, as of the revision of Mirt's document.
    std::vector<qsizetype> joins_;
    std::vector<qsizetype> ends_;
    std::pair<int, qsizetype> placed_{-1, 0};
};

void tst_NoteEditorTwin::initTestCase() {
    QCOMPARE(QGuiApplication::platformName(), u"xcb"_s);
    keys_ = everyBoundKey();
    // The Emacs-style bindings of X11, which the toolkit's editor acts on line by line.
    QVERIFY(keys_.contains(Qt::CTRL | Qt::Key_K));
    QVERIFY(QGuiApplication::clipboard()->supportsSelection());
    QGuiApplication::styleHints()->setMouseDoubleClickInterval(doubleClickInterval);
    qInfo("%lld keys bound here, besides typing, the clipboard and the mouse", keys_.size());
    for (int i = 0; i < 2; ++i)
        writeFile(files_.filePath(QString::number(i)), droppedText[i].toUtf8());
    // One window for every row: the editors of each are its children.
    window_.resize(800, 340);
    window_.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window_));
}

void tst_NoteEditorTwin::randomInputMatchesTheToolkitsEditor_data() {
    QTest::addColumn<QString>("note");
    QTest::addColumn<int>("phase");
    QTest::addColumn<quint32>("seed");
    QTest::addColumn<int>("steps");
    QList<quint32> fixed;
    for (quint32 seed = 1; seed <= 40; ++seed)
        fixed << seed;
    const QList<Note> all = notes();
    for (const Note &note : all)
        for (const quint32 seed : seedsToRun(fixed))
            QTest::addRow("%s, seed %u", note.name, seed)
                << note.text << int(note.phase) << seed << note.steps;
    for (const Failed &once : failed) {
        const Note &note = *std::find_if(
            all.begin(), all.end(), [&](const Note &n) { return qstrcmp(n.name, once.note) == 0; });
        QTest::addRow("%s, seed %u, %d steps", once.note, once.seed, once.steps)
            << note.text << int(note.phase) << once.seed << once.steps;
    }
}

void tst_NoteEditorTwin::randomInputMatchesTheToolkitsEditor() {
    QFETCH(QString, note);
    QFETCH(int, phase);
    QFETCH(quint32, seed);
    QFETCH(int, steps);
    seed_ = seed;
    open(note, Phase(phase));
    random_.seed(seed);
    for (step_ = 1; step_ <= steps && !QTest::currentTestFailed(); ++step_)
        step();
    if (!QTest::currentTestFailed())
        QCOMPARE(mirt_->noteText(), model_->text()); // the document reads back as the note
}

void tst_NoteEditorTwin::cleanup() {
    if (QTest::currentTestFailed())
        reportFailingSeed(seed_);
}

tst_NoteEditorTwin::Side tst_NoteEditorTwin::mirt() const {
    return {*mirt_, [this](qsizetype at) { return mirt_->documentPosition(at); }, true};
}

tst_NoteEditorTwin::Side tst_NoteEditorTwin::twin() const {
    return {*twin_, [](qsizetype at) { return int(at); }, false};
}

void tst_NoteEditorTwin::open(const QString &note, Phase phase) {
    qDeleteAll(window_.findChildren<QWidget *>(Qt::FindDirectChildrenOnly));
    log_.clear();
    extendsByWords_ = false;
    matchCase_ = false;
    checked_ = {};
    placed_ = {-1, 0};
    f_.store.strings[NoteModel::saveKey] = note;
    model_ = f_.make();
    mirt_ = new NoteEditor(*model_, &window_);
    new FileDrop(*mirt_, mirt_);
    twin_ = new Twin;
    twin_->setParent(&window_);
    twin_->setPlainText(mapped(note, true));
    twin_->moveCursor(QTextCursor::End);
    bar_ = new FindBar(*model_, *mirt_, &window_);
    count_ = new CountLabel(*model_, *mirt_, &window_);
    mirt_->setGeometry(0, 0, 400, 300);
    twin_->setGeometry(400, 0, 400, 300);
    count_->show(); // it counts only while shown; the find bar shows when asked
    mirt_->show();
    twin_->show();
    while (!mirt_->isShowingNote()) // not a turn more: a large note is to arrive step by step
        QCoreApplication::processEvents();
    QCOMPARE(mirt_->hasWholeNote(), phase == Whole);
    twin_->document()->setUndoRedoEnabled(phase == Whole);
    // Nothing of the row before: X11's selection is what a middle click pastes.
    QGuiApplication::clipboard()->setText(outside);
    QGuiApplication::clipboard()->setText(words.first(40), QClipboard::Selection);
    if (phase == Cleared) {
        while (!mirt_->hasWholeNote())
            QCoreApplication::processEvents();
        model_->clearNote();
        twin_->clear();
        apply(u"paste"_s, [](const Side &side) { side.editor.paste(); });
    }
    check();
}

qsizetype tst_NoteEditorTwin::place() {
    // A third of the places are where a piece of a long line ends, a third where a line does.
    const QString &note = model_->text();
    const qsizetype from = mirt_->notePosition(0); // where the part that has arrived starts
    if (std::pair(mirt_->document()->revision(), from) != placed_) {
        joins_.clear();
        ends_.clear();
        for (QTextBlock b = mirt_->document()->begin(); b.isValid(); b = b.next()) {
            const qsizetype at = mirt_->notePosition(b.position());
            if (at > from)
                (note[at - 1] == u'\n' ? ends_ : joins_)
                    .push_back(note[at - 1] == u'\n' ? at - 1 : at);
        }
        placed_ = {mirt_->document()->revision(), from};
    }
    const int kind = int(random_() % 3);
    const std::vector<qsizetype> &places = kind == 0 ? joins_ : ends_;
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
    if (kind < 45) {
        const QKeyCombination key = keys_[pick(keys_.size())];
        const QKeyEvent probe(QEvent::KeyPress, key.key(), key.keyboardModifiers());
        apply(
            QKeySequence(key).toString(),
            [key](const Side &side) {
                const QKeyCombination k = side.isMirt ? key : forTwin(key);
                QTest::keyClick(&side.editor, k.key(), k.keyboardModifiers());
            },
            movesByRows(probe));
    } else if (kind < 54) {
        const QString text = typed[pick(typed.size())];
        apply(u"type "_s + text, [text](const Side &side) {
            QTest::sendKeyEvent(QTest::Click, &side.editor, Qt::Key_unknown, text, Qt::NoModifier);
        });
    } else if (kind < 59) {
        // An input method's commit: it may replace text around the caret, and bring characters
        // no key types.
        const QString text = pick(2) ? typed[pick(typed.size())] : u"\r\u2029\r\n"_s;
        const auto [first, last] = mirt_->noteSelection();
        const qsizetype rest = model_->text().size() - (last - first);
        int start = int(std::clamp<qsizetype>(pick(5) - 2, -first, rest - first));
        int length = int(std::min<qsizetype>(pick(3), rest - first - start));
        // It replaces whole characters, never half of one.
        const QString &note = model_->text();
        const auto isLow = [&, first = first, last = last](qsizetype i) {
            return i > 0 && i < rest && note[i < first ? i : i + last - first].isLowSurrogate();
        };
        start -= isLow(first + start);
        length += length > 0 && isLow(first + start + length);
        apply(u"commit %1 at %2+%3"_s.arg(text).arg(start).arg(length), [=](const Side &side) {
            QInputMethodEvent commit;
            commit.setCommitString(side.isMirt ? text : mapped(text, true), start, length);
            QCoreApplication::sendEvent(&side.editor, &commit);
        });
    } else if (kind < 65) {
        const qsizetype at = place();
        apply(u"caret to %1"_s.arg(at), [at](const Side &side) {
            QTextCursor cursor(side.editor.document());
            cursor.setPosition(side.document(at));
            side.editor.setTextCursor(cursor);
        });
    } else if (kind < 69) {
        QGuiApplication::clipboard()->setText(outside.sliced(pick(outside.size())));
        apply(u"paste from outside"_s, [](const Side &side) {
            QTest::keyClick(&side.editor, Qt::Key_V, Qt::ControlModifier);
        });
    } else if (kind < 71) {
        apply(u"the rest arrives"_s, [](const Side &) { QCoreApplication::processEvents(); });
    } else if (kind < 77) {
        // Something near a place to find, without the line breaks a field cannot hold.
        const QString &note = model_->text();
        const qsizetype at = std::min(place(), note.size() - 1);
        QString needle = note.mid(at, 1 + pick(4));
        for (const char16_t lineBreak : {u'\n', u'\r', char16_t(QChar::ParagraphSeparator)})
            if (const qsizetype end = needle.indexOf(lineBreak); end >= 0)
                needle.truncate(end);
        if (!needle.isEmpty() && needle.back().isHighSurrogate()) // no half of a character
            needle.chop(1);
        find(int(pick(6)), needle.isEmpty() ? u"a"_s : needle);
    } else if (kind < 80) {
        const qsizetype at = place();
        QStringList files = {files_.filePath(u"0"_s), files_.filePath(u"1"_s)};
        if (pick(2))
            files.removeAt(pick(2));
        drop(at, files);
    } else if (kind < 82) {
        count();
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
                QPoint from = *pointAt(side, at);
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
                // The toolkit's editor may scroll at a press in a paragraph taller than the
                // view; a person clicks again where the word is now.
                if (const auto moved = pointAt(side, at); moved && mouse != Drag)
                    from = *moved;
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
            // In Mirt and in the twin alike; the toolkit's timer for a third click is due then.
            QTest::qSleep(2 * doubleClickInterval);
            QCoreApplication::processEvents();
        } else if (mouse == Drag || (mouse == Click && !inSelection)) {
            extendsByWords_ = false;
        }
    }
}

void tst_NoteEditorTwin::find(int action, const QString &needle) {
    // Typed into the field (Match Case switched first), Find Next, Find Previous, Replace,
    // Replace All. The twin does what a plain reference over the note's string says: a match
    // from a place, round the end if need be, and for Replace All every match from the start,
    // none overlapping the one before.
    static const char *const names[] = {"Match Case, find", "find",    "find next",
                                        "find previous",    "replace", "replace all"};
    auto *field = bar_->findChild<QLineEdit *>(u"findField"_s);
    const QString sought = action < 2 ? needle : field->text();
    const QString with = typed[random_() % typed.size()] + (random_() % 3 ? u""_s : u"\r"_s);
    matchCase_ ^= action == 0;
    apply(u"%1 \"%2\" (with \"%3\")"_s.arg(QLatin1String(names[action]), sought, with),
          [&](const Side &side) {
              if (side.isMirt) {
                  auto *matchCase = bar_->findChild<QToolButton *>(u"matchCase"_s);
                  const QSignalBlocker quiet(matchCase);
                  matchCase->setChecked(matchCase_);
                  bar_->findChild<QLineEdit *>(u"replaceField"_s)->setText(with);
                  bar_->show();
                  if (action < 2) {
                      field->clear();
                      field->setText(needle);
                  }
                  using Button = void (FindBar::*)();
                  const Button buttons[] = {&FindBar::findNext, &FindBar::findPrevious,
                                            &FindBar::replace, &FindBar::replaceAll};
                  if (action >= 2)
                      (bar_->*buttons[action - 2])();
                  return bar_->close();
              }
              const auto fold = [this](const QString &text) {
                  return matchCase_ ? text : text.toCaseFolded();
              };
              QString note = fold(model_->text()); // the same as the twin's, or failed
              const QString folded = fold(sought);
              QTextCursor selected = twin_->textCursor();
              const auto select = [&selected](qsizetype at, qsizetype length) {
                  selected.setPosition(int(at));
                  selected.setPosition(int(at + length), QTextCursor::KeepAnchor);
              };
              const qsizetype start = selected.selectionStart();
              std::vector<qsizetype> found; // those to replace
              for (qsizetype at = note.indexOf(folded); action == 5 && at >= 0 && !folded.isEmpty();
                   at = note.indexOf(folded, at + folded.size()))
                  found.push_back(at);
              if (action == 4 && selected.selectionEnd() - start == folded.size() &&
                  QStringView(note).sliced(start, folded.size()) == folded && !folded.isEmpty())
                  found.push_back(start);
              QTextCursor edit(twin_->document());
              edit.beginEditBlock();
              for (auto at = found.rbegin(); at != found.rend(); ++at) {
                  edit.setPosition(int(*at));
                  edit.setPosition(int(*at + folded.size()), QTextCursor::KeepAnchor);
                  edit.insertText(mapped(with, true));
                  note = fold(note.replace(*at, folded.size(), with));
              }
              edit.endEditBlock();
              if (action == 5 || folded.isEmpty())
                  return;
              if (!found.empty()) // replaced: the replacement is selected, then the next found
                  select(start, with.size());
              const bool backwards = action == 3;
              const qsizetype from = action < 2 || backwards ? start : selected.selectionEnd();
              qsizetype at = backwards ? (from > 0 ? note.lastIndexOf(folded, from - 1) : -1)
                                       : note.indexOf(folded, from);
              if (at < 0)
                  at = backwards ? note.lastIndexOf(folded) : note.indexOf(folded);
              if (at >= 0)
                  select(at, folded.size());
              twin_->setTextCursor(selected);
          });
}

void tst_NoteEditorTwin::drop(qsizetype at, const QStringList &files) {
    // A file manager's drag: the files' addresses, and the same as text. The twin takes their
    // text as a drag of text.
    QString text;
    for (const QString &file : files)
        text += droppedText[QFileInfo(file).fileName().toInt()];
    for (const Side &side : {mirt(), twin()})
        if (!pointAt(side, at))
            return;
    apply(u"drop %1 file(s) at %2"_s.arg(files.size()).arg(at), [&](const Side &side) {
        QMimeData data;
        if (side.isMirt) {
            QList<QUrl> urls;
            for (const QString &file : files)
                urls << QUrl::fromLocalFile(file);
            data.setUrls(urls);
        }
        data.setText(side.isMirt ? data.urls().first().toString() : text);
        const QPoint point = *pointAt(side, at);
        QDragEnterEvent enter(point, Qt::CopyAction, &data, Qt::LeftButton, {});
        QCoreApplication::sendEvent(side.editor.viewport(), &enter);
        QDropEvent dropped(point, Qt::CopyAction, &data, Qt::LeftButton, {});
        QCoreApplication::sendEvent(side.editor.viewport(), &dropped);
    });
}

void tst_NoteEditorTwin::count() {
    // Words as `wc -w` counts them, and characters as code points, of what the twin selected.
    const QTextCursor selected = twin_->textCursor();
    const QString text =
        selected.hasSelection() ? mapped(selected.selectedText(), false) : model_->text();
    qsizetype words = 0;
    for (qsizetype i = 0; i < text.size(); ++i)
        words += !text[i].isSpace() && (i == 0 || text[i - 1].isSpace());
    QMetaObject::invokeMethod(count_->findChild<QTimer *>(u"recount"_s), "timeout");
    const QString expected = u"ords: %1, characters: %2"_s.arg(
        QLocale().toString(words), QLocale().toString(qsizetype(text.toUcs4().size())));
    QVERIFY2(count_->text().endsWith(expected), qPrintable(log_.join(u" | ")));
}

void tst_NoteEditorTwin::apply(const QString &name, const Input &input, bool byRows) {
    log_ << QString::number(step_) + u' ' + name;
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
    if (note.size() != twin_->document()->characterCount() - 1 ||
        std::pair(model_->textRevision(), twin_->document()->revision()) != checked_) {
        const QString twins =
            mapped(twin_->document()->toRawText().replace(QChar::ParagraphSeparator, u'\n'), false);
        qsizetype at = 0;
        while (at < note.size() && at < twins.size() && note[at] == twins[at])
            ++at;
        if (at < note.size() || at < twins.size())
            QFAIL(qPrintable(
                u"the note differs at %1: \"%2\", the twin's \"%3\"\nafter %4"_s.arg(at).arg(
                    note.mid(std::max<qsizetype>(0, at - 20), 40),
                    twins.mid(std::max<qsizetype>(0, at - 20), 40),
                    log_.mid(std::max<qsizetype>(0, log_.size() - 12)).join(u" | "))));
        checked_ = {model_->textRevision(), twin_->document()->revision()};
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
