// SPDX-License-Identifier: MIT
#include "ContentView.h"
#include "Fakes.h"
#include "Notemodel.h"
#include "SymbolButton.h"
#include "ToolbarView.h"

#include <QImage>
#include <QTest>

using namespace Qt::StringLiterals;

class tst_ToolbarView : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void geometryHoldsAtAnyWidth_data();
    void geometryHoldsAtAnyWidth();
    void looksFollowMeetingModeWhoeverChangesIt();
    void buttonsActOnTheModel();
    void symbolsAreSharpAndDistinct();
};

void tst_ToolbarView::geometryHoldsAtAnyWidth_data() {
    QTest::addColumn<int>("width");
    QTest::newRow("narrowest window") << 320;
    QTest::newRow("wide window") << 1200;
}

void tst_ToolbarView::geometryHoldsAtAnyWidth() {
    QFETCH(int, width);
    ModelFixture f;
    auto model = f.make();
    ContentView view(*model);
    view.resize(width, 420);
    view.show();
    QVERIFY(QTest::qWaitForWindowExposed(&view));
    auto *row = view.findChild<ToolbarView *>();
    QVERIFY(row);
    const auto *meeting = row->findChild<QWidget *>(u"meetingButton"_s);
    const auto *exporter = row->findChild<QWidget *>(u"exportButton"_s);
    const auto *group = row->findChild<QWidget *>(u"toolbarButtons"_s);
    const QRect m = meeting->geometry().translated(group->pos());
    const QRect e = exporter->geometry().translated(group->pos());
    // Row size and place, buttons' size, the gap, the trailing margin, the padding, the group.
    QCOMPARE((QList<int>{row->width(), row->height(), view.height() - row->y(), m.width(),
                         m.height(), e.width(), e.height(), e.left() - m.right() - 1,
                         row->width() - e.right() - 1, m.top(), group->width()}),
             (QList<int>{width, 42, 42, 28, 28, 28, 28, 4, 12, 7, 84}));
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

void tst_ToolbarView::buttonsActOnTheModel() {
    // The meeting button is clicked in the menu tests; the export button only here.
    ModelFixture f;
    auto model = f.make();
    ToolbarView row(*model);
    model->startMeetingMode();
    row.findChild<SymbolButton *>(u"exportButton"_s)->click();
    QCOMPARE(f.dialogs.panels.size(), 1u);
    QVERIFY(model->isMeetingMode());
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
}

QTEST_MAIN(tst_ToolbarView)
#include "tst_toolbarview.moc"
