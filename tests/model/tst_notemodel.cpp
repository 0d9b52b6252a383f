// SPDX-License-Identifier: MIT
#include "Fakes.h"
#include "Notemodel.h"

#include <QSignalSpy>
#include <QTest>

#include <cmath>
#include <limits>

class tst_NoteModel : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void firstLaunchOnEmptyStoreWritesNothing();
    void restoresTextAndFontSize();
    void storedFontSizeIsCheckedOnLoad_data();
    void storedFontSizeIsCheckedOnLoad();
    void increaseStepsToMaximumAndStoresEveryCall();
    void decreaseStepsToMinimumAndStoresEveryCall();
    void stepsFromAboveMaximum();
    void everyAssignmentIsAnnouncedBeforeItIsStored();
    void autosaveDebouncesAssignments();
    void unchangedAssignmentStillRestartsTheTimer();
    void patchedEditsAutosaveLikeAssignments();
    void revisionGrowsOnlyWhenContentChanges();
    void clearNoteWritesAtOnceAndAgainLater();
    void failedSavesAreReportedOnceAndRecoveryToo();
    void flushWritesOnlyAPendingSave();
    void largeNoteIsSavedInSlicesAndAnEditStartsOver();
};

void tst_NoteModel::firstLaunchOnEmptyStoreWritesNothing() {
    ModelFixture f;
    auto model = f.make();
    QCOMPARE(model->text(), QString());
    QCOMPARE(model->fontSize(), 13.0);
    QCOMPARE(model->minFontSize(), 13.0);
    QVERIFY(model->toolbarVisible());
    QVERIFY(!model->isMeetingMode());
    QVERIFY(!model->clearRequested());
    QVERIFY(!model->meetingConfirmRequested());
    f.timeline.advance(5000);
    QVERIFY(f.store.writes.empty());
}

void tst_NoteModel::restoresTextAndFontSize() {
    ModelFixture f;
    f.store.strings[NoteModel::saveKey] = QStringLiteral("line one\nline two");
    f.store.floats[NoteModel::fontSizeKey] = 21.0f;
    auto model = f.make();
    QCOMPARE(model->text(), QStringLiteral("line one\nline two"));
    QCOMPARE(model->previousText(), model->text());
    QCOMPARE(model->fontSize(), 21.0);
    f.timeline.advance(5000);
    QVERIFY2(f.store.writes.empty(), "loading must not write anything back");
}

void tst_NoteModel::storedFontSizeIsCheckedOnLoad_data() {
    QTest::addColumn<bool>("stored");
    QTest::addColumn<float>("value");
    QTest::addColumn<double>("expected");
    const float inf = std::numeric_limits<float>::infinity();
    QTest::newRow("missing") << false << 0.0f << 13.0;
    QTest::newRow("zero") << true << 0.0f << 13.0;
    QTest::newRow("below minimum") << true << 5.0f << 13.0;
    QTest::newRow("negative") << true << -20.0f << 13.0;
    QTest::newRow("minimum") << true << 13.0f << 13.0;
    QTest::newRow("odd size in range") << true << 18.5f << 18.5;
    QTest::newRow("above maximum loads unchanged") << true << 40.0f << 40.0;
    QTest::newRow("at the ceiling") << true << 256.0f << 256.0;
    QTest::newRow("beyond the ceiling") << true << 1.0e30f << NoteModel::fontSizeCeiling;
    QTest::newRow("NaN") << true << std::numeric_limits<float>::quiet_NaN() << 13.0;
    QTest::newRow("infinity") << true << inf << 13.0;
    QTest::newRow("minus infinity") << true << -inf << 13.0;
}

void tst_NoteModel::storedFontSizeIsCheckedOnLoad() {
    QFETCH(bool, stored);
    QFETCH(float, value);
    QFETCH(double, expected);
    ModelFixture f;
    if (stored)
        f.store.floats[NoteModel::fontSizeKey] = value;
    auto model = f.make();
    QCOMPARE(model->fontSize(), expected);
    QVERIFY(f.store.writes.empty());
}

void tst_NoteModel::increaseStepsToMaximumAndStoresEveryCall() {
    ModelFixture f;
    auto model = f.make();
    QList<double> sizes;
    for (int i = 0; i < 11; ++i) {
        model->increaseFontSize();
        sizes << model->fontSize();
    }
    QCOMPARE(sizes, (QList<double>{15, 17, 19, 21, 23, 25, 27, 29, 31, 32, 32}));
    const auto writes = f.store.writesOf(NoteModel::fontSizeKey);
    QCOMPARE(writes.size(), 11u);
    QCOMPARE(writes.back().value.typeId(), QMetaType::Float);
    QCOMPARE(writes.back().value.toFloat(), 32.0f);
}

void tst_NoteModel::decreaseStepsToMinimumAndStoresEveryCall() {
    ModelFixture f;
    f.store.floats[NoteModel::fontSizeKey] = 32.0f;
    auto model = f.make();
    QList<double> sizes;
    for (int i = 0; i < 11; ++i) {
        model->decreaseFontSize();
        sizes << model->fontSize();
    }
    QCOMPARE(sizes, (QList<double>{30, 28, 26, 24, 22, 20, 18, 16, 14, 13, 13}));
    QCOMPARE(f.store.writesOf(NoteModel::fontSizeKey).size(), 11u);
    QCOMPARE(f.store.floats[NoteModel::fontSizeKey], 13.0f);
}

void tst_NoteModel::stepsFromAboveMaximum() {
    ModelFixture f;
    f.store.floats[NoteModel::fontSizeKey] = 40.0f;
    auto up = f.make();
    up->increaseFontSize();
    QCOMPARE(up->fontSize(), 32.0);

    f.store.floats[NoteModel::fontSizeKey] = 40.0f;
    auto down = f.make();
    down->decreaseFontSize();
    QCOMPARE(down->fontSize(), 38.0);
}

void tst_NoteModel::everyAssignmentIsAnnouncedBeforeItIsStored() {
    ModelFixture f;
    auto model = f.make();
    QString seenText = QStringLiteral("unset");
    connect(model.get(), &NoteModel::willChange, this, [&] { seenText = model->text(); });
    QSignalSpy spy(model.get(), &NoteModel::willChange);

    model->setText(QStringLiteral("new"));
    QCOMPARE(seenText, QString()); // observers hear of it before the value is stored
    model->setText(QStringLiteral("new"));
    model->setToolbarVisible(true);
    model->setClearRequested(false);
    model->setMeetingConfirmRequested(false);
    QCOMPARE(spy.count(), 5);
    model->increaseFontSize();
    QCOMPARE(spy.count(), 6);
}

void tst_NoteModel::autosaveDebouncesAssignments() {
    ModelFixture f;
    auto model = f.make();
    for (int i = 0; i < 10; ++i) {
        model->setText(QString(i + 1, u'x'));
        f.timeline.advance(100);
    }
    // The last assignment was at 900 ms.
    f.timeline.advance(399);
    QVERIFY(f.store.writes.empty());
    f.timeline.advance(1);
    const auto writes = f.store.writesOf(NoteModel::saveKey);
    QCOMPARE(writes.size(), 1u);
    QCOMPARE(writes[0].atMs, 1400);
    QCOMPARE(writes[0].value.toString(), QString(10, u'x'));
    f.timeline.advance(5000);
    QCOMPARE(f.store.writes.size(), 1u);
}

void tst_NoteModel::unchangedAssignmentStillRestartsTheTimer() {
    ModelFixture f;
    f.store.strings[NoteModel::saveKey] = QStringLiteral("same");
    auto model = f.make();
    model->setText(QStringLiteral("same"));
    f.timeline.advance(400);
    model->setText(QStringLiteral("same"));
    f.timeline.advance(400);
    QVERIFY(f.store.writes.empty());
    f.timeline.advance(100);
    QCOMPARE(f.store.writesOf(NoteModel::saveKey).size(), 1u);
}

void tst_NoteModel::patchedEditsAutosaveLikeAssignments() {
    ModelFixture f;
    f.store.strings[NoteModel::saveKey] = QStringLiteral("hello world");
    auto model = f.make();
    QSignalSpy replaced(model.get(), &NoteModel::textReplaced);
    model->replaceText(5, 6, u", you");
    QCOMPARE(model->text(), QStringLiteral("hello, you"));
    QCOMPARE(replaced.count(), 1);
    QCOMPARE(replaced[0], (QVariantList{5, 6, 5}));
    f.timeline.advance(500);
    QCOMPARE(f.store.strings[NoteModel::saveKey], QStringLiteral("hello, you"));
}

void tst_NoteModel::revisionGrowsOnlyWhenContentChanges() {
    ModelFixture f;
    auto model = f.make();
    const quint64 start = model->textRevision();
    model->setText(QString());
    model->replaceText(0, 0, u"");
    QCOMPARE(model->textRevision(), start);
    model->setText(QStringLiteral("ab"));
    QCOMPARE(model->textRevision(), start + 1);
    model->replaceText(0, 1, u"a");
    model->setText(QStringLiteral("ab"));
    QCOMPARE(model->textRevision(), start + 1);
    model->replaceText(2, 0, u"c");
    QCOMPARE(model->textRevision(), start + 2);
}

void tst_NoteModel::clearNoteWritesAtOnceAndAgainLater() {
    ModelFixture f;
    f.store.strings[NoteModel::saveKey] = QStringLiteral("minutes");
    auto model = f.make();
    model->startMeetingMode();
    model->setToolbarVisible(false);
    model->increaseFontSize();
    model->setClearRequested(true);
    f.timeline.advance(100);
    const auto before = f.store.writesOf(NoteModel::saveKey).size();

    model->clearNote();
    QCOMPARE(model->text(), QString());
    QCOMPARE(model->previousText(), QString());
    QVERIFY(!model->isMeetingMode());
    QVERIFY(!model->clearRequested());
    QVERIFY(!model->toolbarVisible());
    QCOMPARE(model->fontSize(), 15.0);
    auto writes = f.store.writesOf(NoteModel::saveKey);
    QCOMPARE(writes.size(), before + 1);
    QCOMPARE(writes.back().value.toString(), QString());
    QCOMPARE(writes.back().atMs, 100);

    f.timeline.advance(500);
    writes = f.store.writesOf(NoteModel::saveKey);
    QCOMPARE(writes.size(), before + 2);
    QCOMPARE(writes.back().atMs, 600);
}

void tst_NoteModel::failedSavesAreReportedOnceAndRecoveryToo() {
    ModelFixture f;
    auto model = f.make();
    QSignalSpy failed(model.get(), &NoteModel::saveFailed);
    QSignalSpy recovered(model.get(), &NoteModel::saveRecovered);

    f.store.failure = QStringLiteral("No space left on device");
    model->setText(QStringLiteral("first"));
    f.timeline.advance(500);
    model->setText(QStringLiteral("second"));
    f.timeline.advance(500);
    QCOMPARE(failed.count(), 1);
    QCOMPARE(failed[0][0].toString(), QStringLiteral("No space left on device"));
    QVERIFY(model->isSaveFailing());
    QCOMPARE(model->text(), QStringLiteral("second"));
    QCOMPARE(recovered.count(), 0);

    f.store.failure.clear();
    model->setText(QStringLiteral("third"));
    f.timeline.advance(500);
    QCOMPARE(recovered.count(), 1);
    QVERIFY(!model->isSaveFailing());
    QCOMPARE(f.store.strings[NoteModel::saveKey], QStringLiteral("third"));
    QCOMPARE(failed.count(), 1);
}

void tst_NoteModel::flushWritesOnlyAPendingSave() {
    ModelFixture f;
    auto model = f.make();
    model->flushAutosave();
    QVERIFY(f.store.writes.empty());

    model->setText(QStringLiteral("typed just before quitting"));
    model->flushAutosave();
    QCOMPARE(f.store.strings[NoteModel::saveKey], QStringLiteral("typed just before quitting"));
    QCOMPARE(f.store.flushes, 2);
    f.timeline.advance(1000);
    QCOMPARE(f.store.writes.size(), 1u); // the pending timer was consumed, not left to fire
}

void tst_NoteModel::largeNoteIsSavedInSlicesAndAnEditStartsOver() {
    ModelFixture f;
    auto model = f.make();
    // A surrogate pair on every slice boundary the encoder might pick, and a lone half.
    QString large = QStringLiteral("\U0001F600 note ").repeated(60000) + QChar(0xDC00);
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

    // Quitting in the middle of it writes at once.
    model->replaceText(0, 0, u"y");
    f.timeline.advance(500);
    model->flushAutosave();
    QCOMPARE(f.store.strings[NoteModel::saveKey].size(), large.size() + 1);
}

QTEST_GUILESS_MAIN(tst_NoteModel)
#include "tst_notemodel.moc"
