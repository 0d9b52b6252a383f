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
    QCOMPARE(row->width(), width);
    QCOMPARE(row->height(), 42);
    QCOMPARE(row->y() + row->height(), view.height());
    QCOMPARE(meeting->size(), QSize(28, 28));
    QCOMPARE(exporter->size(), QSize(28, 28));
    const QRect m = meeting->geometry().translated(group->pos());
    const QRect e = exporter->geometry().translated(group->pos());
    QCOMPARE(e.left() - (m.right() + 1), 4);
    QCOMPARE(row->width() - (e.right() + 1), 12);
    QCOMPARE(m.top(), 7);
    QCOMPARE(group->width(), 84);
}

void tst_ToolbarView::looksFollowMeetingModeWhoeverChangesIt() {
    ModelFixture f;
    auto model = f.make();
    ToolbarView row(*model);
    auto *meeting = row.findChild<SymbolButton *>(u"meetingButton"_s);
    auto *exporter = row.findChild<SymbolButton *>(u"exportButton"_s);
    QCOMPARE(meeting->symbol(), SymbolButton::Symbol::RecordCircle);
    QCOMPARE(meeting->toolTip(), u"Meeting Mode"_s);
    QCOMPARE(meeting->accessibleName(), u"Meeting Mode"_s);
    QCOMPARE(exporter->toolTip(), u"Export Note"_s);
    QCOMPARE(exporter->accessibleName(), u"Export Note"_s);

    model->startMeetingMode(); // not through the toolbar
    QCoreApplication::processEvents();
    QCOMPARE(meeting->symbol(), SymbolButton::Symbol::RecordCircleFill);
    QCOMPARE(meeting->toolTip(), u"End Meeting"_s);
    QCOMPARE(meeting->accessibleName(), u"End Meeting"_s);

    model->clearNote();
    QCoreApplication::processEvents();
    QCOMPARE(meeting->symbol(), SymbolButton::Symbol::RecordCircle);
    QCOMPARE(meeting->toolTip(), u"Meeting Mode"_s);
}

void tst_ToolbarView::buttonsActOnTheModel() {
    ModelFixture f;
    f.store.strings[NoteModel::saveKey] = u"agenda"_s;
    auto model = f.make();
    ToolbarView row(*model);
    auto *meeting = row.findChild<SymbolButton *>(u"meetingButton"_s);
    auto *exporter = row.findChild<SymbolButton *>(u"exportButton"_s);
    meeting->click(); // content: only a request
    QVERIFY(model->meetingConfirmRequested() && !model->isMeetingMode());
    model->startMeetingMode();
    exporter->click();
    meeting->click(); // on: ends at once, text untouched
    QVERIFY(!model->isMeetingMode());
    QCOMPARE(model->text(), u"2024 03 07, 09:05\n\n"_s);
    exporter->click();
    QCOMPARE(f.dialogs.panels.size(), 2u);
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
    QVERIFY(off != on);
    QVERIFY(off != doc);
    const QImage sharp = render(SymbolButton::Symbol::RecordCircle, 2);
    QCOMPARE(sharp.size(), QSize(56, 56));
    QVERIFY(sharp != off.scaled(56, 56, Qt::IgnoreAspectRatio, Qt::FastTransformation));
    // The on look is red; the off look is not.
    const QColor centreOn = on.pixelColor(14, 14);
    const QColor centreOff = off.pixelColor(14, 14);
    QVERIFY(centreOn.red() > 200 && centreOn.green() < 120);
    QVERIFY(qAbs(centreOff.red() - centreOff.green()) < 30);
}

QTEST_MAIN(tst_ToolbarView)
#include "tst_toolbarview.moc"
