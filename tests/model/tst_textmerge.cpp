// SPDX-License-Identifier: MIT
#include "TextMerge.h"

#include <QRandomGenerator>
#include <QTest>

using namespace Qt::StringLiterals;

using Merged = std::optional<QString>;
Q_DECLARE_METATYPE(Merged)

namespace {

QString lines(int count, const QString &changed = QString(), int at = -1) {
    QString text;
    for (int i = 0; i < count; ++i)
        text += (i == at ? changed : u"line %1 of the minutes"_s.arg(i)) + u'\n';
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
    const QString abc = u"a\nb\nc\nd\ne\n"_s;
    QTest::newRow("disjoint lines")
        << abc << u"A\nb\nc\nd\ne\n"_s << u"a\nb\nc\nd\nE\n"_s << Merged(u"A\nb\nc\nd\nE\n"_s);
    QTest::newRow("the same edit on both sides")
        << abc << u"a\nb\nX\nd\ne\n"_s << u"a\nb\nX\nd\ne\n"_s << Merged(u"a\nb\nX\nd\ne\n"_s);
    QTest::newRow("overlapping edits")
        << abc << u"a\nb\nmine\nd\ne\n"_s << u"a\nb\ntheirs\nd\ne\n"_s << Merged();
    QTest::newRow("neighbouring lines, and a line after a last one without its break")
        << u"a\nb\nc"_s << u"a\nB\nc"_s << u"a\nb\nC\nd"_s << Merged(u"a\nB\nC\nd"_s);
    QTest::newRow("one side emptied, the other untouched")
        << abc << QString() << abc << Merged(QString());
    QTest::newRow("both began from nothing")
        << QString() << u"mine\n"_s << u"theirs\n"_s << Merged();
    // Both machines must reach the same note, whichever merges: the swapped rows agree.
    for (const auto &[name, mine, theirs, merged] :
         {std::tuple{"lines added at the same place", u"m\n"_s, u"t1\nt2\n"_s, u"m\nt1\nt2\n"_s},
          std::tuple{"a last line without its break goes last", u"m"_s, u"t\n"_s, u"t\nm"_s}}) {
        const QString base = u"a\nb\n"_s;
        QTest::newRow(name) << base << base + mine << base + theirs << Merged(base + merged);
        QTest::newRow(qPrintable(u"swapped: "_s + QLatin1String(name)))
            << base << base + theirs << base + mine << Merged(base + merged);
    }
    QTest::newRow("CR LF kept on both sides")
        << u"a\r\nb\r\nc\r\n"_s << u"A\r\nb\r\nc\r\n"_s << u"a\r\nb\r\nC\r\n"_s
        << Merged(u"A\r\nb\r\nC\r\n"_s);
    QTest::newRow("one side turned every line end into CR LF")
        << abc << u"A\nb\nc\nd\ne\n"_s << QString(abc).replace(u"\n"_s, u"\r\n"_s) << Merged();
    QTest::newRow("characters outside the BMP and NUL")
        << u"\U0001F600\nx\ny\n"_s + QChar(0) << u"\U0001F601\nx\ny\n"_s + QChar(0)
        << u"\U0001F600\nx\nz\n"_s + QChar(0) << Merged(u"\U0001F601\nx\nz\n"_s + QChar(0));
    QTest::newRow("10 MB, a line changed on each side")
        << lines(300000) << lines(300000, u"ours"_s, 10) << lines(300000, u"theirs"_s, 299990)
        << Merged(
               lines(300000, u"ours"_s, 10).replace(u"line 299990 of the minutes"_s, u"theirs"_s));
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
    const QString note = u"a\nb\nc\n"_s;
    QTest::newRow("lines added here and there")
        << note << u"new\na\nb\nmore\nc\nend\n"_s << Merged(u"new\na\nb\nmore\nc\nend\n"_s);
    QTest::newRow("lines the note has and the copy lacks stay")
        << note << u"a\nc\nend\n"_s << Merged(u"a\nb\nc\nend\n"_s);
    QTest::newRow("a line changed") << note << u"a\nB\nc\n"_s << Merged();
    QTest::newRow("after a last line without its break")
        << u"a\nseven"_s << u"a\nseven\neight"_s << Merged(u"a\nseven\neight"_s);
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
    const QStringList pieces = {u"x\n"_s, u"\r\n"_s, u"y"_s, u"\U0001F600\n"_s, u"\r"_s, u"\n"_s};
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
