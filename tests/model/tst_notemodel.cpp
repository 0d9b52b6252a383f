// SPDX-License-Identifier: MIT
#include "Fakes.h"
#include "Files.h"
#include "Notemodel.h"

#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <limits>

using namespace Qt::StringLiterals;

namespace {

const QString header = u"2024 03 07, 09:05\n\n"_s;

// Makes `before` into `after` the way the editor does: one patch over the part that differs.
void edit(NoteModel &model, const QString &after) {
    const QString &before = model.text();
    qsizetype common = 0;
    while (common < before.size() && common < after.size() && before[common] == after[common])
        ++common;
    model.replaceText(common, before.size() - common, QStringView(after).sliced(common));
}

} // namespace

class tst_NoteModel : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void loadsWhatIsStoredAndWritesNothingBack_data();
    void loadsWhatIsStoredAndWritesNothingBack();
    void fontSizeStepsWithinBoundsAndIsStoredEveryTime_data();
    void fontSizeStepsWithinBoundsAndIsStoredEveryTime();
    void everyAssignmentIsAnnouncedBeforeItIsStored();
    void autosaveWritesHalfASecondAfterTheLastAssignment();
    void clearNoteWritesAtOnceAndAgainLater();
    void failedSavesAreReportedOnceAndRecoveryToo();
    void largeNoteIsSavedInSlicesAndAnEditStartsOver();
    void lineBreakHandling_data();
    void lineBreakHandling();
    void modelOperationsLeaveNothingToStamp_data();
    void modelOperationsLeaveNothingToStamp();
    void appendedLinesAreTypedAtTheEnd_data();
    void appendedLinesAreTypedAtTheEnd();
    void exportWritesExactUtf8OfTheConfirmedMoment_data();
    void exportWritesExactUtf8OfTheConfirmedMoment();
    void exportCancelAndFailureAreQuiet();
    void printAsksOnlyForANoteWithCharacters();
    void outsideChangeIsTakenIn_data();
    void outsideChangeIsTakenIn();
    void moveNoteTakesTheTextToTheChosenFolder();
    void whatWouldBeLostIsKeptFirst_data();
    void whatWouldBeLostIsKeptFirst();
};

void tst_NoteModel::loadsWhatIsStoredAndWritesNothingBack_data() {
    QTest::addColumn<QString>("note");
    QTest::addColumn<QVariant>("storedSize");
    QTest::addColumn<double>("size");
    const float inf = std::numeric_limits<float>::infinity();
    QTest::newRow("first launch") << QString() << QVariant() << 13.0;
    QTest::newRow("note and size") << u"one\ntwo"_s << QVariant(21.0f) << 21.0;
    QTest::newRow("below minimum") << QString() << QVariant(5.0f) << 13.0;
    QTest::newRow("above maximum loads unchanged") << QString() << QVariant(40.0f) << 40.0;
    QTest::newRow("beyond the ceiling") << QString() << QVariant(1.0e30f) << 256.0;
    QTest::newRow("NaN") << QString() << QVariant(std::numeric_limits<float>::quiet_NaN()) << 13.0;
    QTest::newRow("infinity") << QString() << QVariant(inf) << 13.0;
}

void tst_NoteModel::loadsWhatIsStoredAndWritesNothingBack() {
    QFETCH(QString, note);
    QFETCH(QVariant, storedSize);
    QFETCH(double, size);
    ModelFixture f;
    if (!note.isEmpty())
        f.store.strings[NoteModel::saveKey] = note;
    if (storedSize.isValid())
        f.store.floats[NoteModel::fontSizeKey] = storedSize.toFloat();
    auto model = f.make();
    QCOMPARE(model->text(), note);
    QCOMPARE(model->previousText(), note);
    QCOMPARE(model->fontSize(), size);
    QVERIFY(model->toolbarVisible());
    QVERIFY(!model->isMeetingMode() && !model->clearRequested() &&
            !model->meetingConfirmRequested());
    f.timeline.advance(5000);
    QVERIFY2(f.store.writes.empty(), "loading must not write anything back");
}

void tst_NoteModel::fontSizeStepsWithinBoundsAndIsStoredEveryTime_data() {
    QTest::addColumn<float>("start");
    QTest::addColumn<bool>("larger");
    QTest::addColumn<QList<double>>("sizes");
    QTest::newRow("up to the maximum")
        << 13.0f << true << QList<double>{15, 17, 19, 21, 23, 25, 27, 29, 31, 32, 32};
    QTest::newRow("down to the minimum")
        << 32.0f << false << QList<double>{30, 28, 26, 24, 22, 20, 18, 16, 14, 13, 13};
    QTest::newRow("up from above the maximum") << 40.0f << true << QList<double>{32};
    QTest::newRow("down from above the maximum") << 40.0f << false << QList<double>{38};
}

void tst_NoteModel::fontSizeStepsWithinBoundsAndIsStoredEveryTime() {
    QFETCH(float, start);
    QFETCH(bool, larger);
    QFETCH(QList<double>, sizes);
    ModelFixture f;
    f.store.floats[NoteModel::fontSizeKey] = start;
    auto model = f.make();
    QList<double> seen;
    for (qsizetype i = 0; i < sizes.size(); ++i) {
        larger ? model->increaseFontSize() : model->decreaseFontSize();
        seen << model->fontSize();
    }
    QCOMPARE(seen, sizes);
    const auto writes = f.store.writesOf(NoteModel::fontSizeKey);
    QCOMPARE(qsizetype(writes.size()), sizes.size());
    QCOMPARE(writes.back().value.typeId(), QMetaType::Float);
    QCOMPARE(writes.back().value.toFloat(), float(sizes.last()));
}

void tst_NoteModel::everyAssignmentIsAnnouncedBeforeItIsStored() {
    ModelFixture f;
    auto model = f.make();
    QString seenText = u"unset"_s;
    connect(model.get(), &NoteModel::willChange, this, [&] { seenText = model->text(); });
    QSignalSpy spy(model.get(), &NoteModel::willChange);
    model->setText(u"new"_s);
    QCOMPARE(seenText, QString()); // observers hear of it before the value is stored
    model->setText(u"new"_s);
    model->setToolbarVisible(true);
    model->setClearRequested(false);
    model->setMeetingConfirmRequested(false);
    model->increaseFontSize();
    QCOMPARE(spy.count(), 6);
}

void tst_NoteModel::autosaveWritesHalfASecondAfterTheLastAssignment() {
    ModelFixture f;
    f.store.strings[NoteModel::saveKey] = u"x"_s;
    auto model = f.make();
    for (int i = 0; i < 10; ++i) {
        model->setText(QString(i + 1, u'x')); // the first one leaves the text as it was
        f.timeline.advance(100);
    }
    f.timeline.advance(399);
    QVERIFY(f.store.writes.empty());
    f.timeline.advance(1);
    model->replaceText(0, 1, u"y"); // a patch restarts it like an assignment
    f.timeline.advance(500);
    const auto writes = f.store.writesOf(NoteModel::saveKey);
    QCOMPARE(writes.size(), 2u);
    QCOMPARE(writes[0].atMs, 1400);
    QCOMPARE(writes[0].value.toString(), QString(10, u'x'));
    QCOMPARE(writes[1].value.toString(), u'y' + QString(9, u'x'));
}

void tst_NoteModel::clearNoteWritesAtOnceAndAgainLater() {
    ModelFixture f;
    f.store.strings[NoteModel::saveKey] = u"minutes"_s;
    auto model = f.make();
    model->startMeetingMode();
    model->setToolbarVisible(false);
    model->setClearRequested(true);
    f.timeline.advance(100);
    const auto before = f.store.writesOf(NoteModel::saveKey).size();
    model->clearNote();
    QCOMPARE(model->text(), QString());
    QVERIFY(!model->isMeetingMode() && !model->clearRequested() && !model->toolbarVisible());
    auto writes = f.store.writesOf(NoteModel::saveKey);
    QCOMPARE(writes.size(), before + 1);
    QCOMPARE(writes.back().value.toString(), QString());
    QCOMPARE(writes.back().atMs, 100);
    f.timeline.advance(500);
    QCOMPARE(f.store.writesOf(NoteModel::saveKey).size(), before + 2);
}

void tst_NoteModel::failedSavesAreReportedOnceAndRecoveryToo() {
    ModelFixture f;
    auto model = f.make();
    QSignalSpy failed(model.get(), &NoteModel::saveFailed);
    QSignalSpy recovered(model.get(), &NoteModel::saveRecovered);
    f.store.failure = u"No space left on device"_s;
    for (const char *text : {"first", "second"}) {
        model->setText(QString::fromLatin1(text));
        f.timeline.advance(500);
    }
    QCOMPARE(failed.count(), 1);
    QCOMPARE(failed[0][0].toString(), u"No space left on device"_s);
    QVERIFY(model->isSaveFailing());
    QCOMPARE(recovered.count(), 0);
    // The cause gone and nothing typed since: leaving the app tries the failed save again.
    f.store.failure.clear();
    model->flushAutosave();
    QCOMPARE(f.store.strings[NoteModel::saveKey], u"second"_s);
    QCOMPARE(recovered.count(), 1);
    QVERIFY(!model->isSaveFailing());
    QCOMPARE(failed.count(), 1);
}

void tst_NoteModel::largeNoteIsSavedInSlicesAndAnEditStartsOver() {
    ModelFixture f;
    auto model = f.make();
    // A surrogate pair on every slice boundary the encoder might pick, and a lone half.
    QString large = u"\U0001F600 note "_s.repeated(60000) + QChar(0xDC00);
    model->setText(large);
    f.timeline.advance(500);
    QVERIFY2(f.store.writes.empty(), "a large note is not handed over in one piece");
    model->replaceText(0, 0, u"x");       // an edit while it is being encoded
    for (int turn = 0; turn < 50; ++turn) // far more turns than the note has slices
        QCoreApplication::processEvents();
    QVERIFY(f.store.writes.empty());
    f.timeline.advance(500);
    QTRY_COMPARE(f.store.writesOf(NoteModel::saveKey).size(), 1u);
    large.prepend(u'x');
    large.back() = QChar::ReplacementCharacter;
    QCOMPARE(f.store.strings[NoteModel::saveKey], large);
    model->replaceText(0, 0, u"y"); // quitting in the middle of it writes at once
    f.timeline.advance(500);
    model->flushAutosave();
    QCOMPARE(f.store.strings[NoteModel::saveKey].size(), large.size() + 1);
}

void tst_NoteModel::lineBreakHandling_data() {
    QTest::addColumn<QString>("before");
    QTest::addColumn<QString>("after");
    QTest::addColumn<QString>("expected");
    const QString stamp = u"09:06 - "_s;
    QTest::newRow("typed at the end") << u"A"_s << u"A\n"_s << u"A\n"_s + stamp;
    QTest::newRow("after a stamped line")
        << u"09:05 - Budget"_s << u"09:05 - Budget\n"_s << u"09:05 - Budget\n"_s + stamp;
    QTest::newRow("stamp-only line is replaced")
        << header + u"09:05 - "_s << header + u"09:05 - \n"_s << header + stamp;
    QTest::newRow("single stamp-only line") << u"09:05 - "_s << u"09:05 - \n"_s << u'\n' + stamp;
    QTest::newRow("stamp-only in other digits")
        << u"x\n\u0660\u0669:\u0660\u0665 - "_s << u"x\n\u0660\u0669:\u0660\u0665 - \n"_s
        << u"x\n"_s + stamp;
    QTest::newRow("empty note") << QString() << u"\n"_s << u'\n' + stamp;
    QTest::newRow("in the middle") << u"AB"_s << u"A\nB"_s << u"A\nB"_s;
    QTest::newRow("pasted with other text") << u"A"_s << u"A\nB"_s << u"A\nB"_s;
    QTest::newRow("pasted two line breaks") << u"A"_s << u"A\n\n"_s << u"A\n\n"_s;
    QTest::newRow("CR LF completes one character") << u"A\r"_s << u"A\r\n"_s << u"A\r\n"_s;
    QTest::newRow("deletion") << u"A\nB"_s << u"A\n"_s << u"A\n"_s;
    QTest::newRow("replacement that grows by one") << u"AB"_s << u"AC\n"_s << u"AC\n"_s;
}

void tst_NoteModel::lineBreakHandling() {
    QFETCH(QString, before);
    QFETCH(QString, after);
    QFETCH(QString, expected);
    ModelFixture f;
    auto model = f.make();
    model->startMeetingMode();
    model->setText(before);
    model->handleTextChange();
    f.timeline.advance(60'000);
    edit(*model, after);
    model->handleTextChange();
    QCOMPARE(model->text(), expected);
    QCOMPARE(model->previousText(), expected);
    model->handleTextChange(); // the stamped text comes back once more: nothing happens
    QCOMPARE(model->text(), expected);
}

void tst_NoteModel::modelOperationsLeaveNothingToStamp_data() {
    // Each leaves previousText at the text it leaves, so that a line feed it did not type is
    // never taken for a typed one.
    QTest::addColumn<int>("operation");
    QTest::newRow("end meeting mode") << 0;
    QTest::newRow("clear note") << 1;
    QTest::newRow("start meeting mode") << 2;
}

void tst_NoteModel::modelOperationsLeaveNothingToStamp() {
    QFETCH(int, operation);
    ModelFixture f;
    auto model = f.make();
    model->startMeetingMode();
    model->replaceText(model->text().size(), 0, u"minutes"); // not yet seen by the handler
    if (operation == 0)
        model->endMeetingMode();
    else if (operation == 1)
        model->clearNote();
    else
        model->startMeetingMode();
    QCOMPARE(model->previousText(), model->text());
    model->startMeetingMode();
    model->replaceText(model->text().size(), 0, u"x\n"); // pasted: no stamp
    model->handleTextChange();
    QCOMPARE(model->text(), header + u"x\n"_s);
}

void tst_NoteModel::appendedLinesAreTypedAtTheEnd_data() {
    QTest::addColumn<QString>("note");
    QTest::addColumn<QString>("typed"); // after the note, not yet seen by the handler
    QTest::addColumn<QString>("lines");
    QTest::addColumn<QString>("expected");
    QTest::addColumn<bool>("meeting");
    QTest::newRow("to an empty note") << QString() << QString() << u"a"_s << u"a\n"_s << false;
    QTest::newRow("after a line break")
        << u"x\n"_s << QString() << u"a\nb\n"_s << u"x\na\nb\n"_s << false;
    QTest::newRow("never onto the last line")
        << u"x"_s << QString() << u"a"_s << u"x\na\n"_s << false;
    QTest::newRow("CR LF is one line break, an empty line stays")
        << u"x\n"_s << QString() << u"a\r\n\r\nb"_s << u"x\na\n\nb\n"_s << false;
    QTest::newRow("nothing to add") << u"x"_s << QString() << QString() << u"x"_s << false;
    const QString stamp = u"09:07 - "_s;
    QTest::newRow("meeting, right after the header")
        << header << QString() << u"a"_s << header + u"\n"_s + stamp + u"a\n"_s + stamp << true;
    QTest::newRow("meeting, the waiting stamp is refreshed")
        << header + u"first\n09:05 - "_s << QString() << u"a\r\nb"_s
        << header + u"first\n"_s + stamp + u"a\n"_s + stamp + u"b\n"_s + stamp << true;
    QTest::newRow("meeting, after words on the last line")
        << header + u"09:05 - x"_s << QString() << u"a"_s
        << header + u"09:05 - x\n"_s + stamp + u"a\n"_s + stamp << true;
    QTest::newRow("meeting, a line break typed just before is stamped first")
        << header + u"09:05 - x"_s << u"\n"_s << u"a"_s
        << header + u"09:05 - x\n"_s + stamp + u"a\n"_s + stamp << true;
}

void tst_NoteModel::appendedLinesAreTypedAtTheEnd() {
    QFETCH(QString, note);
    QFETCH(QString, typed);
    QFETCH(QString, lines);
    QFETCH(QString, expected);
    QFETCH(bool, meeting);
    ModelFixture f;
    auto model = f.make();
    if (meeting)
        model->startMeetingMode();
    edit(*model, note);
    model->handleTextChange();
    model->replaceText(note.size(), 0, typed);
    f.timeline.advance(120'000);
    QSignalSpy replaced(model.get(), &NoteModel::textReplaced);
    model->appendLines(lines);
    QCOMPARE(model->text(), expected);
    // One undo step of its own takes the lines and their stamps away together.
    QList<NoteModel::UndoStep> steps;
    for (const QList<QVariant> &signal : replaced)
        steps << signal[3].value<NoteModel::UndoStep>();
    QCOMPARE(steps.count(NoteModel::UndoStep::OfItsOwn), lines.isEmpty() ? 0 : 1);
    if (!meeting) // what the command line writes straight to the file when no window runs
        QCOMPARE(note + typed + NoteModel::appendix(note + typed, lines), expected);
    model->handleTextChange(); // the editor's next refresh finds nothing left to stamp
    f.timeline.advance(500);
    QCOMPARE(f.store.strings[NoteModel::saveKey], expected);
}

void tst_NoteModel::exportWritesExactUtf8OfTheConfirmedMoment_data() {
    QTest::addColumn<QString>("note");
    QTest::addColumn<QByteArray>("bytes");
    QTest::newRow("empty note, empty file") << QString() << QByteArray("");
    QTest::newRow("two lines, no line feed added")
        << u"first line\nsecond line"_s << QByteArray("first line\nsecond line");
    QTest::newRow("UTF-8 without a byte-order mark")
        << u"caf\u00e9 \U0001F600\r\n"_s << QByteArray("caf\xc3\xa9 \xf0\x9f\x98\x80\r\n");
    QTest::newRow("halves of pairs, alone and last, as U+FFFD")
        << u"a"_s + QChar(0xD83D) + u"b\u07FF\u0800"_s + QChar(0xDE00) + QChar(0xD83D)
        << QByteArray("a\xef\xbf\xbd"
                      "b\xdf\xbf\xe0\xa0\x80\xef\xbf\xbd\xef\xbf\xbd");
}

void tst_NoteModel::exportWritesExactUtf8OfTheConfirmedMoment() {
    QFETCH(QString, note);
    QFETCH(QByteArray, bytes);
    QTemporaryDir dir;
    const QString path = dir.filePath(u"note.txt"_s);
    writeFile(path, QByteArray(10000, 'z')); // an earlier file there is replaced whole
    ModelFixture f;
    auto model = f.make();
    model->setText(u"draft"_s);
    model->exportNote();
    QCOMPARE(f.dialogs.panels[0].title, u"Export Note"_s);
    QCOMPARE(f.dialogs.panels[0].suggestedName, u"mirt-note-2024-03-07-0905.txt"_s);
    QCOMPARE(f.dialogs.panels[0].mimeType, u"text/plain"_s);
    model->setText(note); // typed while the panel was open
    f.dialogs.answer(path);
    QCOMPARE(contents(path), bytes);
}

void tst_NoteModel::exportCancelAndFailureAreQuiet() {
    QTemporaryDir dir;
    QVERIFY(QDir::setCurrent(dir.path()));
    ModelFixture f;
    auto model = f.make();
    model->setText(u"the note"_s);
    model->exportNote();
    f.dialogs.answer(QString()); // cancelled: nothing anywhere, not even here
    QCoreApplication::processEvents();
    QVERIFY(QDir(dir.path()).isEmpty());
    QVERIFY(f.dialogs.warnings.empty());

    model->exportNote();
    f.dialogs.answer(dir.path()); // a folder: the write fails
    QVERIFY2(f.dialogs.warnings.empty(), "the alert waits until the completion returned");
    QCoreApplication::processEvents();
    QCOMPARE(f.dialogs.warnings.size(), 1u);
    QCOMPARE(f.dialogs.warnings[0].first, u"Export Failed"_s);
    f.dialogs.warnings.clear();

    model->exportNote();
    model.reset(); // the panel outlives the model: its answer does nothing
    f.dialogs.answer(dir.filePath(u"late.txt"_s));
    QCoreApplication::processEvents();
    QVERIFY(QDir(dir.path()).isEmpty());
}

void tst_NoteModel::printAsksOnlyForANoteWithCharacters() {
    ModelFixture f;
    f.store.floats[NoteModel::fontSizeKey] = 20.0f;
    auto model = f.make();
    model->printNote();
    QVERIFY(f.dialogs.printed.empty());
    model->setText(u" "_s);
    model->printNote();
    QCOMPARE(f.dialogs.printed.size(), 1u);
    QCOMPARE(f.dialogs.printed[0], std::make_pair(u" "_s, 20.0));
}

void tst_NoteModel::outsideChangeIsTakenIn_data() {
    QTest::addColumn<QString>("common");
    QTest::addColumn<QString>("ours");
    QTest::addColumn<QString>("theirs");
    QTest::addColumn<QString>("expected");
    QTest::addColumn<QString>("copy");
    QTest::addColumn<bool>("meeting");
    const QString three = u"one\ntwo\nthree\n"_s;
    QTest::newRow("nothing typed here: their version")
        << three << three << u"one\n2\nthree\n"_s << u"one\n2\nthree\n"_s << QString() << false;
    QTest::newRow("other lines changed: merged")
        << three << u"ONE\ntwo\nthree\n"_s << u"one\ntwo\nTHREE\n"_s << u"ONE\ntwo\nTHREE\n"_s
        << QString() << false;
    QTest::newRow("the same change on both sides")
        << three << u"one\n"_s << u"one\n"_s << u"one\n"_s << QString() << false;
    QTest::newRow("the same line: theirs kept beside")
        << three << u"one\nmine\nthree\n"_s << u"one\ntheirs\nthree\n"_s << u"one\nmine\nthree\n"_s
        << u"one\ntheirs\nthree\n"_s << false;
    QTest::newRow("a line arriving at the end in meeting mode gets no stamp")
        << header << header << header + u"from the laptop\n"_s << header + u"from the laptop\n"_s
        << QString() << true;
}

void tst_NoteModel::outsideChangeIsTakenIn() {
    QFETCH(QString, common);
    QFETCH(QString, ours);
    QFETCH(QString, theirs);
    QFETCH(QString, expected);
    QFETCH(QString, copy);
    QFETCH(bool, meeting);
    ModelFixture f;
    f.store.strings[NoteModel::saveKey] = common;
    auto model = f.make();
    if (meeting)
        model->startMeetingMode();
    edit(*model, ours);
    model->handleTextChange();
    f.timeline.advance(60'000);
    f.store.writes.clear();
    QSignalSpy noticed(model.get(), &NoteModel::noticed);
    QSignalSpy kept(model.get(), &NoteModel::copyKept);
    QSignalSpy replaced(model.get(), &NoteModel::textReplaced);
    Q_EMIT f.store.changedOutside(NoteModel::saveKey, theirs, common, 7);
    model->handleTextChange(); // as the editor does after every change
    QCOMPARE(model->text(), expected);
    QCOMPARE(f.store.accepted, std::vector<quint64>{7});
    QCOMPARE(f.store.copies.empty() ? QString() : f.store.copies.begin()->second, copy);
    // A copy kept is named until the user has looked; the rest is told once.
    QCOMPARE(noticed.count(), ours == theirs || !copy.isEmpty() ? 0 : 1);
    QCOMPARE(kept.count(), copy.isEmpty() ? 0 : 1);
    if (!copy.isEmpty())
        QCOMPARE(kept[0][1].toString(), f.store.copies.begin()->first);
    // Another program's change is an undo step of its own, never part of the user's last one.
    if (!replaced.isEmpty())
        QCOMPARE(replaced[0][3].value<NoteModel::UndoStep>(), NoteModel::UndoStep::OfItsOwn);
    f.timeline.advance(500);
    QCOMPARE(f.store.strings[NoteModel::saveKey], expected);

    // When the other version cannot be kept, it is not accepted, so nothing overwrites it.
    f.store.accepted.clear();
    f.store.failure = u"disk full"_s;
    edit(*model, u"mine\n"_s);
    Q_EMIT f.store.changedOutside(NoteModel::saveKey, u"theirs\n"_s, expected, 8);
    QVERIFY(f.store.accepted.empty());
    QCOMPARE(model->text(), u"mine\n"_s);
}

void tst_NoteModel::moveNoteTakesTheTextToTheChosenFolder() {
    ModelFixture f;
    auto model = f.make();
    model->setText(u"typed"_s);
    model->moveNote();
    f.dialogs.answer(QString()); // cancelled
    QCOMPARE(f.store.strings.size(), 0u);
    model->moveNote();
    f.dialogs.answer(u"/sync"_s);
    QCOMPARE(f.store.strings[u"/sync/mirt.note.autosave"_s], u"typed"_s);
    QCOMPARE(f.store.strings[NoteModel::saveKey], u"typed"_s); // flushed first
}

void tst_NoteModel::whatWouldBeLostIsKeptFirst_data() {
    using Kind = NoteHistory::Kind;
    QTest::addColumn<QString>("note");
    QTest::addColumn<int>("action");
    QTest::addColumn<QList<Kind>>("kept"); // each holding the note as it was
    const QString long200 = u"minutes of a long meeting\n"_s.repeated(10);
    enum { Clear, StartMeeting, SelectAllAndType, DeleteALine, TakeIn, Merge, BringBack };
    QTest::newRow("Clear Note") << long200 << int(Clear) << QList{Kind::BeforeClear};
    QTest::newRow("Clear Note of a blank note") << u" \n\t"_s << int(Clear) << QList<Kind>();
    QTest::newRow("Clear Note of a meeting's minutes")
        << header + u"09:05 - hello\n"_s << int(Clear) << QList{Kind::Meeting};
    QTest::newRow("Clear & Start Meeting")
        << long200 << int(StartMeeting) << QList{Kind::BeforeClear};
    QTest::newRow("Clear & Start Meeting over the last meeting")
        << header + long200 << int(StartMeeting) << QList{Kind::Meeting};
    QTest::newRow("Select All and a key")
        << long200 << int(SelectAllAndType) << QList{Kind::BeforeChange};
    QTest::newRow("a key over all of a short note")
        << u"short"_s << int(SelectAllAndType) << QList<Kind>();
    QTest::newRow("a line deleted") << long200 << int(DeleteALine) << QList<Kind>();
    QTest::newRow("another program's version taken in")
        << long200 << int(TakeIn) << QList{Kind::BeforeMerge};
    QTest::newRow("another program's version merged")
        << long200 << int(Merge) << QList{Kind::BeforeMerge};
    QTest::newRow("Bring Back") << long200 << int(BringBack) << QList{Kind::BeforeBringBack};
}

void tst_NoteModel::whatWouldBeLostIsKeptFirst() {
    QFETCH(QString, note);
    QFETCH(int, action);
    QFETCH(QList<NoteHistory::Kind>, kept);
    ModelFixture f;
    f.store.strings[NoteModel::saveKey] = note;
    auto model = f.make();
    switch (action) {
    case 0:
        model->clearNote();
        break;
    case 1:
        model->startMeetingMode();
        break;
    case 2:
        model->replaceText(0, note.size(), u"x");
        break;
    case 3:
        model->replaceText(0, note.indexOf(u'\n') + 1, {});
        break;
    case 4:
    case 5:
        if (action == 5)
            model->replaceText(0, 0, u"typed here ");
        Q_EMIT f.store.changedOutside(NoteModel::saveKey, note + u"from outside\n"_s, note, 1);
        break;
    case 6:
        model->bringBack(u"an earlier note\n"_s);
        QCOMPARE(model->text(), u"an earlier note\n"_s);
        break;
    }
    QList<NoteHistory::Kind> kinds;
    for (const auto &version : f.store.versions)
        kinds << version.first;
    QCOMPARE(kinds, kept);
    if (!kept.isEmpty())
        QCOMPARE(f.store.versions.front().second, action == 5 ? u"typed here "_s + note : note);
}

QTEST_GUILESS_MAIN(tst_NoteModel)
#include "tst_notemodel.moc"
