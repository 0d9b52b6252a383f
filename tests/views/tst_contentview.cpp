// SPDX-License-Identifier: MIT
#include "ContentView.h"
#include "Fakes.h"
#include "NoteEditor.h"
#include "Notemodel.h"
#include "ToolbarView.h"

#include <QMessageBox>
#include <QPushButton>
#include <QScrollBar>
#include <QTest>

namespace {
QPushButton *button(QMessageBox *box, const QString &text);
}

class tst_ContentView : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();
    void typedLineBreakGetsStampAndOneUndoTakesBoth();
    void stampKeepsTheScrollPosition();
    void wholeReplacementLeavesNothingToUndo();
    void clearOnBlankNoteNeedsNoDialog();
    void clearOnContentAsksOnceAndCancelKeepsTheNote();
    void confirmedClearEndsMeetingModeAndFocusesTheEditor();
    void meetingRequestAsksOnlyWhenTheNoteHasContent();
    void emptiedTextBringsTheFocusBack();
    void unchangedAssignmentFiresNoHandler();
    void valueSetBeforeAppearanceFiresNoHandler();
    void hidingTheToolbarKeepsTheDividerHeight();
    void fontFollowsTheModel();

private:
    void show(const QString &note = QString());
    QMessageBox *dialog() const;
    void settle() { QCoreApplication::processEvents(); }

    std::unique_ptr<ModelFixture> f_;
    std::unique_ptr<NoteModel> model_;
    std::unique_ptr<ContentView> view_;
};

void tst_ContentView::init() {
    f_ = std::make_unique<ModelFixture>();
}

void tst_ContentView::cleanup() {
    view_.reset();
    model_.reset();
}

void tst_ContentView::show(const QString &note) {
    f_->store.strings[NoteModel::saveKey] = note;
    model_ = f_->make();
    view_ = std::make_unique<ContentView>(*model_);
    view_->resize(420, 420);
    view_->show();
    view_->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(view_.get()));
    QTRY_VERIFY(view_->editor()->hasFocus());
    QTest::qWait(60); // the focus step after appearance has run
}

namespace {
QPushButton *button(QMessageBox *box, const QString &text) {
    for (QAbstractButton *b : box->buttons())
        if (b->text() == text)
            return qobject_cast<QPushButton *>(b);
    return nullptr;
}
} // namespace

QMessageBox *tst_ContentView::dialog() const {
    const auto boxes = view_->findChildren<QMessageBox *>();
    return boxes.size() == 1 && boxes[0]->isVisible() ? boxes[0] : nullptr;
}

void tst_ContentView::typedLineBreakGetsStampAndOneUndoTakesBoth() {
    show();
    model_->requestMeetingMode();
    settle();
    NoteEditor *editor = view_->editor();
    editor->moveCursor(QTextCursor::End);
    QTest::keyClicks(editor, QStringLiteral("Budget"));
    QTest::keyClick(editor, Qt::Key_Return);
    settle();
    const QString expected = QStringLiteral("2024 03 07, 09:05\n\nBudget\n09:05 - ");
    QCOMPARE(model_->text(), expected);
    QCOMPARE(editor->noteText(), expected);
    QCOMPARE(editor->textCursor().position(), expected.size()); // the caret after the stamp

    editor->undo();
    settle();
    QVERIFY2(model_->text().endsWith(QStringLiteral("\n\nBudget")), qPrintable(model_->text()));
    QCOMPARE(editor->noteText(), model_->text());
    editor->redo();
    settle();
    QCOMPARE(model_->text(), expected); // redone, and not stamped a second time

    QTest::keyClicks(editor, QStringLiteral("agreed"));
    settle();
    QCOMPARE(model_->text(), expected + QStringLiteral("agreed"));
}

void tst_ContentView::stampKeepsTheScrollPosition() {
    QString note;
    for (int i = 0; i < 400; ++i)
        note += QStringLiteral("line %1\n").arg(i);
    show();
    model_->setText(note);
    model_->startMeetingMode();
    model_->setText(note);
    settle();
    NoteEditor *editor = view_->editor();
    editor->moveCursor(QTextCursor::End);
    QTest::keyClicks(editor, QStringLiteral("last"));
    QTest::keyClick(editor, Qt::Key_Return);
    const int scrolled = editor->verticalScrollBar()->value();
    QVERIFY(scrolled > 0);
    settle();
    QVERIFY(model_->text().endsWith(QStringLiteral("last\n09:05 - ")));
    QCOMPARE(editor->verticalScrollBar()->value(), scrolled);
}

void tst_ContentView::wholeReplacementLeavesNothingToUndo() {
    show(QStringLiteral("old note"));
    QTest::keyClicks(view_->editor(), QStringLiteral(" typed"));
    model_->clearNote();
    settle();
    QCOMPARE(view_->editor()->noteText(), QString());
    QVERIFY(!view_->editor()->document()->isUndoAvailable());
    model_->startMeetingMode();
    settle();
    QVERIFY(!view_->editor()->document()->isUndoAvailable());
    QCOMPARE(view_->editor()->noteText(), model_->text());
}

void tst_ContentView::clearOnBlankNoteNeedsNoDialog() {
    show(QStringLiteral(" \t\n \n"));
    model_->setClearRequested(true);
    settle();
    QVERIFY(!dialog());
    QCOMPARE(model_->text(), QString());
    QVERIFY(!model_->clearRequested());
}

void tst_ContentView::clearOnContentAsksOnceAndCancelKeepsTheNote() {
    show(QStringLiteral("keep me"));
    model_->setClearRequested(true);
    settle();
    QMessageBox *box = dialog();
    QVERIFY(box);
    QVERIFY(view_->showClearConfirm());
    QCOMPARE(box->text(), QStringLiteral("Clear the current note?"));
    QCOMPARE(box->informativeText(),
             QStringLiteral("This will permanently delete all content in the current note."));
    QCOMPARE(box->windowModality(), Qt::WindowModal);
    QCOMPARE(box->buttons().size(), 2);
    QPushButton *clear = button(box, QStringLiteral("Clear Note"));
    QPushButton *cancel = button(box, QStringLiteral("Cancel"));
    QVERIFY(clear && cancel);
    QCOMPARE(box->buttonRole(clear), QMessageBox::DestructiveRole);
    QCOMPARE(box->buttonRole(cancel), QMessageBox::RejectRole);
    QCOMPARE(box->defaultButton(), cancel); // a stray Return keeps the note

    model_->setClearRequested(true); // a second request while it is open
    settle();
    QCOMPARE(view_->findChildren<QMessageBox *>().size(), 1);

    cancel->click();
    settle();
    QVERIFY(!dialog());
    QVERIFY(!view_->showClearConfirm());
    QVERIFY(!model_->clearRequested());
    QCOMPARE(model_->text(), QStringLiteral("keep me"));

    model_->setClearRequested(true);
    settle();
    QVERIFY(dialog());
}

void tst_ContentView::confirmedClearEndsMeetingModeAndFocusesTheEditor() {
    show();
    model_->startMeetingMode();
    settle();
    model_->setClearRequested(true);
    settle();
    QVERIFY(dialog());
    view_->editor()->clearFocus();
    button(dialog(), QStringLiteral("Clear Note"))->click();
    settle();
    QCOMPARE(model_->text(), QString());
    QVERIFY(!model_->isMeetingMode());
    QVERIFY(!model_->clearRequested());
    // The window takes the keyboard back from the closed sheet; the editor is what it focuses.
    QTRY_COMPARE(view_->focusWidget(), view_->editor());
}

void tst_ContentView::meetingRequestAsksOnlyWhenTheNoteHasContent() {
    show(QStringLiteral("\n  "));
    model_->requestMeetingMode();
    settle();
    QVERIFY(!dialog());
    QVERIFY(model_->isMeetingMode());

    model_->endMeetingMode();
    QTest::keyClicks(view_->editor(), QStringLiteral("content"));
    model_->requestMeetingMode();
    settle();
    QMessageBox *box = dialog();
    QVERIFY(box);
    QCOMPARE(box->text(), QStringLiteral("Start Meeting Mode?"));
    QCOMPARE(box->informativeText(),
             QStringLiteral("The current note will be replaced with a new meeting note."));
    QPushButton *start = button(box, QStringLiteral("Clear & Start Meeting"));
    QVERIFY(start);
    QCOMPARE(box->buttonRole(start), QMessageBox::DestructiveRole);
    QVERIFY(button(box, QStringLiteral("Cancel")));
    QVERIFY(!model_->isMeetingMode());
    view_->editor()->clearFocus();
    start->click();
    settle();
    QVERIFY(model_->isMeetingMode());
    QCOMPARE(model_->text(), QStringLiteral("2024 03 07, 09:05\n\n"));
    QTRY_COMPARE(view_->focusWidget(), view_->editor());
}

void tst_ContentView::emptiedTextBringsTheFocusBack() {
    show(QStringLiteral("some text"));
    view_->editor()->clearFocus();
    view_->editor()->selectAll();
    view_->editor()->textCursor().removeSelectedText();
    settle();
    QCOMPARE(model_->text(), QString());
    QTRY_VERIFY(view_->editor()->hasFocus());
}

void tst_ContentView::unchangedAssignmentFiresNoHandler() {
    show();
    view_->editor()->clearFocus();
    model_->setText(QString()); // announced, but nothing changed: no focus step
    model_->setClearRequested(false);
    settle();
    QTest::qWait(80);
    QVERIFY(!view_->editor()->hasFocus());
}

void tst_ContentView::valueSetBeforeAppearanceFiresNoHandler() {
    f_->store.strings[NoteModel::saveKey] = QStringLiteral("content");
    model_ = f_->make();
    model_->setClearRequested(true);
    model_->setMeetingConfirmRequested(true);
    view_ = std::make_unique<ContentView>(*model_);
    view_->show();
    QVERIFY(QTest::qWaitForWindowExposed(view_.get()));
    settle();
    QVERIFY(view_->findChildren<QMessageBox *>().isEmpty());
    QCOMPARE(model_->text(), QStringLiteral("content"));
}

void tst_ContentView::hidingTheToolbarKeepsTheDividerHeight() {
    show();
    QWidget *divider = view_->findChild<QWidget *>(QStringLiteral("divider"));
    QVERIFY(divider);
    QVERIFY(view_->findChild<ToolbarView *>());
    QCOMPARE(divider->geometry().bottom() + 1 + 42, view_->height());

    model_->setToolbarVisible(false);
    settle();
    QTRY_VERIFY(!view_->findChild<ToolbarView *>());
    QTRY_COMPARE(divider->geometry().bottom() + 1, view_->height());
    QCOMPARE(divider->height(), 1);
    QVERIFY(divider->isVisible());
    // The editor keeps its 6-point margin and ends just above the divider.
    const QRect editor = view_->editor()->geometry();
    QCOMPARE(view_->editor()->parentWidget()->geometry().bottom() + 1, divider->y());
    QCOMPARE(editor.left(), 6);
    QCOMPARE(editor.top(), 6);
    QCOMPARE(editor.bottom() + 1 + 6, divider->y());

    model_->setToolbarVisible(true);
    settle();
    QTRY_VERIFY(view_->findChild<ToolbarView *>());
}

void tst_ContentView::fontFollowsTheModel() {
    show();
    model_->increaseFontSize();
    settle();
    const QFont font = view_->editor()->font();
    QCOMPARE(font.pointSizeF(), 15.0);
    const QFontMetricsF metrics(font);
    QCOMPARE(metrics.horizontalAdvance(u'i'), metrics.horizontalAdvance(u'W')); // monospaced
}

QTEST_MAIN(tst_ContentView)
#include "tst_contentview.moc"
