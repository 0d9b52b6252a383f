// SPDX-License-Identifier: MIT
#include "ContentView.h"
#include "CountLabel.h"
#include "Fakes.h"
#include "Files.h"
#include "NoteEditor.h"
#include "Notemodel.h"
#include "SymbolButton.h"
#include "ToolbarView.h"

#include <QApplication>
#include <QIcon>
#include <QImage>
#include <QPainter>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;

class tst_ToolbarView : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void nothingIsClippedOrOverlapsAtAnyWidth_data();
    void nothingIsClippedOrOverlapsAtAnyWidth();
    void looksFollowMeetingModeWhoeverChangesIt();
    void buttonsAnswerTheMouseAndTheKeyboard();
    void symbolsAreSharpAndDistinct();
};

void tst_ToolbarView::nothingIsClippedOrOverlapsAtAnyWidth_data() {
    QTest::addColumn<int>("width");
    QTest::newRow("narrowest window") << 320;
    QTest::newRow("wide window") << 1200;
}

void tst_ToolbarView::nothingIsClippedOrOverlapsAtAnyWidth() {
    QFETCH(int, width);
    ModelFixture f;
    f.store.strings[NoteModel::saveKey] = u"x "_s.repeated(10000);
    auto model = f.make();
    ContentView view(*model);
    view.setCountVisible(true);
    view.resize(width, 420);
    view.show();
    QVERIFY(QTest::qWaitForWindowExposed(&view));
    view.editor()->selectAll(); // a long count beside the buttons
    auto *row = view.findChild<ToolbarView *>();
    const auto *count = row->findChild<CountLabel *>(u"count"_s);
    QTRY_COMPARE(count->text(), u"Selected words: 10,000, characters: 20,000"_s);
    QCOMPARE(row->geometry().bottomRight(), view.rect().bottomRight()); // along the bottom
    QList<QRect> shown;
    for (const char *name : {"count", "meetingButton", "exportButton"}) {
        const auto *part = row->findChild<QWidget *>(QLatin1String(name));
        QVERIFY(part->isVisible());
        shown << QRect(part->mapTo(row, QPoint()), part->size());
        QVERIFY2(row->rect().contains(shown.last()), name);
        if (qobject_cast<const SymbolButton *>(part))
            QCOMPARE(part->size(), part->sizeHint()); // never squeezed
    }
    for (qsizetype i = 0; i < shown.size(); ++i)
        for (qsizetype j = i + 1; j < shown.size(); ++j)
            QVERIFY(!shown[i].intersects(shown[j]));
    // The buttons at the trailing end, apart; the count before them, shortened if need be.
    QVERIFY(shown[0].right() < shown[1].left() && shown[1].right() < shown[2].left());
}

void tst_ToolbarView::looksFollowMeetingModeWhoeverChangesIt() {
    ModelFixture f;
    auto model = f.make();
    ToolbarView row(*model);
    auto *meeting = row.findChild<SymbolButton *>(u"meetingButton"_s);
    auto *exporter = row.findChild<SymbolButton *>(u"exportButton"_s);
    const auto look = [](SymbolButton *b) {
        return std::tuple(b->symbol(), b->toolTip(), b->accessibleName());
    };
    QCOMPARE(look(meeting),
             std::tuple(SymbolButton::Symbol::RecordCircle, u"Meeting Mode"_s, u"Meeting Mode"_s));
    QCOMPARE(look(exporter),
             std::tuple(SymbolButton::Symbol::ExportDocument, u"Export Note"_s, u"Export Note"_s));

    model->startMeetingMode(); // not through the toolbar
    QCoreApplication::processEvents();
    QCOMPARE(look(meeting), std::tuple(SymbolButton::Symbol::RecordCircleFill, u"End Meeting"_s,
                                       u"End Meeting"_s));

    model->clearNote();
    QCoreApplication::processEvents();
    QCOMPARE(look(meeting),
             std::tuple(SymbolButton::Symbol::RecordCircle, u"Meeting Mode"_s, u"Meeting Mode"_s));
}

void tst_ToolbarView::buttonsAnswerTheMouseAndTheKeyboard() {
    // The meeting button is clicked in the menu tests; the export button only here.
    ModelFixture f;
    auto model = f.make();
    ContentView view(*model);
    view.show();
    view.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&view));
    QTRY_VERIFY(view.editor()->hasFocus());
    model->startMeetingMode();
    auto *exporter = view.findChild<SymbolButton *>(u"exportButton"_s);
    QTest::mouseClick(exporter, Qt::LeftButton);
    QCOMPARE(f.dialogs.panels.size(), 1u);
    QVERIFY(model->isMeetingMode());
    QVERIFY(view.editor()->hasFocus()); // a click leaves the keyboard in the note
    // Tab is typed into the note; Ctrl+Tab goes on to the buttons, and back.
    QTest::keyClick(view.editor(), Qt::Key_Tab, Qt::ControlModifier);
    QCOMPARE(QApplication::focusWidget(), view.findChild<SymbolButton *>(u"meetingButton"_s));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    QCOMPARE(QApplication::focusWidget(), exporter);
    QTest::keyClick(exporter, Qt::Key_Space);
    QCOMPARE(f.dialogs.panels.size(), 2u);
    QTest::keyClick(exporter, Qt::Key_Backtab, Qt::ControlModifier | Qt::ShiftModifier);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Backtab, Qt::ShiftModifier);
    QCOMPARE(QApplication::focusWidget(), view.editor());
    QCOMPARE(model->text().count(u'\t'), 0);
}

void tst_ToolbarView::symbolsAreSharpAndDistinct() {
    // Drawn as shapes, not scaled bitmaps: at twice the pixel ratio the symbol has twice the
    // detail, and the on look differs from the off look.
    const auto render = [](SymbolButton::Symbol symbol, qreal ratio) {
        SymbolButton button(symbol);
        QImage image(QSize(28, 28) * ratio, QImage::Format_ARGB32_Premultiplied);
        image.setDevicePixelRatio(ratio);
        image.fill(Qt::white);
        button.render(&image);
        return image;
    };
    const QImage off = render(SymbolButton::Symbol::RecordCircle, 1);
    const QImage on = render(SymbolButton::Symbol::RecordCircleFill, 1);
    const QImage doc = render(SymbolButton::Symbol::ExportDocument, 1);
    QVERIFY(off != on && off != doc);
    const QImage sharp = render(SymbolButton::Symbol::RecordCircle, 2);
    QVERIFY(sharp != off.scaled(56, 56, Qt::IgnoreAspectRatio, Qt::FastTransformation));
    // The on look is red; the off look is not.
    const QColor centreOn = on.pixelColor(14, 14);
    const QColor centreOff = off.pixelColor(14, 14);
    QVERIFY(centreOn.red() > 200 && centreOn.green() < 120);
    QVERIFY(qAbs(centreOff.red() - centreOff.green()) < 30);

    // An icon theme's own symbol where it has one; the drawn one where it has not.
    QTemporaryDir themes;
    QDir(themes.path()).mkpath(u"test/16x16/actions"_s);
    writeFile(themes.filePath(u"test/index.theme"_s),
              "[Icon Theme]\nName=Test\nDirectories=16x16/actions\n[16x16/actions]\nSize=16\n");
    QImage green(16, 16, QImage::Format_ARGB32);
    green.fill(Qt::green);
    QVERIFY(green.save(themes.filePath(u"test/16x16/actions/document-export.png"_s)));
    QIcon::setThemeSearchPaths({themes.path()});
    QIcon::setThemeName(u"test"_s);
    QCOMPARE(render(SymbolButton::Symbol::ExportDocument, 1).pixelColor(14, 14), QColor(Qt::green));
    QCOMPARE(render(SymbolButton::Symbol::RecordCircle, 1), off);
    // A theme whose record symbol is a red dot: on and off still differ at a glance, in most
    // of the button.
    QImage dot(16, 16, QImage::Format_ARGB32);
    dot.fill(Qt::transparent);
    {
        QPainter paint(&dot);
        paint.setPen(Qt::NoPen);
        paint.setBrush(QColor(0xe0, 0x1b, 0x24));
        paint.drawEllipse(2, 2, 12, 12);
    }
    QVERIFY(dot.save(themes.filePath(u"test/16x16/actions/media-record.png"_s)));
    QIcon::setThemeName(QString());
    QIcon::setThemeName(u"test"_s);
    const QImage themedOff = render(SymbolButton::Symbol::RecordCircle, 1);
    const QImage themedOn = render(SymbolButton::Symbol::RecordCircleFill, 1);
    QVERIFY(themedOff != off);
    for (const QPoint inside : {QPoint(4, 14), QPoint(14, 4), QPoint(23, 23)}) // beyond the dot
        QVERIFY(themedOn.pixelColor(inside).green() < 100 &&
                themedOff.pixelColor(inside).green() > 200);
    QIcon::setThemeName(QString());
}

QTEST_MAIN(tst_ToolbarView)
#include "tst_toolbarview.moc"
