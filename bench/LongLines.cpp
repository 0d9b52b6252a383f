// SPDX-License-Identifier: MIT
// Keys in a line of a megabyte, with words or without a space, and its paste.
#include "Cases.h"
#include "Setup.h"

#include "ContentView.h"
#include "NoteEditor.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QMap>
#include <QPlainTextEdit>
#include <QRandomGenerator>

#include <cstdio>

namespace {

// A line of a minified reply or a blob: no space to wrap at.
QString makeBlob(qsizetype size) {
    QString blob;
    blob.reserve(size);
    QRandomGenerator random(7);
    const QString digits =
        QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/");
    while (blob.size() < size)
        blob += digits[random.bounded(digits.size())];
    return blob;
}

} // namespace

void longLine() {
    std::printf("\n## One long line without line breaks\n\n");
    Stats hundred;
    {
        Fixture f(makeNote(100 * KB, false));
        auto view = shownContent(*f.model);
        hundred = paintedKeystroke(view->editor(), 50);
        report(QStringLiteral("painted keystroke in a single 100 KB line"), hundred);
    }
    goal(QStringLiteral("9. keystroke in a single 100 KB line, p99"), hundred.p99, 50.0,
         QStringLiteral("ms"));

    const QString middle = QStringLiteral("x in the middle");
    const QList<std::pair<QString, Keystroke>> strokes = {
        {QStringLiteral("x at the end"), letter},
        {middle, letter},
        {QStringLiteral("Return at the end"),
         {Qt::Key_Return, QStringLiteral("\r"), Qt::Key_Backspace, QString()}},
        {QStringLiteral("BackSpace at the end"),
         {Qt::Key_Backspace, QString(), Qt::Key_X, QStringLiteral("x")}},
    };
    const auto placeCaret = [&middle](NoteEditor *editor, const QString &where) {
        if (where == middle)
            editor->selectRange(editor->noteText().size() / 2, 0);
        else
            editor->moveCursor(QTextCursor::End);
    };
    // Each key against the same key in an ordinary note.
    QMap<QString, Stats> ordinary;
    {
        Fixture f(makeNote(10 * KB));
        auto view = shownContent(*f.model);
        for (const auto &[where, stroke] : strokes) {
            placeCaret(view->editor(), where);
            ordinary[where] = paintedKeystroke(view->editor(), 300, stroke);
            report(QStringLiteral("Mirt, %1, 10 KB of ordinary lines").arg(where), ordinary[where]);
        }
    }
    for (const auto &[kind, line] : {std::pair(QStringLiteral("words"), makeNote(MB, false)),
                                     std::pair(QStringLiteral("no spaces"), makeBlob(MB))}) {
        Fixture f(line);
        auto view = shownContent(*f.model);
        auto bare = shownBareEditor(line);
        for (const auto &[where, stroke] : strokes) {
            const bool inTheMiddle = where == middle;
            placeCaret(view->editor(), where);
            const Stats ours = paintedKeystroke(view->editor(), 300, stroke);
            const QString name = QStringLiteral("%1, 1 MB line of %2").arg(where, kind);
            report(QStringLiteral("Mirt, ") + name, ours);
            if (kind == QStringLiteral("words")) { // the bare editor takes half a second a key
                QTextCursor cursor = bare->textCursor();
                cursor.setPosition(inTheMiddle ? int(MB / 2) : int(line.size()));
                bare->setTextCursor(cursor);
                report(QStringLiteral("bare editor, ") + name,
                       paintedKeystroke(bare.get(), 5, stroke, 1));
            }
            goal(QStringLiteral("13. ") + name + QStringLiteral(", p99"), ours.p99, 16.7,
                 QStringLiteral("ms"));
            goal(QStringLiteral("13. ") + name + QStringLiteral(", p99 / 10 KB note"),
                 ours.p99 / ordinary[where].p99, 2.0, QStringLiteral("x"));
        }
    }

    // Paste of a 1 MB line into an empty note, until it is painted.
    const QString line = makeNote(MB, false);
    const auto pasted = [&line](QPlainTextEdit *editor, int runs) {
        return measure(1, runs, [&] {
            QGuiApplication::clipboard()->setText(line);
            editor->clear();
            QCoreApplication::processEvents();
            return timed([editor] {
                editor->paste();
                QCoreApplication::processEvents();
            });
        });
    };
    Fixture f{QString()};
    auto view = shownContent(*f.model);
    const Stats ours = pasted(view->editor(), 20);
    if (f.model->text() != line)
        qFatal("the pasted line is not the note");
    report(QStringLiteral("paste of a 1 MB line until painted, Mirt"), ours);
    report(QStringLiteral("paste of a 1 MB line until painted, bare editor"),
           pasted(shownBareEditor(QString()).get(), 3));
    goal(QStringLiteral("13. paste of a 1 MB line until painted, p99"), ours.p99, 100,
         QStringLiteral("ms"));
}
