// SPDX-License-Identifier: MIT
#include "NoteFont.h"

#include <QFontInfo>
#include <QStringList>

QFont noteFont(double pointSize, QFont font) {
    font.setPointSizeF(pointSize);
    font.setWeight(QFont::Normal);
    font.setItalic(false);
    if (QFontInfo(font).fixedPitch())
        return font;
    // The style hint lets fontconfig pick the user's monospace choice; the known families
    // stand behind it where the hint is not honoured.
    font.setFamilies(QStringList{QStringLiteral("monospace")});
    font.setStyleHint(QFont::Monospace);
    font.setFixedPitch(true);
    if (QFontInfo(font).fixedPitch())
        return font;
    for (const char *family : {"DejaVu Sans Mono", "Liberation Mono", "Noto Sans Mono", "Menlo",
                               "Courier New", "Courier"}) {
        font.setFamilies(QStringList{QString::fromLatin1(family)});
        if (QFontInfo(font).fixedPitch())
            break;
    }
    return font;
}
