// SPDX-License-Identifier: MIT
#include "TextCounts.h"

#include <QRandomGenerator>
#include <QRegularExpression>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {

// The plain twin: words as `wc -w` splits them, characters as code points.
TextCounts::Counts oracle(QStringView text) {
    static const QRegularExpression space(u"\\s+"_s,
                                          QRegularExpression::UseUnicodePropertiesOption);
    return {text.toString().split(space, Qt::SkipEmptyParts).size(),
            qsizetype(text.toUcs4().size())};
}

} // namespace

class tst_TextCounts : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void randomEditsKeepTheCountsOfTheTextAndItsRanges();
};

void tst_TextCounts::randomEditsKeepTheCountsOfTheTextAndItsRanges() {
    // Edits of every size at every place, in text of words, runs of white space of every
    // kind and characters outside the BMP, across the blocks it is counted in.
    const QStringList pieces = {u"word"_s, u" "_s,  u"\n"_s,         u"\t "_s,   u"\u00A0"_s,
                                u"x"_s,    u"ab"_s, u"\U0001F600"_s, u"\u2029"_s};
    QRandomGenerator random(7);
    const auto someText = [&](int pieceCount) {
        QString text;
        for (int i = 0; i < pieceCount; ++i)
            text += pieces[random.bounded(pieces.size())];
        return text;
    };
    QString text = someText(6000);
    TextCounts counts;
    counts.reset(text);
    // A fresh text is counted in blocks of 4096: an edit that ends where one begins may begin
    // or end the word there. From the last, so that the earlier ones stay where they are.
    for (qsizetype boundary = text.size() / 4096 * 4096; boundary > 0; boundary -= 4096) {
        if (text[boundary - 1].isSurrogate())
            continue;
        text[boundary - 1] = text[boundary - 1].isSpace() ? u'x' : u' ';
        counts.replaced(text, boundary - 1, 1, 1);
        QCOMPARE(counts.total(), oracle(text));
    }
    for (int edit = 0; edit < 400; ++edit) {
        const qsizetype position = random.bounded(text.size() + 1);
        qsizetype removed =
            random.bounded(std::min<qsizetype>(text.size() - position, edit % 10 ? 3 : 9000) + 1);
        // Never inside a surrogate pair, as no edit of the note is.
        if (position > 0 && text[position].isLowSurrogate())
            continue;
        if (position + removed < text.size() && text[position + removed].isLowSurrogate())
            ++removed;
        const QString inserted = someText(edit % 7 ? random.bounded(3) : 2000);
        text.replace(position, removed, inserted);
        counts.replaced(text, position, removed, inserted.size());
        QCOMPARE(counts.total(), oracle(text));
        // A range that starts or ends where a block of the count does, often inside a word.
        qsizetype from = edit % 3 ? random.bounded(text.size() + 1)
                                  : std::min(text.size(), random.bounded(3) * qsizetype(4096));
        qsizetype to = edit % 5 ? from + random.bounded(text.size() - from + 1)
                                : std::clamp(from + 4096, from, text.size());
        for (qsizetype *end : {&from, &to})
            if (*end > 0 && *end < text.size() && text[*end].isLowSurrogate())
                --*end;
        QCOMPARE(counts.range(text, from, to), oracle(QStringView(text).sliced(from, to - from)));
    }
}

QTEST_GUILESS_MAIN(tst_TextCounts)
#include "tst_textcounts.moc"
