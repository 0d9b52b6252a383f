// SPDX-License-Identifier: MIT
#include "NoteEncoding.h"

#include <QString>
#include <QStringDecoder>

#include <cstdint>
#include <cstring>
#include <vector>
#if __has_include(<sys/mman.h>)
#include <sys/mman.h>
#endif

namespace {

bool isAscii(QByteArrayView bytes) {
    const char *p = bytes.data();
    const char *end = p + bytes.size();
    quint64 seen = 0;
    for (; end - p >= 8; p += 8) {
        quint64 word;
        std::memcpy(&word, p, 8);
        seen |= word;
    }
    for (; p < end; ++p)
        seen |= quint8(*p);
    return (seen & 0x8080808080808080ULL) == 0;
}

// Whether the bytes end in the middle of a multi-byte sequence that the next bytes complete.
bool endsInsideSequence(QByteArrayView bytes) {
    qsizetype continuation = 0;
    for (qsizetype i = bytes.size() - 1; i >= 0 && continuation < 4; --i) {
        const quint8 byte = quint8(bytes[i]);
        if ((byte & 0xC0) == 0x80) {
            ++continuation;
            continue;
        }
        const qsizetype length = byte >= 0xF0 ? 4 : byte >= 0xE0 ? 3 : byte >= 0xC0 ? 2 : 1;
        return continuation + 1 < length;
    }
    return false;
}

} // namespace

void adviseLargeBuffer([[maybe_unused]] void *data, [[maybe_unused]] qsizetype size) {
#ifdef MADV_HUGEPAGE
    constexpr std::uintptr_t hugePage = 2 * 1024 * 1024;
    const auto start = reinterpret_cast<std::uintptr_t>(data);
    const std::uintptr_t first = (start + hugePage - 1) & ~(hugePage - 1);
    const std::uintptr_t end = (start + std::uintptr_t(size)) & ~(hugePage - 1);
    if (end > first) // only whole huge pages inside the buffer; advice that fails costs nothing
        madvise(reinterpret_cast<void *>(first), end - first, MADV_HUGEPAGE);
#endif
}

QString noteFromUtf8(QByteArrayView bytes, bool *exact) {
    constexpr qsizetype chunk = 64 * 1024;
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::ConvertInitialBom);
    QString text;
    text.reserve(bytes.size() + 64 * 1024); // room to type in before the text moves
    adviseLargeBuffer(text.data(), text.capacity() * qsizetype(sizeof(QChar)));
    bool between = true; // no multi-byte sequence is left open in the decoder
    for (qsizetype at = 0; at < bytes.size(); at += chunk) {
        const QByteArrayView part = bytes.sliced(at, std::min(chunk, bytes.size() - at));
        if (between && isAscii(part)) {
            text.append(QLatin1StringView(part.data(), part.size()));
            continue;
        }
        text.append(decoder.decode(part));
        between = !endsInsideSequence(part);
    }
    *exact = !decoder.hasError() && between;
    if (!between)
        text.append(QChar::ReplacementCharacter); // a character cut off at the end of the file
    return text;
}

namespace {

// Each unit on its own, for a text with halves of surrogate pairs, which become U+FFFD.
QByteArray repairedUtf8(QStringView text) {
    const auto pairAt = [&text](qsizetype i) {
        return text[i].isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate();
    };
    QByteArray bytes;
    bytes.reserve(text.size() * 3);
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (pairAt(i)) {
            bytes.append(QStringView(text).sliced(i, 2).toUtf8());
            ++i;
        } else {
            bytes.append(
                QString(text[i].isSurrogate() ? QChar(QChar::ReplacementCharacter) : text[i])
                    .toUtf8());
        }
    }
    bytes.squeeze();
    return bytes;
}

} // namespace

QByteArray noteToUtf8(QStringView text) {
    // The exact length first: the toolkit's encoder takes three bytes a character, a 30 MB
    // buffer for a 10 MB note, which would make each save of one the peak of the app's memory.
    // Four units at once where they are plain ASCII, as most of a note is.
    const char16_t *units = text.utf16();
    const qsizetype n = text.size();
    qsizetype length = n;
    bool valid = true;
    for (qsizetype i = 0; i < n;) {
        quint64 word = 0;
        if (i + 4 <= n &&
            (std::memcpy(&word, units + i, sizeof word), !(word & 0xFF80FF80FF80FF80ULL))) {
            i += 4;
            continue;
        }
        const char16_t u = units[i];
        const bool pair =
            QChar::isHighSurrogate(u) && i + 1 < n && QChar::isLowSurrogate(units[i + 1]);
        valid = valid && (pair || !QChar::isSurrogate(u));
        length += u < 0x80 ? 0 : u < 0x800 ? 1 : 2; // a pair: two units, four bytes
        i += pair ? 2 : 1;
    }
    if (!valid)
        return repairedUtf8(text);
    QByteArray bytes(length, Qt::Uninitialized);
    char *out = bytes.data();
    // The toolkit's fast encoder, a slice at a time through a small buffer of its worst case.
    QStringEncoder encoder(QStringEncoder::Utf8);
    constexpr qsizetype slice = 16 * 1024;
    std::vector<char> buffer(size_t(encoder.requiredSpace(slice + 1)));
    for (qsizetype at = 0; at < text.size();) {
        qsizetype end = std::min(text.size(), at + slice);
        if (end < text.size() && text[end - 1].isHighSurrogate())
            ++end; // never a pair in two
        const char *done = encoder.appendToBuffer(buffer.data(), text.sliced(at, end - at));
        std::memcpy(out, buffer.data(), size_t(done - buffer.data()));
        out += done - buffer.data();
        at = end;
    }
    return bytes;
}

void SliceEncoder::start(qsizetype size) {
    running_ = true;
    done_ = 0;
    size_ = size;
    bytes_.clear();
    // No huge pages here: the slices run between keys, and a huge page is cleared all at once
    // when first touched.
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
