// SPDX-License-Identifier: MIT
#include "NoteEncoding.h"

#include <QString>

QByteArray noteToUtf8(QStringView text) {
    if (text.isValidUtf16())
        return text.toUtf8();
    QString repaired = text.toString();
    for (qsizetype i = 0; i < repaired.size(); ++i) {
        if (repaired[i].isHighSurrogate() && i + 1 < repaired.size() &&
            repaired[i + 1].isLowSurrogate())
            ++i;
        else if (repaired[i].isSurrogate())
            repaired[i] = QChar::ReplacementCharacter;
    }
    return repaired.toUtf8();
}

void SliceEncoder::start(qsizetype size) {
    running_ = true;
    done_ = 0;
    size_ = size;
    bytes_.clear();
    bytes_.reserve(size + size / 8);
}

void SliceEncoder::cancel() {
    running_ = false;
    bytes_ = QByteArray();
}

bool SliceEncoder::step(QStringView text, qsizetype units) {
    qsizetype end = std::min(size_, done_ + units);
    // Never cut a surrogate pair in two: each slice must stand on its own.
    if (end < size_ && text[end - 1].isHighSurrogate() && text[end].isLowSurrogate())
        ++end;
    bytes_.append(noteToUtf8(text.sliced(done_, end - done_)));
    done_ = end;
    return done_ == size_;
}

QByteArray SliceEncoder::take() {
    running_ = false;
    return std::exchange(bytes_, QByteArray());
}
