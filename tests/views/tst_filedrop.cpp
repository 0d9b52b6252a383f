// SPDX-License-Identifier: MIT
#include "Fakes.h"
#include "FileDrop.h"
#include "Files.h"
#include "NoteEditor.h"
#include "Notemodel.h"

#include <QMimeData>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;

class tst_FileDrop : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void droppedFileIsInsertedAsTheNoteIsReadOrRefused_data();
    void droppedFileIsInsertedAsTheNoteIsReadOrRefused();
};

void tst_FileDrop::droppedFileIsInsertedAsTheNoteIsReadOrRefused_data() {
    QTest::addColumn<QByteArray>("bytes"); // empty: a folder
    QTest::addColumn<QString>("inserted"); // empty: refused
    QTest::addColumn<QString>("refusal");
    const QString longLine(5000, u'z');
    QTest::newRow("UTF-8 with a byte-order mark, CR LF, CR and a long line")
        << "\xEF\xBB\xBFx\r\ny\rK\xC3\xBC" + longLine.toUtf8()
        << u"\uFEFFx\r\ny\rK\u00FC"_s + longLine << QString();
    QTest::newRow("Latin-1") << QByteArray("caf\xE9") << QString() << u"not UTF-8 text"_s;
    QTest::newRow("binary") << QByteArray("PNG\0\0\1", 6) << QString() << u"not UTF-8 text"_s;
    QTest::newRow("huge") << QByteArray(4 * 1024 * 1024 + 1, 'a') << QString() << u"too large"_s;
    QTest::newRow("a folder") << QByteArray() << QString() << u"is a folder"_s;
}

void tst_FileDrop::droppedFileIsInsertedAsTheNoteIsReadOrRefused() {
    QFETCH(QByteArray, bytes);
    QFETCH(QString, inserted);
    QFETCH(QString, refusal);
    QTemporaryDir dir;
    const QString path = dir.filePath(u"dropped.txt"_s);
    bytes.isEmpty() ? void(QDir().mkpath(path)) : writeFile(path, bytes);
    ModelFixture f;
    f.store.strings[NoteModel::saveKey] = u"ab\ncd"_s;
    auto model = f.make();
    NoteEditor editor(*model);
    FileDrop drop(editor);
    QSignalSpy refused(&drop, &FileDrop::refused);
    editor.show();
    QVERIFY(QTest::qWaitForWindowExposed(&editor));
    QTextCursor at(editor.document());
    at.setPosition(2);
    const QPoint point = editor.cursorRect(at).center();

    // What a file manager drags: the file's address, and the same address as text.
    QMimeData data;
    data.setUrls({QUrl::fromLocalFile(path)});
    data.setText(QUrl::fromLocalFile(path).toString());
    QDragEnterEvent enter(point, Qt::CopyAction, &data, Qt::LeftButton, {});
    QCoreApplication::sendEvent(editor.viewport(), &enter);
    QVERIFY(enter.isAccepted());
    QDropEvent dropped(point, Qt::CopyAction, &data, Qt::LeftButton, {});
    QCoreApplication::sendEvent(editor.viewport(), &dropped);
    if (inserted.isEmpty()) {
        QCOMPARE(refused.size(), 1);
        QVERIFY2(refused[0][0].toString().contains(refusal), qPrintable(refused[0][0].toString()));
        QCOMPARE(model->text(), u"ab\ncd"_s);
        return;
    }
    QCOMPARE(refused.size(), 0);
    QCOMPARE(model->text(), u"ab"_s + inserted + u"\ncd"_s);
    QCOMPARE(editor.noteText(), model->text());
    editor.undo(); // one step
    QCOMPARE(model->text(), u"ab\ncd"_s);
}

QTEST_MAIN(tst_FileDrop)
#include "tst_filedrop.moc"
