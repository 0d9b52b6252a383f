// SPDX-License-Identifier: MIT
// In each language Mirt ships, every text it shows is in that language, the toolkit's own too:
// the context menus, the panels for files, the print dialog and its properties, the preview
// and its page setup, the questions. None is left English beside the app's words.
#include "ContentView.h"
#include "Fakes.h"
#include "Files.h"
#include "FindBar.h"
#include "MainWindow.h"
#include "NoteEditor.h"
#include "NoteHistory.h"
#include "Notemodel.h"
#include "Translations.h"
#include "WidgetDialogs.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QApplication>
#include <QComboBox>
#include <QDialog>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QLineEdit>
#include <QMenu>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QToolBar>

using namespace Qt::StringLiterals;

namespace {

const QString mark = u"\u27e6"_s;

/// Installed before the catalogues, and so asked after them: what it is asked, none of them had.
class Untranslated : public QTranslator {
public:
    QString translate(const char *context, const char *source, const char *, int) const override {
        return source && *source ? mark + QLatin1String(context) + u' ' + QString::fromUtf8(source)
                                 : QString();
    }
    bool isEmpty() const override { return false; }
};

/// Collects what `object` shows and says, and what it holds, where no catalogue translated it;
/// `hidden` too where another printer, another folder or another choice would show it.
void collect(QObject *object, QSet<QString> &found, bool hidden = false) {
    auto *widget = qobject_cast<QWidget *>(object);
    if (widget && !hidden && !widget->isVisible() && !qobject_cast<QMenu *>(widget))
        return;
    QStringList texts;
    for (const char *property :
         {"text", "title", "windowTitle", "placeholderText", "toolTip", "accessibleName",
          "labelText", "prefix", "suffix", "specialValueText", "iconText"})
        texts << object->property(property).toString();
    if (auto *box = qobject_cast<QComboBox *>(object))
        for (int i = 0; i < box->count(); ++i)
            texts << box->itemText(i);
    if (auto *view = qobject_cast<QAbstractItemView *>(object); view && view->model())
        for (int column = 0; column < view->model()->columnCount(); ++column) {
            texts << view->model()->headerData(column, Qt::Horizontal).toString();
            for (int row = 0; row < std::min(view->model()->rowCount(), 20); ++row)
                texts << view->model()->index(row, column).data().toString();
        }
    for (const QString &text : std::as_const(texts))
        if (text.contains(mark))
            found << QString::fromLatin1(object->metaObject()->className()) + u": "_s + text;
    if (widget)
        for (QAction *action : widget->actions()) {
            collect(action, found, hidden);
            if (action->menu())
                collect(action->menu(), found, hidden);
        }
    if (auto *tabs = qobject_cast<QTabWidget *>(object))
        for (int i = 0; i < tabs->count(); ++i) {
            tabs->setCurrentIndex(i);
            collect(tabs->widget(i), found, hidden);
        }
    for (QObject *child : object->children())
        if (!qobject_cast<QAction *>(child) && !qobject_cast<QTabWidget *>(object))
            collect(child, found, hidden);
}

/// Looks at each dialog as it opens and presses what opens further ones (a printer's
/// properties, the preview's page setup); with nothing new, closes the newest unanswered.
void inspect(QList<QPointer<QDialog>> &seen, QSet<QString> &found) {
    for (QWidget *top : QApplication::topLevelWidgets()) {
        auto *dialog = qobject_cast<QDialog *>(top);
        if (!dialog || !dialog->isVisible() || seen.contains(dialog))
            continue;
        seen << dialog;
        collect(dialog, found, true);
        if (qobject_cast<QFileDialog *>(dialog)) // its buttons make folders and walk the disk
            return;
        for (QAbstractButton *button : dialog->findChildren<QAbstractButton *>())
            if (button->isVisible() && button->isEnabled() && !button->isCheckable() &&
                !qobject_cast<QDialogButtonBox *>(button->parentWidget()))
                QMetaObject::invokeMethod(button, &QAbstractButton::click, Qt::QueuedConnection);
        for (QToolBar *bar : dialog->findChildren<QToolBar *>())
            for (QAction *action : bar->actions())
                if (!action->isCheckable())
                    QMetaObject::invokeMethod(action, &QAction::trigger, Qt::QueuedConnection);
        return;
    }
    QWidget *modal = QApplication::activeModalWidget();
    for (QDialog *dialog : std::as_const(seen))
        if (dialog && dialog->isVisible() && (!modal || dialog == modal))
            return dialog->reject();
}

} // namespace

class tst_Translations : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void noEnglishLeftInWhatMirtShows_data();
    void noEnglishLeftInWhatMirtShows();
    void withoutTheToolkitsCatalogueEnglishThroughout();
};

void tst_Translations::noEnglishLeftInWhatMirtShows_data() {
    QTest::addColumn<QString>("language");
    for (const QString &file : QDir(u":/i18n"_s).entryList({u"mirt_*.qm"_s}))
        QTest::newRow(qPrintable(file)) << file.mid(5).chopped(3);
}

void tst_Translations::noEnglishLeftInWhatMirtShows() {
    QFETCH(QString, language);
    Untranslated untranslated;
    QCoreApplication::installTranslator(&untranslated);
    QLocale::setDefault(QLocale(language));
    Translations translations;
    QVERIFY(translations.install(QLocale(language)));
    ModelFixture fakes;
    const std::unique_ptr<NoteModel> model = fakes.make();
    model->setText(u"words to print\n"_s);
    QTemporaryDir kept;
    NoteHistory history(kept.path(), fakes.clock);
    history.keep(NoteHistory::Kind::Meeting, "2026 12 07, 14:05\n\n14:05 - words\n");
    MainWindow window(*model, &history);
    window.content()->findBar()->open(true);
    window.show();
    QSet<QString> found;
    collect(&window, found);
    const std::unique_ptr<QMenu> editing(window.content()->editor()->createStandardContextMenu());
    collect(editing.get(), found);
    const std::unique_ptr<QMenu> finding(
        window.content()->findBar()->findChild<QLineEdit *>()->createStandardContextMenu());
    collect(finding.get(), found);
    // A folder and a file where the panels open, for the names of their kinds.
    QVERIFY(QDir().mkpath(WidgetDialogs::exportFolder() + u"/folder"_s));
    writeFile(WidgetDialogs::exportFolder() + u"/note.txt"_s, "words");
    {
        QList<QPointer<QDialog>> seen;
        QTimer inspector;
        connect(&inspector, &QTimer::timeout, this, [&] { inspect(seen, found); });
        inspector.start(30);
        WidgetDialogs dialogs([&] { return &window; });
        model->setClearRequested(true);
        QTest::qWait(300);
        for (const char *name : {"earlierNotes", "clearEarlierNotes"}) {
            window.findChild<QAction *>(QLatin1String(name))->trigger();
            QTest::qWait(300);
        }
        dialogs.showSavePanel({u"Export"_s, u"n.txt"_s, u"text/plain"_s}, [](const QString &) {});
        QTest::qWait(500);
        dialogs.chooseFolder(u"Move"_s, [](const QString &) {});
        QTest::qWait(500);
        dialogs.showWarning(u"warning"_s, QString());
        dialogs.print(model->text(), 12);
        dialogs.printPreview(model->text(), 12);
    }
    QStringList english = found.values();
    english.sort();
    QVERIFY2(english.isEmpty(), qPrintable(english.join(u'\n')));
    QCoreApplication::removeTranslator(&untranslated);
}

void tst_Translations::withoutTheToolkitsCatalogueEnglishThroughout() {
    // The app's words without the toolkit's would mix two languages in one dialog.
    QTemporaryDir noToolkit;
    Translations german, finnish;
    QVERIFY(!german.install(QLocale(QLocale::German), noToolkit.path()));
    QVERIFY(!finnish.install(QLocale(QLocale::Finnish))); // no catalogue of Mirt's
    QCOMPARE(QCoreApplication::translate("MenuCommands", "&File"), u"&File"_s);
}

QTEST_MAIN(tst_Translations)
#include "tst_translations.moc"
