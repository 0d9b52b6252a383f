// SPDX-License-Identifier: MIT
#pragma once

#include <QString>

/// A text file that the user brings into the note, decoded by the note's own rules: UTF-8, a
/// leading U+FEFF and every line end kept. What the note cannot take in whole as text is
/// refused with the reason, in words for the user: a file that is not UTF-8 text (a NUL byte,
/// or bytes that do not decode), one larger than `limit` bytes, one that cannot be read.
struct TextFile {
    static constexpr qint64 defaultLimit = 4 * 1024 * 1024;

    static TextFile read(const QString &path, qint64 limit = defaultLimit);

    QString text;
    QString refusal; // empty when the file was read
};
