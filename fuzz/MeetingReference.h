// SPDX-License-Identifier: MIT
#pragma once

#include <QRegularExpression>
#include <QString>
#include <QStringList>
#include <QTextBoundaryFinder>

// The stamping rule written out the long way, on whole strings, to check the model against.
struct ReferenceModel {
    QString text;
    QString previous;
    bool meeting = false;

    void handle(const QString &newText, const QString &stamp) {
        if (!meeting) {
            previous = newText;
            return;
        }
        const QString old = previous;
        QTextBoundaryFinder graphemes(QTextBoundaryFinder::Grapheme, newText);
        graphemes.toEnd();
        const qsizetype lastStart = newText.isEmpty() ? 0 : graphemes.toPreviousBoundary();
        const bool typed = newText.size() == old.size() + 1 &&
                           newText.sliced(lastStart) == QStringLiteral("\n") &&
                           newText.startsWith(old);
        if (!typed) {
            previous = newText;
            return;
        }
        QStringList pieces = old.split(u'\n');
        static const QRegularExpression stampOnly(
            QStringLiteral(
                R"(^\d{2}:\d{2} - (?:\r\n|[\n\x{0B}\x{0C}\r\x{85}\x{2028}\x{2029}])?\z)"),
            QRegularExpression::UseUnicodePropertiesOption);
        if (stampOnly.match(pieces.last()).hasMatch()) {
            pieces.removeLast();
            text = pieces.join(u'\n') + u'\n' + stamp;
        } else {
            text = newText + stamp;
        }
        previous = text;
    }
};
