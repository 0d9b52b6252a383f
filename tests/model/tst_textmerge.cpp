// SPDX-License-Identifier: MIT
#include "TextMerge.h"

#include <QRandomGenerator>
#include <QTest>

using Merged = std::optional<QString>;
Q_DECLARE_METATYPE(Merged)

namespace {

QString lines(int count, const QString &changed = QString(), int at = -1) {
    QString text;
    for (int i = 0; i < count; ++i)
        text += (i == at ? changed : QStringLiteral("line %1 of the minutes").arg(i)) + u'\n';
    return text;
}

} // namespace

class tst_TextMerge : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void threeWay_data();
    void threeWay();
    void withAddedLines_data();
    void withAddedLines();
    void changesRebuildTheNewText();
};

void tst_TextMerge::threeWay_data() {
    QTest::addColumn<QString>("base");
    QTest::addColumn<QString>("ours");
    QTest::addColumn<QString>("theirs");
    QTest::addColumn<Merged>("merged");
    const QString abc = QStringLiteral("a\nb\nc\nd\ne\n");
    QTest::newRow("disjoint lines")
        << abc << QStringLiteral("A\nb\nc\nd\ne\n") << QStringLiteral("a\nb\nc\nd\nE\n")
        << Merged(QStringLiteral("A\nb\nc\nd\nE\n"));
    QTest::newRow("the same edit on both sides")
        << abc << QStringLiteral("a\nb\nX\nd\ne\n") << QStringLiteral("a\nb\nX\nd\ne\n")
        << Merged(QStringLiteral("a\nb\nX\nd\ne\n"));
    QTest::newRow("overlapping edits") << abc << QStringLiteral("a\nb\nmine\nd\ne\n")
                                       << QStringLiteral("a\nb\ntheirs\nd\ne\n") << Merged();
    QTest::newRow("one side emptied, the other untouched")
        << abc << QString() << abc << Merged(QString());
    QTest::newRow("both began from nothing")
        << QString() << QStringLiteral("mine\n") << QStringLiteral("theirs\n") << Merged();
    QTest::newRow("CR LF kept on both sides")
        << QStringLiteral("a\r\nb\r\nc\r\n") << QStringLiteral("A\r\nb\r\nc\r\n")
        << QStringLiteral("a\r\nb\r\nC\r\n") << Merged(QStringLiteral("A\r\nb\r\nC\r\n"));
    QTest::newRow("one side turned every line end into CR LF")
        << abc << QStringLiteral("A\nb\nc\nd\ne\n")
        << QString(abc).replace(QStringLiteral("\n"), QStringLiteral("\r\n")) << Merged();
    QTest::newRow("characters outside the BMP and NUL")
        << QStringLiteral("\U0001F600\nx\ny\n") + QChar(0)
        << QStringLiteral("\U0001F601\nx\ny\n") + QChar(0)
        << QStringLiteral("\U0001F600\nx\nz\n") + QChar(0)
        << Merged(QStringLiteral("\U0001F601\nx\nz\n") + QChar(0));
    QTest::newRow("10 MB, a line changed on each side")
        << lines(300000) << lines(300000, QStringLiteral("ours"), 10)
        << lines(300000, QStringLiteral("theirs"), 299990)
        << Merged(lines(300000, QStringLiteral("ours"), 10)
                      .replace(QStringLiteral("line 299990 of the minutes"),
                               QStringLiteral("theirs")));
}

void tst_TextMerge::threeWay() {
    QFETCH(QString, base);
    QFETCH(QString, ours);
    QFETCH(QString, theirs);
    QFETCH(Merged, merged);
    QCOMPARE(TextMerge::threeWay(base, ours, theirs), merged);
}

void tst_TextMerge::withAddedLines_data() {
    QTest::addColumn<QString>("note");
    QTest::addColumn<QString>("other");
    QTest::addColumn<Merged>("merged");
    const QString note = QStringLiteral("a\nb\nc\n");
    QTest::newRow("lines added here and there")
        << note << QStringLiteral("new\na\nb\nmore\nc\nend\n")
        << Merged(QStringLiteral("new\na\nb\nmore\nc\nend\n"));
    QTest::newRow("lines the note has and the copy lacks stay")
        << note << QStringLiteral("a\nc\nend\n") << Merged(QStringLiteral("a\nb\nc\nend\n"));
    QTest::newRow("a line changed") << note << QStringLiteral("a\nB\nc\n") << Merged();
    QTest::newRow("the same") << note << note << Merged(note);
}

void tst_TextMerge::withAddedLines() {
    QFETCH(QString, note);
    QFETCH(QString, other);
    QFETCH(Merged, merged);
    QCOMPARE(TextMerge::withAddedLines(note, other), merged);
}

void tst_TextMerge::changesRebuildTheNewText() {
    // Random line edits, with CR, CR LF, no final line feed and characters outside the BMP.
    const QStringList pieces = {QStringLiteral("x\n"), QStringLiteral("\r\n"),
                                QStringLiteral("y"),   QStringLiteral("\U0001F600\n"),
                                QStringLiteral("\r"),  QStringLiteral("\n")};
    QRandomGenerator random(99);
    for (int trial = 0; trial < 500; ++trial) {
        QString before, after;
        for (int i = random.bounded(12); i > 0; --i)
            before += pieces[random.bounded(pieces.size())];
        after = before;
        for (int i = random.bounded(1, 4); i > 0; --i) {
            const qsizetype at = random.bounded(after.size() + 1);
            after.replace(at, random.bounded(std::min<qsizetype>(3, after.size() - at) + 1),
                          pieces[random.bounded(pieces.size())]);
        }
        QString rebuilt = before;
        for (const TextMerge::Change &c : TextMerge::changes(before, after))
            rebuilt.replace(c.position, c.removed, c.inserted);
        QCOMPARE(rebuilt, after);
    }
}

QTEST_GUILESS_MAIN(tst_TextMerge)
#include "tst_textmerge.moc"
