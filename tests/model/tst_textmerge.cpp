// SPDX-License-Identifier: MIT
#include "Seeds.h"
#include "TextMerge.h"

#include <QRandomGenerator>
#include <QSet>
#include <QTest>

#include <numeric>

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

// Random line edits of one note on two sides, every line a token of its own, so that where each
// line of a merge came from can be told.
struct Case {
    QStringList base, ours, theirs;
    bool baseEnds = true, oursEnds = true, theirsEnds = true; // the last line has its break
    QSet<QString> touched[3]; // base lines changed or taken out: by ours, by theirs, by both
    bool sharedLinesChanged = false;

    static QString join(const QStringList &lines, bool ends) {
        return lines.join(u'\n') + (ends && !lines.isEmpty() ? u"\n"_s : QString());
    }
};

void edit(QRandomGenerator &random, QStringList &lines, const QString &name, int &next,
          QSet<QString> &touched, bool *changedBaseLine) {
    const int kind = random.bounded(lines.isEmpty() ? 1 : 3);
    const int at = random.bounded(int(lines.size()) + (kind == 0 ? 1 : 0));
    const QString token = name + QString::number(next++);
    if (kind != 0) {
        touched.insert(lines[at]);
        if (changedBaseLine)
            *changedBaseLine = true;
    }
    if (kind == 0)
        lines.insert(at, token);
    else if (kind == 1)
        lines.removeAt(at);
    else
        lines[at] = token;
}

Case randomCase(quint32 seed) {
    QRandomGenerator random(seed);
    Case c;
    for (int i = random.bounded(10); i > 0; --i)
        c.base << u"b"_s + QString::number(i);
    c.baseEnds = random.bounded(4) != 0;
    int next = 0;
    QStringList shared = c.base; // what both sides did alike, as from a base too old
    for (int i = random.bounded(3); i > 0; --i)
        edit(random, shared, u"s"_s, next, c.touched[2], &c.sharedLinesChanged);
    c.ours = shared;
    c.theirs = shared;
    for (int i = random.bounded(4); i > 0; --i)
        edit(random, c.ours, u"o"_s, next, c.touched[0], nullptr);
    for (int i = random.bounded(4); i > 0; --i)
        edit(random, c.theirs, u"t"_s, next, c.touched[1], nullptr);
    c.oursEnds = random.bounded(4) != 0 || c.ours.isEmpty();
    c.theirsEnds = random.bounded(4) != 0 || c.theirs.isEmpty();
    if (c.ours == c.base && c.oursEnds != c.baseEnds)
        c.oursEnds = c.baseEnds; // no edit but the last line break: not worth a case
    if (c.theirs == c.base && c.theirsEnds != c.baseEnds)
        c.theirsEnds = c.baseEnds;
    return c;
}

// Why `merged` breaks a promise of the merge, or nothing.
QString brokenPromise(const Case &c, const std::optional<QString> &merged,
                      const std::optional<QString> &swapped) {
    if (merged != swapped)
        return u"the result depends on which side is ours"_s;
    const bool disjoint = !c.touched[0].intersects(c.touched[1]) && !c.sharedLinesChanged;
    if (!merged)
        return disjoint && !c.base.isEmpty() ? u"edits of different lines did not merge"_s
                                             : QString();
    QStringList lines = merged->split(u'\n');
    if (merged->endsWith(u'\n') || merged->isEmpty())
        lines.removeLast();
    const QSet<QString> base(c.base.begin(), c.base.end()), ours(c.ours.begin(), c.ours.end()),
        theirs(c.theirs.begin(), c.theirs.end());
    QSet<QString> seen;
    for (const QString &line : lines) {
        if (!base.contains(line) && !ours.contains(line) && !theirs.contains(line))
            return u"a line glued or made up: "_s + line;
        if (seen.contains(line))
            return u"a line twice: "_s + line;
        seen.insert(line);
    }
    for (const QString &line : ours + theirs)
        if (!base.contains(line) && !seen.contains(line))
            return u"an added line lost: "_s + line;
    for (const QString &line : base)
        if (seen.contains(line) != (ours.contains(line) && theirs.contains(line)))
            return u"a line both left alone is gone, or one taken out is back: "_s + line;
    for (const QStringList &side : {c.ours, c.theirs}) {
        QStringList order;
        for (const QString &line : lines)
            if (side.contains(line))
                order << line;
        QStringList kept = side;
        kept.removeIf([&seen](const QString &line) { return !seen.contains(line); });
        if (order != kept)
            return u"a side's lines out of their order"_s;
    }
    if (!merged->isEmpty() && !merged->endsWith(u'\n') &&
        !(!c.oursEnds && !c.ours.isEmpty() && c.ours.last() == lines.last()) &&
        !(!c.theirsEnds && !c.theirs.isEmpty() && c.theirs.last() == lines.last()))
        return u"the last line lost its line break"_s;
    return QString();
}

} // namespace

class tst_TextMerge : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void threeWay_data();
    void threeWay();
    void randomEditsMergeWithoutLosingDoublingOrGluingLines();
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
    // After merges that each machine made its own way (ledger seed 3).
    QTest::newRow("lines both added, in another order")
        << u"a\n"_s << u"a\n3\n4\n"_s << u"a\n4\n3\n"_s << Merged(u"a\n3\n4\n"_s);
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

void tst_TextMerge::randomEditsMergeWithoutLosingDoublingOrGluingLines() {
    QList<quint32> fixed(4000);
    std::iota(fixed.begin(), fixed.end(), 1);
    int merged = 0;
    for (const quint32 seed : seedsToRun(fixed)) {
        const Case c = randomCase(seed);
        const QString base = Case::join(c.base, c.baseEnds), ours = Case::join(c.ours, c.oursEnds),
                      theirs = Case::join(c.theirs, c.theirsEnds);
        const auto result = TextMerge::threeWay(base, ours, theirs);
        merged += result ? 1 : 0;
        if (const QString broken =
                brokenPromise(c, result, TextMerge::threeWay(base, theirs, ours));
            !broken.isEmpty()) {
            reportFailingSeed(seed);
            const auto shown = [](QString text) {
                return text.replace(u'\n', u'|');
            };
            QFAIL(qPrintable(u"%1\nbase:   %2\nours:   %3\ntheirs: %4\nmerged: %5"_s.arg(
                broken, shown(base), shown(ours), shown(theirs),
                shown(result.value_or(u"(conflict)"_s)))));
        }
    }
    qInfo("%d of the cases merged", merged);
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
    // Ledger seed 3: each machine merged a line in at another place.
    QTest::newRow("a line the note has elsewhere, and a blank one")
        << u"a\nx\nb\nc\n"_s << u"a\nb\nc\nx\n\n"_s << Merged(u"a\nx\nb\nc\n\n"_s);
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
