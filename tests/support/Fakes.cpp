// SPDX-License-Identifier: MIT
#include "Fakes.h"

#include "Notemodel.h"

std::unique_ptr<NoteModel> ModelFixture::make(double systemFontSize) {
    return std::make_unique<NoteModel>(
        NoteModel::Services{store, clock, timeline.makeTimer(), presentations, systemFontSize});
}
