// SPDX-License-Identifier: MIT
// Random edit sequences against the note model, in meeting mode and out of it. After every
// step the model must agree with the stamping rule spelled out on whole strings: the text it
// keeps, the text it last saw, and a stamp only after a line feed typed at the end.
#include "Fakes.h"
#include "MeetingReference.h"
#include "Notemodel.h"

#include <cstdint>
#include <cstdlib>

namespace {

const QStringList pieces = {
    QStringLiteral("\n"),         QStringLiteral("\r"),       QStringLiteral("\r\n"),
    QStringLiteral("a"),          QStringLiteral("09:05 - "), QStringLiteral("1"),
    QStringLiteral(":"),          QStringLiteral(" - "),      QStringLiteral("\u2028"),
    QStringLiteral("\U0001F600"), QStringLiteral("\u0663"),   QString()};

void check(bool condition) {
    if (!condition)
        std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    ModelFixture f;
    auto model = f.make();
    ReferenceModel ref;
    for (size_t i = 0; i + 2 < size; i += 3) {
        const uint8_t op = data[i];
        const qsizetype length = model->text().size();
        const qsizetype position = length == 0 ? 0 : data[i + 1] % (length + 1);
        const QString &piece = pieces[data[i + 2] % pieces.size()];
        switch (op % 8) {
        case 0:
            model->startMeetingMode();
            ref.meeting = true;
            ref.text = ref.previous = model->text();
            break;
        case 1:
            model->endMeetingMode();
            ref.meeting = false;
            ref.previous = ref.text;
            break;
        case 2:
            model->clearNote();
            ref.meeting = false;
            ref.text = ref.previous = QString();
            break;
        case 3: // typed or pasted at the end
            model->replaceText(length, 0, piece);
            ref.text.append(piece);
            break;
        case 4: { // an edit anywhere, perhaps over a selection
            const qsizetype removed = std::min<qsizetype>(op / 8 % 4, length - position);
            model->replaceText(position, removed, piece);
            ref.text.replace(position, removed, piece);
            break;
        }
        default: { // the view catches up
            f.timeline.advance(61'000);
            const QString stamp =
                f.timeline.now().toString(QStringLiteral("HH:mm")) + QStringLiteral(" - ");
            model->handleTextChange();
            ref.handle(ref.text, stamp);
            check(model->previousText() == model->text());
            check(model->previousText() == ref.previous);
        }
        }
        check(model->text() == ref.text);
    }
    return 0;
}
