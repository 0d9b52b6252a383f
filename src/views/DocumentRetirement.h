// SPDX-License-Identifier: MIT
#pragma once

class QPlainTextEdit;
class QTextDocument;

/// Freeing a large document takes longer than a frame. When the editor is done with one (the
/// note cleared or replaced as a whole), it moves to a new document at once, and the old one is
/// taken apart a slice a turn of the event loop, so that clearing a large note never holds up a
/// key.
namespace DocumentRetirement {

/// Gives `editor` a new, empty document set up like its current one, which it retires.
QTextDocument *replace(QPlainTextEdit &editor);

} // namespace DocumentRetirement
