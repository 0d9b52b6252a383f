// SPDX-License-Identifier: MIT
// Runs on a real X server with a private session bus, where the toolkit talks AT-SPI.
#include "NoticeBar.h"

#include <QLabel>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;

class tst_NoticeBar : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup() { window_.reset(); }
    void heldNoticesStackUnderPassingOnes();
    void screenReadersHearEveryNotice();

private:
    QToolButton *dismiss() const { return bar_->findChild<QToolButton *>(u"dismissNotice"_s); }
    QPushButton *action() const { return bar_->findChild<QPushButton *>(u"noticeAction"_s); }

    std::unique_ptr<QWidget> window_;
    QLineEdit *editor_ = nullptr; // stands for the note, which has the keyboard
    NoticeBar *bar_ = nullptr;
};

void tst_NoticeBar::init() {
    window_ = std::make_unique<QWidget>();
    auto *layout = new QVBoxLayout(window_.get());
    bar_ = new NoticeBar;
    editor_ = new QLineEdit;
    layout->addWidget(bar_);
    layout->addWidget(editor_);
    window_->resize(400, 200);
    window_->show();
    window_->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(window_.get()));
    editor_->setFocus();
}

void tst_NoticeBar::heldNoticesStackUnderPassingOnes() {
    int shown = 0;
    bar_->hold(u"Kept a copy <i>x</i>"_s, u"Show Copy"_s, [&] { ++shown; });
    bar_->hold(u"Kept a second copy"_s, u"Show Second"_s, [&] { shown += 10; });
    const auto state = [this] {
        return bar_->text() + u'|' + (action()->isVisible() ? action()->text() : QString());
    };
    QCOMPARE(state(), u"Kept a second copy|Show Second"_s);
    bar_->findChild<QTimer *>()->setInterval(1); // "a while", without the wait
    bar_->inform(u"Saved again."_s);             // over the held ones, for a while
    QCOMPARE(state(), u"Saved again.|"_s);
    QTRY_COMPARE(state(), u"Kept a second copy|Show Second"_s);
    dismiss()->click();
    QCOMPARE(state(), u"Kept a copy <i>x</i>|Show Copy"_s);
    // Shown as written, not as markup: what the user selects and copies is the whole of it.
    auto *label = bar_->findChild<QLabel *>(u"noticeMessage"_s);
    label->setSelection(0, int(label->text().size()));
    QCOMPARE(label->selectedText(), u"Kept a copy <i>x</i>"_s);
    bar_->alert(u"Cannot save."_s); // a problem that lasts, until it is over
    bar_->alert(u"Cannot save still."_s);
    bar_->inform(u"Merged."_s);
    QTRY_COMPARE(state(), u"Cannot save still.|"_s);
    bar_->resolve(u"Saved again."_s);
    dismiss()->click();
    QCOMPARE(state(), u"Kept a copy <i>x</i>|Show Copy"_s);

    // The buttons answer a click and leave the keyboard where the user types; Tab reaches them.
    QTest::keyClicks(editor_, u"ab"_s);
    QTest::mouseClick(action(), Qt::LeftButton);
    QCOMPARE(shown, 1);
    QVERIFY(editor_->hasFocus());
    QTest::keyClick(editor_, Qt::Key_Tab, Qt::ShiftModifier);
    QCOMPARE(QApplication::focusWidget(), dismiss());
    QTest::keyClick(dismiss(), Qt::Key_Tab, Qt::ShiftModifier);
    QTest::keyClick(action(), Qt::Key_Space);
    QCOMPARE(shown, 2);
    QVERIFY(!dismiss()->accessibleName().isEmpty() && !dismiss()->toolTip().isEmpty());
    QTest::mouseClick(dismiss(), Qt::LeftButton);
    QVERIFY(bar_->isHidden() && bar_->text().isEmpty());
}

void tst_NoticeBar::screenReadersHearEveryNotice() {
    // A listener on the accessibility bus, as a screen reader is; the bus is started on demand
    // on this test's private session bus.
    QProcess listener;
    listener.start(u"/usr/bin/python3"_s, {QFINDTESTDATA("atspi_listener.py")});
    QVERIFY2(listener.waitForReadyRead(20000), listener.readAllStandardError().constData());
    QCOMPARE(listener.readLine().trimmed(), QByteArray("ready"));
    QStringList heard;
    const auto hears = [&](const QString &message) {
        for (int i = 0; i < 100 && !heard.contains(u"notification|"_s + message); ++i) {
            QTest::qWait(50);
            while (listener.canReadLine())
                heard << QString::fromUtf8(listener.readLine().trimmed());
        }
        return heard.contains(u"notification|"_s + message);
    };
    // The toolkit learns of the listener a moment later; until then a notice goes unheard.
    const QString first = u"Another program changed the note; Undo takes it back."_s;
    for (int i = 0; i < 10 && !hears(first); ++i) {
        dismiss()->click();
        bar_->inform(first);
    }
    QVERIFY2(hears(first), qPrintable(heard.join(u'\n')));
    // A message that replaces one on show, and one that returns, are heard too.
    bar_->hold(u"A copy of the other version was kept."_s, u"Show Copy"_s, [] {});
    QVERIFY(hears(u"A copy of the other version was kept."_s));
    bar_->inform(u"The note is saved again."_s);
    QVERIFY(hears(u"The note is saved again."_s));
    heard.clear();
    dismiss()->click();
    QVERIFY(hears(u"A copy of the other version was kept."_s));
    listener.kill();
}

QTEST_MAIN(tst_NoticeBar)
#include "tst_noticebar.moc"
