// SPDX-License-Identifier: MIT
#include "Files.h"
#include "NoteFont.h"
#include "NotePreview.h"
#include "NotePrinter.h"

#include <QFontMetricsF>
#include <QImage>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {

struct Word {
    QString text;
    QRectF box; // points, from the top left of the page
};

// Every word of every page, as poppler reads it back from the PDF.
QList<QList<Word>> wordsByPage(const QString &pdf) {
    static const QRegularExpression word(QStringLiteral(
        R"re(<word xMin="([\d.]+)" yMin="([\d.]+)" xMax="([\d.]+)" yMax="([\d.]+)">([^<]*)</word>)re"));
    QList<QList<Word>> pages;
    QByteArray html;
    if (runProgram(u"pdftotext"_s, {u"-bbox"_s, pdf, u"-"_s}, &html) != 0)
        qFatal("pdftotext failed: %s", html.constData());
    for (const QString &page : QString::fromUtf8(html).split(u"<page "_s).mid(1)) {
        QList<Word> words;
        for (const auto &m : word.globalMatch(page)) {
            const QPointF topLeft(m.captured(1).toDouble(), m.captured(2).toDouble());
            const QPointF bottomRight(m.captured(3).toDouble(), m.captured(4).toDouble());
            words.append({m.captured(5), QRectF(topLeft, bottomRight)});
        }
        pages.append(words);
    }
    return pages;
}

} // namespace

class tst_NotePrinter : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init();
    void printsTheNoteInTheFixedLayout();
    void longNoteRunsToSeveralPagesAndLongLinesWrap();
    void printsWhatTheEditorShows();
    void previewShowsItsFirstPageAndThenAllThatPrints();

private:
    void print(const QString &note, double fontSize = 13.0);

    QTemporaryDir dir_;
    QString pdf_;
    std::unique_ptr<NotePrinter> printer_;
};

void tst_NotePrinter::init() {
    pdf_ = dir_.filePath(u"%1.pdf"_s.arg(QLatin1String(QTest::currentTestFunction())));
    printer_ = std::make_unique<NotePrinter>();
    // The print panel, answered as a user who prints to a PDF file on US Letter paper.
    printer_->askToPrint = [this](QPrinter &printer, QWidget *) {
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(pdf_);
        printer.setPageSize(QPageSize(QPageSize::Letter));
        return true;
    };
}

void tst_NotePrinter::print(const QString &note, double fontSize) {
    printer_->print(note, fontSize, nullptr);
}

void tst_NotePrinter::printsTheNoteInTheFixedLayout() {
    const double size = 20.0;
    print(u"Minutes of the day\nxxxxxxxxxx\niiiiiiiiii"_s, size);
    const auto pages = wordsByPage(pdf_);
    QCOMPARE(pages.size(), 1);
    const QList<Word> &words = pages[0];
    QStringList texts;
    for (const Word &w : words)
        texts << w.text;
    QCOMPARE(texts, (QStringList{u"Minutes"_s, u"of"_s, u"the"_s, u"day"_s, u"xxxxxxxxxx"_s,
                                 u"iiiiiiiiii"_s}));

    // Monospaced: ten narrow letters take the room of ten wide ones.
    QCOMPARE(qRound(words[4].box.width() * 10), qRound(words[5].box.width() * 10));
    // At the model's size, scaled like the 540-point layout onto the 504 printable points.
    QImage pointDevice(1, 1, QImage::Format_Mono);
    pointDevice.setDotsPerMeterX(qRound(72 / 0.0254));
    pointDevice.setDotsPerMeterY(qRound(72 / 0.0254));
    const qreal expected =
        QFontMetricsF(noteFont(size), &pointDevice).horizontalAdvance(u"xxxxxxxxxx"_s) * 504.0 /
        540.0;
    QVERIFY2(qAbs(words[4].box.width() - expected) < expected * 0.02,
             qPrintable(u"%1 vs %2"_s.arg(words[4].box.width()).arg(expected)));

    // The text starts at the margins: 54 points from the left, 36 from the top. The glyphs'
    // own side bearing and the font's line gap above the first line sit inside that.
    const Word &first = words[0];
    QVERIFY2(first.box.left() >= 54.0 && first.box.left() < 56.0,
             qPrintable(QString::number(first.box.left())));
    QVERIFY2(first.box.top() >= 35.5 && first.box.top() < 40.0,
             qPrintable(QString::number(first.box.top())));
}

void tst_NotePrinter::longNoteRunsToSeveralPagesAndLongLinesWrap() {
    QString note;
    for (int i = 1; i <= 120; ++i)
        note += u"line%1\n"_s.arg(i);
    const QString longWord(150, u'w');
    note += longWord;
    print(note);
    const auto pages = wordsByPage(pdf_);
    QVERIFY2(pages.size() >= 3, qPrintable(QString::number(pages.size())));

    QString lastPage;
    for (const Word &w : pages.last()) {
        QVERIFY2(w.box.right() <= 612.0 - 54.0 + 0.5, qPrintable(QString::number(w.box.right())));
        QVERIFY(w.box.bottom() <= 792.0 - 36.0 + 0.5);
        lastPage += w.text;
    }
    // The long word is broken onto several lines, every letter kept.
    QVERIFY(lastPage.endsWith(longWord));
    int wrapped = 0;
    for (const Word &w : pages.last())
        wrapped += w.text.startsWith(u'w');
    QVERIFY(wrapped >= 2);
    int lines = 0;
    for (const auto &page : pages)
        for (const Word &w : page)
            lines += w.text.startsWith(u"line"_s);
    QCOMPARE(lines, 120);
}

void tst_NotePrinter::printsWhatTheEditorShows() {
    // The characters the editor stands in for print as its symbols, and noncharacters as the
    // boxes it shows, each a character wide on the same line: none is a line break, none is
    // left out. The monospaced font has no symbol for CR: a box too, which has no text.
    print(u"cr\rpara\u2029frame\uFDD0\uFDD1none\uFFFE\uFFFFend"_s);
    const auto pages = wordsByPage(pdf_);
    QCOMPARE(pages.size(), 1);
    QStringList texts;
    for (const Word &w : pages[0])
        texts << w.text;
    QCOMPARE(texts, (QStringList{u"cr"_s, u"para\u00B6frame\uFFFD\uFFFDnone"_s, u"end"_s}));
    const QList<Word> &words = pages[0];
    const qreal cell = words[0].box.width() / 2;
    for (const int i : {1, 2}) {
        QCOMPARE(words[i].box.top(), words[0].box.top());
        QVERIFY(qAbs(words[i].box.left() - words[i - 1].box.right() - i * cell) < 0.2);
    }
}

void tst_NotePrinter::previewShowsItsFirstPageAndThenAllThatPrints() {
    QString note;
    for (int i = 1; i <= 3000; ++i)
        note += u"line %1 of the minutes\n"_s.arg(i);
    print(note, 17.0);
    const qsizetype printed = wordsByPage(pdf_).size();
    bool firstBeforeTheRest = false;
    int previewed = 0;
    printer_->showPreview = [&](QDialog &dialog) {
        auto &preview = static_cast<NotePreview &>(dialog);
        dialog.grab(); // drawn once, before a turn of the event loop lays out more
        firstBeforeTheRest = preview.hasShownAPage() && !preview.isComplete();
        QTRY_VERIFY(preview.isComplete());
        previewed = preview.knownPages();
    };
    printer_->preview(note, 17.0, nullptr);
    QVERIFY(firstBeforeTheRest);
    QCOMPARE(previewed, printed);
}

QTEST_MAIN(tst_NotePrinter)
#include "tst_noteprinter.moc"
