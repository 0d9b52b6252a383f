// SPDX-License-Identifier: MIT
#include "Fakes.h"
#include "FindBar.h"
#include "NoteEditor.h"
#include "Notemodel.h"

#include <QLabel>
#include <QLineEdit>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;

class tst_FindBar : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void findsAsYouTypeCountsAndWraps();
    void replaceAllSaysHowManyItReplaced();

private:
    void open(const QString &note, bool replace);
    QString count() const { return bar_->findChild<QLabel *>(u"matchCount"_s)->text(); }
    QPair<int, int> selection() const {
        const QTextCursor c = editor_->textCursor();
        return {c.selectionStart(), c.selectionEnd()};
    }

    ModelFixture f_;
    std::unique_ptr<NoteModel> model_;
    std::unique_ptr<QWidget> window_;
    NoteEditor *editor_ = nullptr;
    FindBar *bar_ = nullptr;
};

void tst_FindBar::open(const QString &note, bool replace) {
    window_.reset();
    f_.store.strings[NoteModel::saveKey] = note;
    model_ = f_.make();
    window_ = std::make_unique<QWidget>();
    auto *layout = new QVBoxLayout(window_.get());
    editor_ = new NoteEditor(*model_);
    bar_ = new FindBar(*model_, *editor_);
    layout->addWidget(editor_);
    layout->addWidget(bar_);
    window_->show();
    window_->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(window_.get()));
    editor_->moveCursor(QTextCursor::Start);
    bar_->open(replace);
}

void tst_FindBar::findsAsYouTypeCountsAndWraps() {
    open(u"budget one\nBudget two\nbudget three"_s, false);
    auto *field = bar_->findChild<QLineEdit *>(u"findField"_s);
    QVERIFY(field->hasFocus());
    QTest::keyClicks(field, u"Budget"_s); // found in any case until Match Case is on
    QCOMPARE(selection(), qMakePair(0, 6));
    QCOMPARE(count(), u"1 of 3"_s);
    QTest::keyClick(field, Qt::Key_Return);
    QCOMPARE(selection(), qMakePair(11, 17));
    bar_->findNext();
    bar_->findNext();
    QCOMPARE(selection(), qMakePair(0, 6)); // round the end, and said so quietly
    QCOMPARE(count(), u"1 of 3, wrapped"_s);
    QTest::keyClick(field, Qt::Key_Return, Qt::ShiftModifier);
    QCOMPARE(selection(), qMakePair(22, 28));
    bar_->findChild<QToolButton *>(u"matchCase"_s)->click();
    QCOMPARE(count(), u"1 of 1, wrapped"_s);
    QTest::keyClick(field, Qt::Key_Escape);
    QVERIFY(!bar_->isVisible());
    QTRY_VERIFY(editor_->hasFocus());
    QCOMPARE(selection(), qMakePair(11, 17));
    QCOMPARE(model_->text(), u"budget one\nBudget two\nbudget three"_s);

    // A selection opens the bar with itself as the text to find.
    editor_->selectRange(0, 3);
    bar_->open(false);
    QCOMPARE(field->text(), u"bud"_s);
}

void tst_FindBar::replaceAllSaysHowManyItReplaced() {
    // What Replace and Replace All do to the note, the twin of the editor checks.
    open(u"a\rbudget\u2029budget budget\r\n"_s, true);
    QTest::keyClicks(bar_->findChild<QLineEdit *>(u"findField"_s), u"budget"_s);
    bar_->findChild<QLineEdit *>(u"replaceField"_s)->setText(u"plan"_s);
    bar_->replaceAll();
    QCOMPARE(model_->text(), u"a\rplan\u2029plan plan\r\n"_s);
    // The count of those replaced, and it stays once the count has followed the edit.
    QCOMPARE(count(), u"3 replaced"_s);
    QTRY_VERIFY(!bar_->findChild<QTimer *>(u"recount"_s)->isActive());
    QCOMPARE(count(), u"3 replaced"_s);
}

QTEST_MAIN(tst_FindBar)
#include "tst_findbar.moc"
