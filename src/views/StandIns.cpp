// SPDX-License-Identifier: MIT
#include "StandIns.h"

#include <QTextCursor>
#include <QTextDocument>

namespace {

// Where a stood-in character keeps its original code.
constexpr int standInProperty = QTextFormat::UserProperty + 1;

// What the user sees in place of such a character.
QChar symbolFor(QChar c) {
    if (c == u'\r')
        return QChar(0x240D); // SYMBOL FOR CARRIAGE RETURN
    if (c == QChar::ParagraphSeparator)
        return QChar(0x00B6); // PILCROW SIGN
    return QChar::ReplacementCharacter;
}

bool isSymbol(QChar c) {
    return c == QChar(0x240D) || c == QChar(0x00B6) || c == QChar::ReplacementCharacter;
}

} // namespace

bool StandIns::isNeeded(QChar c) {
    return c == u'\r' || c == QChar::ParagraphSeparator || c == QChar(0xFDD0) || c == QChar(0xFDD1);
}

QString StandIns::shown(QStringView text) {
    QString symbols = text.toString();
    for (QChar &c : symbols)
        if (isNeeded(c))
            c = symbolFor(c);
    return symbols;
}

void StandIns::insert(QTextCursor &cursor, QStringView text) {
    const QTextCharFormat plain;
    qsizetype run = 0; // where the text not yet inserted starts
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (!isNeeded(text[i]))
            continue;
        if (i > run)
            cursor.insertText(text.sliced(run, i - run).toString(), plain);
        QTextCharFormat standIn;
        standIn.setProperty(standInProperty, int(text[i].unicode()));
        cursor.insertText(QString(symbolFor(text[i])), standIn);
        run = i + 1;
        seen_ = true;
    }
    if (run < text.size())
        cursor.insertText(text.sliced(run).toString(), plain);
}

void StandIns::restore(QTextDocument *document, int from, QString &text) const {
    if (!seen_)
        return;
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (!isSymbol(text[i]))
            continue;
        QTextCursor probe(document);
        probe.setPosition(from + int(i) + 1);
        const QVariant original = probe.charFormat().property(standInProperty);
        if (original.isValid())
            text[i] = QChar(char16_t(original.toInt()));
    }
}

bool StandIns::isCarriedBy(const QTextCharFormat &format) const {
    return seen_ && format.hasProperty(standInProperty);
}
