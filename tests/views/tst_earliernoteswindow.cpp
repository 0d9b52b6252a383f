// SPDX-License-Identifier: MIT
// The window of the note's earlier versions, on a real history in a temporary folder.
#include "EarlierNotesWindow.h"
#include "Fakes.h"
#include "Files.h"
#include "NoteEditor.h"
#include "Notemodel.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;

class tst_EarlierNotesWindow : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();
    void listsNewestFirstAndFindsByWords();
    void bringBackIsOneUndoStepAndKeepsTheNote();
    void copyAndExportTakeTheVersionAsItIs();

private:
    QStringList rows() const {
        QStringList shown;
        const QAbstractItemModel *model = list()->model();
        for (int row = 0; row < model->rowCount(); ++row)
            shown << model->index(row, 0).data().toString().section(u" · "_s, 1);
        return shown;
    }
    QListView *list() const { return window_->findChild<QListView *>(u"versions"_s); }
    void select(int row) { list()->setCurrentIndex(list()->model()->index(row, 0)); }

    QTemporaryDir dir_;
    std::unique_ptr<ModelFixture> f_;
    std::unique_ptr<NoteModel> model_;
    std::unique_ptr<NoteHistory> history_;
    std::unique_ptr<EarlierNotesWindow> window_;
};

void tst_EarlierNotesWindow::init() {
    f_ = std::make_unique<ModelFixture>();
    f_->store.strings[NoteModel::saveKey] = u"groceries\nthe note now\n"_s;
    model_ = f_->make();
    QDir(dir_.filePath(u"history"_s)).removeRecursively();
    history_ = std::make_unique<NoteHistory>(dir_.filePath(u"history"_s), f_->clock);
    const std::pair<NoteHistory::Kind, const char *> kept[] = {
        {NoteHistory::Kind::Meeting, "2026 12 07, 14:05\n\n14:05 - the budget, again\n"},
        {NoteHistory::Kind::Snapshot, "groceries\nmilk\n"},
        {NoteHistory::Kind::BeforeClear, "\n  \nplans for the budget\n"},
    };
    for (const auto &[kind, text] : kept) {
        f_->timeline.advance(60'000);
        history_->keep(kind, text);
    }
    window_ = std::make_unique<EarlierNotesWindow>(*model_, *history_);
    window_->show();
}

void tst_EarlierNotesWindow::cleanup() {
    window_.reset();
    history_.reset();
    model_.reset();
}

void tst_EarlierNotesWindow::listsNewestFirstAndFindsByWords() {
    QCOMPARE(rows(), (QStringList{u"Before Clear · plans for the budget"_s,
                                  u"Snapshot · groceries"_s, u"Meeting 2026 12 07, 14:05"_s}));
    // The newest is shown, with the lines the note lacks marked.
    const auto *preview = window_->findChild<QPlainTextEdit *>(u"earlierNote"_s);
    QCOMPARE(preview->toPlainText(), u"\n  \nplans for the budget\n"_s);
    select(1);
    QCOMPARE(preview->toPlainText(), u"groceries\nmilk\n"_s);
    QCOMPARE(preview->extraSelections().size(), 1);
    QCOMPARE(preview->extraSelections()[0].cursor.selectedText(), u"milk\u2029"_s);

    auto *find = window_->findChild<QLineEdit *>(u"findEarlier"_s);
    QTest::keyClicks(find, u"BUDGET"_s);
    QTRY_COMPARE(rows().size(), 2);
    QTRY_VERIFY(window_->findChild<QLabel *>(u"earlierStatus"_s)->text().contains(u"2"_s));
    QCOMPARE(rows().last(), u"Meeting 2026 12 07, 14:05"_s);
    find->clear();
    QCOMPARE(rows().size(), 3);
}

void tst_EarlierNotesWindow::bringBackIsOneUndoStepAndKeepsTheNote() {
    NoteEditor editor(*model_);
    editor.show();
    QTRY_VERIFY(editor.hasWholeNote());
    QTest::keyClicks(&editor, u"typed "_s); // an undo step of the user's own before
    const QString before = model_->text();
    select(1);
    window_->findChild<QPushButton *>(u"bringBack"_s)->click();
    QCOMPARE(model_->text(), u"groceries\nmilk\n"_s);
    QCOMPARE(f_->store.versions.back().first, NoteHistory::Kind::BeforeBringBack);
    QCOMPARE(f_->store.versions.back().second, before);
    editor.undo();
    QCOMPARE(model_->text(), before);
    editor.undo();
    QCOMPARE(model_->text(), u"groceries\nthe note now\n"_s);
}

void tst_EarlierNotesWindow::copyAndExportTakeTheVersionAsItIs() {
    select(2);
    window_->findChild<QPushButton *>(u"copyEarlier"_s)->click();
    QCOMPARE(QGuiApplication::clipboard()->text(),
             u"2026 12 07, 14:05\n\n14:05 - the budget, again\n"_s);
    window_->findChild<QPushButton *>(u"exportEarlier"_s)->click();
    f_->dialogs.answer(dir_.filePath(u"export.txt"_s));
    QCOMPARE(contents(dir_.filePath(u"export.txt"_s)),
             "2026 12 07, 14:05\n\n14:05 - the budget, again\n");
}

QTEST_MAIN(tst_EarlierNotesWindow)
#include "tst_earliernoteswindow.moc"
