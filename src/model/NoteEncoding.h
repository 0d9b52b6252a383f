// SPDX-License-Identifier: MIT
#pragma once

#include <QByteArray>
#include <QStringView>

/// The note as UTF-8. UTF-8 has no spelling for half a surrogate pair; the toolkit would write
/// '?', which cannot be told from a real one, so such a half becomes U+FFFD.
QByteArray noteToUtf8(QStringView text);

/// The note from its UTF-8 bytes, with a leading U+FEFF kept as part of it. `exact` tells
/// whether the bytes were valid UTF-8, so that the text spells them out exactly. Plain ASCII
/// runs are widened without the decoder, which is several times slower on them.
QString noteFromUtf8(QByteArrayView bytes, bool *exact);

/// Asks for a buffer of a large note to be backed by huge pages where the system has them. A
/// 10 MB note is read and decoded into fresh buffers before the window shows, and page faults,
/// one per 4 KiB, cost more than the work itself, several times over on a virtual machine.
void adviseLargeBuffer(void *data, qsizetype size);

/// Encodes a text a slice at a time, so that a large note can be turned into UTF-8 between
/// events on the thread that owns it, without sharing or copying the text.
class SliceEncoder {
public:
    /// Starts over for a text of `size` UTF-16 units.
    void start(qsizetype size);
    bool isRunning() const { return running_; }
    void cancel();
    /// Encodes up to about `units` more of `text`, which must be unchanged since start().
    /// Returns true once the whole text is encoded.
    bool step(QStringView text, qsizetype units);
    /// The encoded bytes, once step() returned true; the encoder is idle afterwards.
    QByteArray take();

private:
    bool running_ = false;
    qsizetype done_ = 0;
    qsizetype size_ = 0;
    QByteArray bytes_;
};
