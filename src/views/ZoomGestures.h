// SPDX-License-Identifier: MIT
#pragma once

#include <QtGlobal>

class NoteModel;
class QEvent;
class QWheelEvent;

/// Ctrl and the wheel, and a pinch on a touchpad, step the note's font size like the menu
/// commands: through the model, within its bounds, and remembered. The toolkit's own zoom would
/// leave the model behind.
class ZoomGestures {
public:
    explicit ZoomGestures(NoteModel &model)
        : model_(model) {}

    /// Whether the wheel event zoomed; the editor scrolls with the others.
    bool wheel(QWheelEvent *event);
    /// Whether `event` was a pinch, taken here.
    bool gesture(QEvent *event);

private:
    NoteModel &model_;
    qreal pinch_ = 0; // a pinch comes in small steps; a font size step takes a quarter
};
