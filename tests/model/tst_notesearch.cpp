// SPDX-License-Identifier: MIT
#include "NoteSearch.h"

#include <QTest>

using namespace Qt::StringLiterals;

using Positions = std::vector<qsizetype>;

class tst_NoteSearch : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void findsEveryMatchWhereItIs_data();
    void findsEveryMatchWhereItIs();
};

void tst_NoteSearch::findsEveryMatchWhereItIs_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("needle");
    QTest::addColumn<bool>("matchCase");
    QTest::addColumn<bool>("wholeWords");
    QTest::addColumn<Positions>("positions");
    QTest::addColumn<Positions>("replaced"); // by Replace All: from the start, none overlapping
    QTest::newRow("across a line break") << u"end\nstart end\nstart"_s << u"end\nstart"_s << false
                                         << false << Positions{0, 10} << Positions{0, 10};
    QTest::newRow("after CR, U+2029 and a character outside the BMP")
        << u"a\rbudget\u2029budget \U0001F600budget"_s << u"budget"_s << false << false
        << Positions{2, 9, 18} << Positions{2, 9, 18};
    QTest::newRow("ignoring case") << u"Budget BUDGET budget"_s << u"budget"_s << false << false
                                   << Positions{0, 7, 14} << Positions{0, 7, 14};
    QTest::newRow("matching case") << u"Budget BUDGET budget"_s << u"budget"_s << true << false
                                   << Positions{14} << Positions{14};
    QTest::newRow("whole words") << u"budget budgets rebudget budget_x budget."_s << u"budget"_s
                                 << false << true << Positions{0, 33} << Positions{0, 33};
    QTest::newRow("overlapping") << u"aaaa"_s << u"aa"_s << false << false << Positions{0, 1, 2}
                                 << Positions{0, 2};
    QTest::newRow("overlapping, an odd count")
        << u"banana"_s << u"ana"_s << false << false << Positions{1, 3} << Positions{1};
    // More than are counted: Replace All replaces them all.
    Positions every(NoteSearch::countLimit + 2);
    for (size_t i = 0; i < every.size(); ++i)
        every[i] = qsizetype(2 * i);
    QTest::newRow("more than the count's limit")
        << u"a "_s.repeated(every.size()) << u"a"_s << true << false
        << Positions(every.begin(), every.begin() + NoteSearch::countLimit) << every;
}

void tst_NoteSearch::findsEveryMatchWhereItIs() {
    QFETCH(QString, text);
    QFETCH(QString, needle);
    QFETCH(bool, matchCase);
    QFETCH(bool, wholeWords);
    QFETCH(Positions, positions);
    QFETCH(Positions, replaced);
    NoteSearch search;
    QCOMPARE(search.matches(text, 1, needle, {matchCase, wholeWords}), positions);
    QCOMPARE(search.replaceable(), replaced);
    QVERIFY(search.matches(text, 1, QString(), {}).empty());
}

QTEST_GUILESS_MAIN(tst_NoteSearch)
#include "tst_notesearch.moc"
