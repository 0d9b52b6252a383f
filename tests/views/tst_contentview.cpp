// SPDX-License-Identifier: MIT
#include "ContentView.h"
#include "CountLabel.h"
#include "Fakes.h"
#include "NoteEditor.h"
#include "NoteFont.h"
#include "Notemodel.h"
#include "ToolbarView.h"

#include <QAccessible>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>

using namespace Qt::StringLiterals;

class tst_ContentView : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void cleanup();
    void confirmationsAskOnlyForContent_data();
    void confirmationsAskOnlyForContent();
    void emptiedTextBringsTheFocusBack();
    void unchangedOrEarlierValuesFireNoHandler();
    void hidingTheToolbarKeepsTheDivider();
    void noteIsMonospacedEvenWhenTheThemeSaysOtherwise();

private:
    void show(const QString &note);
    QMessageBox *dialog() const;
    // What the button says to the user and to a screen reader, mnemonic markers taken out.
    static QString spoken(QAbstractButton *button) {
        return QAccessible::queryAccessibleInterface(button)->text(QAccessible::Name);
    }

    ModelFixture f_;
    std::unique_ptr<NoteModel> model_;
    std::unique_ptr<ContentView> view_;
};

void tst_ContentView::cleanup() {
    view_.reset();
    model_.reset();
}

void tst_ContentView::show(const QString &note) {
    f_.store.strings[NoteModel::saveKey] = note;
    model_ = f_.make();
    view_ = std::make_unique<ContentView>(*model_);
    view_->resize(420, 420);
    view_->show();
    view_->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(view_.get()));
    QTRY_VERIFY(view_->editor()->hasFocus());
    QTest::qWait(60); // the focus step after appearance has run
}

QMessageBox *tst_ContentView::dialog() const {
    const auto boxes = view_->findChildren<QMessageBox *>();
    return boxes.size() == 1 && boxes[0]->isVisible() ? boxes[0] : nullptr;
}

void tst_ContentView::confirmationsAskOnlyForContent_data() {
    QTest::addColumn<bool>("clear");
    QTest::addColumn<QString>("note");
    QTest::addColumn<QString>("title");
    QTest::addColumn<QString>("message");
    QTest::addColumn<QString>("confirm");
    QTest::addColumn<QString>("after");
    const QString clearTitle = u"Clear the current note?"_s;
    const QString clearMessage = u"This will permanently delete all content in the current note."_s;
    const QString meetingTitle = u"Start Meeting Mode?"_s;
    const QString meetingMessage = u"The current note will be replaced with a new meeting note."_s;
    const QString header = u"2024 03 07, 09:05\n\n"_s;
    QTest::newRow("clear, blank") << true << u" \t\n \n"_s << QString() << QString() << QString()
                                  << QString();
    QTest::newRow("clear, content")
        << true << u"keep me"_s << clearTitle << clearMessage << u"Clear Note"_s << QString();
    QTest::newRow("meeting, blank")
        << false << u"\n  "_s << QString() << QString() << QString() << header;
    QTest::newRow("meeting, content") << false << u"keep me"_s << meetingTitle << meetingMessage
                                      << u"Clear & Start Meeting"_s << header;
}

void tst_ContentView::confirmationsAskOnlyForContent() {
    QFETCH(bool, clear);
    QFETCH(QString, note);
    QFETCH(QString, title);
    QFETCH(QString, message);
    QFETCH(QString, confirm);
    QFETCH(QString, after);
    show(note);
    const auto request = [&] {
        clear ? model_->setClearRequested(true) : model_->toggleMeetingMode();
        QCoreApplication::processEvents();
    };
    request();
    if (title.isEmpty()) { // blank: done at once
        QVERIFY(!dialog());
        QCOMPARE(model_->text(), after);
        return;
    }
    QMessageBox *box = dialog();
    QVERIFY(box);
    QVERIFY(clear ? view_->showClearConfirm() : view_->showMeetingConfirm());
    QCOMPARE(box->text(), title);
    QCOMPARE(box->informativeText(), message);
    QCOMPARE(box->windowModality(), Qt::WindowModal);
    QCOMPARE(box->buttons().size(), 2);
    QPushButton *yes = nullptr, *cancel = nullptr;
    for (QAbstractButton *b : box->buttons())
        (box->buttonRole(b) == QMessageBox::DestructiveRole ? yes : cancel) =
            qobject_cast<QPushButton *>(b);
    QCOMPARE(spoken(yes), confirm);
    QCOMPARE(spoken(cancel), u"Cancel"_s);
    QCOMPARE(box->defaultButton(), cancel); // a stray Return keeps the note
    request();                              // a second request while it is open
    QCOMPARE(view_->findChildren<QMessageBox *>().size(), 1);
    cancel->click();
    QCoreApplication::processEvents();
    QVERIFY(!dialog() && !view_->showClearConfirm() && !view_->showMeetingConfirm());
    QVERIFY(!model_->clearRequested() && !model_->meetingConfirmRequested());
    QCOMPARE(model_->text(), note);

    request(); // it asks again, and this time the user confirms
    view_->editor()->clearFocus();
    for (QAbstractButton *b : dialog()->buttons())
        if (dialog()->buttonRole(b) == QMessageBox::DestructiveRole)
            b->click();
    QCoreApplication::processEvents();
    QCOMPARE(model_->text(), after);
    QCOMPARE(model_->isMeetingMode(), !clear);
    QTRY_COMPARE(view_->focusWidget(), view_->editor());
}

void tst_ContentView::emptiedTextBringsTheFocusBack() {
    show(u"some text"_s);
    view_->editor()->clearFocus();
    view_->editor()->selectAll();
    view_->editor()->textCursor().removeSelectedText();
    QCoreApplication::processEvents();
    QCOMPARE(model_->text(), QString());
    QTRY_VERIFY(view_->editor()->hasFocus());
}

void tst_ContentView::unchangedOrEarlierValuesFireNoHandler() {
    f_.store.strings[NoteModel::saveKey] = u"content"_s;
    model_ = f_.make();
    model_->setClearRequested(true); // raised before the view appears: no change for it
    view_ = std::make_unique<ContentView>(*model_);
    view_->show();
    QVERIFY(QTest::qWaitForWindowExposed(view_.get()));
    QTest::qWait(80);
    QVERIFY(view_->findChildren<QMessageBox *>().isEmpty());
    view_->editor()->clearFocus();
    model_->setText(u"content"_s); // announced, but nothing changed
    model_->setClearRequested(true);
    QTest::qWait(80);
    QVERIFY(view_->findChildren<QMessageBox *>().isEmpty());
    QVERIFY(!view_->editor()->hasFocus());
}

void tst_ContentView::hidingTheToolbarKeepsTheDivider() {
    show(u"some text"_s);
    QWidget *divider = view_->findChild<QWidget *>(u"divider"_s);
    auto *count = view_->findChild<CountLabel *>(u"count"_s);
    const int line = divider->height();
    // Top to bottom, the note, the divider and the row below it, none over another.
    const auto stacked = [&](const QList<QWidget *> &parts) {
        int top = 0;
        for (QWidget *part : parts) {
            const QRect r(part->mapTo(view_.get(), QPoint()), part->size());
            if (r.top() < top || !view_->rect().contains(r))
                return false;
            top = r.bottom() + 1;
        }
        return top == view_->height();
    };
    QVERIFY(stacked({view_->editor(), divider, view_->findChild<ToolbarView *>()}));
    const int editorHeight = view_->editor()->height();
    model_->setToolbarVisible(false);
    QTRY_VERIFY(!view_->findChild<ToolbarView *>());
    QTRY_VERIFY(stacked({view_->editor(), divider}));
    QCOMPARE(divider->height(), line);
    QVERIFY(view_->editor()->height() > editorHeight); // the room goes to the note

    // The count of words and characters, of the note or of the selection, in a row of its
    // own while there is no toolbar to hold it.
    view_->setCountVisible(true);
    QTRY_COMPARE(count->text(), u"Words: 2, characters: 9"_s);
    QTRY_VERIFY(stacked({view_->editor(), divider, count}));
    view_->editor()->selectRange(0, 4);
    QTRY_COMPARE(count->text(), u"Selected words: 1, characters: 4"_s);
    view_->editor()->moveCursor(QTextCursor::End);
    QTest::keyClicks(view_->editor(), u" ab"_s);
    QTRY_COMPARE(count->text(), u"Words: 3, characters: 12"_s);
    model_->setToolbarVisible(true);
    QTRY_VERIFY(count->isVisible() && count->parent() == view_->findChild<ToolbarView *>());
    view_->setCountVisible(false);
    QVERIFY(!count->isVisible());
}

void tst_ContentView::noteIsMonospacedEvenWhenTheThemeSaysOtherwise() {
    show(QString());
    model_->increaseFontSize();
    QCoreApplication::processEvents();
    const auto monospaced = [](const QFont &font) {
        const QFontMetricsF metrics(font);
        return metrics.horizontalAdvance(u'i') == metrics.horizontalAdvance(u'W');
    };
    QCOMPARE(view_->editor()->font().pointSizeF(), 15.0);
    QVERIFY(monospaced(view_->editor()->font()));
    // A platform theme that hands out a proportional font as the fixed one.
    const QFont proportional(u"DejaVu Sans"_s);
    QVERIFY(!monospaced(proportional));
    QVERIFY(monospaced(noteFont(15, proportional)));
}

QTEST_MAIN(tst_ContentView)
#include "tst_contentview.moc"
