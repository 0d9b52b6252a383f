// SPDX-License-Identifier: MIT
#include "Fakes.h"
#include "MeetingReference.h"
#include "Notemodel.h"

#include <QRandomGenerator>
#include <QSignalSpy>
#include <QTest>

namespace {

const QString header = QStringLiteral("2024 03 07, 09:05\n\n");

} // namespace

class tst_MeetingMode : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void blankNoteStartsAtOnce_data();
    void blankNoteStartsAtOnce();
    void noteWithContentOnlyAsksForConfirmation();
    void startReplacesTheNoteWithADatedHeader();
    void lineBreakHandling_data();
    void lineBreakHandling();
    void stampedTextIsHandledOnceMore();
    void endKeepsTheNoteAndStopsStamping();
    void clearingEndsMeetingMode();
    void agreesWithTheRuleOverRandomEdits();
};

void tst_MeetingMode::blankNoteStartsAtOnce_data() {
    QTest::addColumn<QString>("note");
    QTest::newRow("empty") << QString();
    QTest::newRow("spaces and line breaks") << QStringLiteral("  \n\t\r\n \u00a0\u2028 ");
}

void tst_MeetingMode::blankNoteStartsAtOnce() {
    QFETCH(QString, note);
    ModelFixture f;
    f.store.strings[NoteModel::saveKey] = note;
    auto model = f.make();
    model->requestMeetingMode();
    QVERIFY(model->isMeetingMode());
    QVERIFY(!model->meetingConfirmRequested());
    QCOMPARE(model->text(), header);
}

void tst_MeetingMode::noteWithContentOnlyAsksForConfirmation() {
    ModelFixture f;
    f.store.strings[NoteModel::saveKey] = QStringLiteral("A");
    auto model = f.make();
    model->requestMeetingMode();
    QVERIFY(model->meetingConfirmRequested());
    QVERIFY(!model->isMeetingMode());
    QCOMPARE(model->text(), QStringLiteral("A"));
}

void tst_MeetingMode::startReplacesTheNoteWithADatedHeader() {
    ModelFixture f;
    f.store.strings[NoteModel::saveKey] = QStringLiteral("old minutes");
    auto model = f.make();
    model->setMeetingConfirmRequested(true);
    model->startMeetingMode();
    QVERIFY(!model->meetingConfirmRequested());
    QVERIFY(model->isMeetingMode());
    QCOMPARE(model->text(), header);
    QCOMPARE(model->previousText(), header);
    f.timeline.advance(500);
    QCOMPARE(f.store.strings[NoteModel::saveKey], header);
}

void tst_MeetingMode::lineBreakHandling_data() {
    QTest::addColumn<QString>("before");
    QTest::addColumn<QString>("after");
    QTest::addColumn<QString>("expected");
    const QString nine06 = QStringLiteral("09:06 - ");
    QTest::newRow("line break typed at the end")
        << QStringLiteral("A") << QStringLiteral("A\n") << QStringLiteral("A\n") + nine06;
    QTest::newRow("after a stamped line")
        << QStringLiteral("09:05 - Budget") << QStringLiteral("09:05 - Budget\n")
        << QStringLiteral("09:05 - Budget\n") + nine06;
    QTest::newRow("stamp-only line is replaced")
        << header + QStringLiteral("09:05 - ") << header + QStringLiteral("09:05 - \n")
        << header + nine06;
    QTest::newRow("single stamp-only line")
        << QStringLiteral("09:05 - ") << QStringLiteral("09:05 - \n") << u'\n' + nine06;
    QTest::newRow("stamp-only in other digits")
        << QStringLiteral("x\n\u0660\u0669:\u0660\u0665 - ")
        << QStringLiteral("x\n\u0660\u0669:\u0660\u0665 - \n") << QStringLiteral("x\n") + nine06;
    QTest::newRow("stamp with text after it is kept")
        << QStringLiteral("09:05 - a") << QStringLiteral("09:05 - a\n")
        << QStringLiteral("09:05 - a\n") + nine06;
    QTest::newRow("empty note") << QString() << QStringLiteral("\n") << u'\n' + nine06;
    QTest::newRow("line break in the middle")
        << QStringLiteral("AB") << QStringLiteral("A\nB") << QStringLiteral("A\nB");
    QTest::newRow("pasted with other text")
        << QStringLiteral("A") << QStringLiteral("A\nB") << QStringLiteral("A\nB");
    QTest::newRow("pasted two line breaks")
        << QStringLiteral("A") << QStringLiteral("A\n\n") << QStringLiteral("A\n\n");
    QTest::newRow("CR LF completes one character")
        << QStringLiteral("A\r") << QStringLiteral("A\r\n") << QStringLiteral("A\r\n");
    QTest::newRow("carriage return alone")
        << QStringLiteral("A") << QStringLiteral("A\r") << QStringLiteral("A\r");
    QTest::newRow("deletion") << QStringLiteral("A\nB") << QStringLiteral("A\n")
                              << QStringLiteral("A\n");
    QTest::newRow("letter typed after a final line break")
        << QStringLiteral("A\n") << QStringLiteral("A\nb") << QStringLiteral("A\nb");
    QTest::newRow("replacement that happens to grow by one")
        << QStringLiteral("AB") << QStringLiteral("AC\n") << QStringLiteral("AC\n");
}

void tst_MeetingMode::lineBreakHandling() {
    QFETCH(QString, before);
    QFETCH(QString, after);
    QFETCH(QString, expected);

    // The editor patches the model; tests and other callers may hand over a whole string.
    for (const bool patched : {true, false}) {
        ModelFixture f;
        auto model = f.make();
        model->startMeetingMode();
        model->setText(before);
        model->handleTextChange(model->text());
        f.timeline.advance(60'000);
        if (patched) {
            qsizetype common = 0;
            while (common < before.size() && common < after.size() &&
                   before[common] == after[common])
                ++common;
            model->replaceText(common, before.size() - common, QStringView(after).sliced(common));
            model->handleTextChange(model->text());
        } else {
            model->handleTextChange(after);
        }
        if (!patched && expected == after)
            QCOMPARE(model->text(), before); // nothing to stamp: the text is not touched
        else
            QCOMPARE(model->text(), expected);
        QCOMPARE(model->previousText(), patched || expected != after ? expected : after);
    }
}

void tst_MeetingMode::stampedTextIsHandledOnceMore() {
    ModelFixture f;
    auto model = f.make();
    model->startMeetingMode();
    model->replaceText(model->text().size(), 0, u"Budget\n");
    model->handleTextChange(model->text()); // pasted: no stamp
    model->replaceText(model->text().size(), 0, u"\n");
    model->handleTextChange(model->text());
    const QString stamped = model->text();
    QVERIFY(stamped.endsWith(QStringLiteral("Budget\n\n09:05 - ")));
    model->handleTextChange(model->text()); // the view hands the stamped text back
    QCOMPARE(model->text(), stamped);
}

void tst_MeetingMode::endKeepsTheNoteAndStopsStamping() {
    ModelFixture f;
    auto model = f.make();
    model->startMeetingMode();
    model->replaceText(model->text().size(), 0, u"\n");
    model->handleTextChange(model->text());
    const QString minutes = model->text();
    model->endMeetingMode();
    QVERIFY(!model->isMeetingMode());
    QCOMPARE(model->text(), minutes);
    QCOMPARE(model->previousText(), minutes);
    model->replaceText(model->text().size(), 0, u"x\n");
    model->handleTextChange(model->text());
    model->replaceText(model->text().size(), 0, u"\n");
    model->handleTextChange(model->text());
    QCOMPARE(model->text(), minutes + QStringLiteral("x\n\n"));
}

void tst_MeetingMode::clearingEndsMeetingMode() {
    ModelFixture f;
    auto model = f.make();
    model->startMeetingMode();
    model->clearNote();
    QVERIFY(!model->isMeetingMode());
    model->replaceText(0, 0, u"\n");
    model->handleTextChange(model->text());
    QCOMPARE(model->text(), QStringLiteral("\n"));
}

void tst_MeetingMode::agreesWithTheRuleOverRandomEdits() {
    // Edits that bunch up at the end of the note, where stamps happen, with the characters
    // that matter to the rule; some land between two calls of the handler.
    const QStringList pieces = {QStringLiteral("\n"),   QStringLiteral("\n"),
                                QStringLiteral("a"),    QStringLiteral("\r"),
                                QStringLiteral("\r\n"), QStringLiteral("1"),
                                QStringLiteral(":"),    QStringLiteral(" - "),
                                QStringLiteral("x\n"),  QStringLiteral("09:07 - ")};
    QRandomGenerator random(20240307);
    ModelFixture f;
    auto model = f.make();
    ReferenceModel ref;
    for (int step = 0; step < 20000; ++step) {
        const int op = random.bounded(100);
        const qsizetype size = model->text().size();
        if (op < 2) {
            model->startMeetingMode();
            ref.meeting = true;
            ref.text = ref.previous = model->text();
        } else if (op < 3) {
            model->endMeetingMode();
            ref.meeting = false;
            ref.previous = ref.text;
        } else if (op < 5) {
            model->setText(QStringLiteral("09:05 - "));
            ref.text = model->text();
        } else {
            const bool atEnd = random.bounded(3) > 0;
            const qsizetype position = atEnd ? size : random.bounded(size + 1);
            const qsizetype removed =
                random.bounded(4) == 0 ? random.bounded(std::min<qsizetype>(3, size - position) + 1)
                                       : 0;
            const QString inserted =
                random.bounded(5) == 0 ? QString() : pieces[random.bounded(pieces.size())];
            model->replaceText(position, removed, inserted);
            ref.text.replace(position, removed, inserted);
        }
        QCOMPARE(model->text(), ref.text);
        if (random.bounded(4) == 0)
            continue; // a second edit before the view catches up
        f.timeline.advance(61'000);
        const QString stamp =
            f.timeline.now().toString(QStringLiteral("HH:mm")) + QStringLiteral(" - ");
        model->handleTextChange(model->text());
        ref.handle(ref.text, stamp);
        QCOMPARE(model->text(), ref.text);
        QCOMPARE(model->previousText(), ref.previous);
    }
}

QTEST_GUILESS_MAIN(tst_MeetingMode)
#include "tst_meetingmode.moc"
