// SPDX-License-Identifier: MIT
#pragma once

#include "Watcher.h"

#include <QWidget>

class CountLabel;
class Divider;
class FindBar;
class NoteEditor;
class NoteModel;
class QVBoxLayout;
class ToolbarView;

/// The main window's content: the editor, a divider, and the toolbar row while it is visible.
/// It asks for confirmation before the note is cleared or replaced by a meeting header.
class ContentView : public QWidget {
    Q_OBJECT
public:
    explicit ContentView(NoteModel &model, QWidget *parent = nullptr);

    /// Moves the keyboard focus into the editor 50 ms from now.
    void focusEditor();
    NoteEditor *editor() const { return editor_; }
    FindBar *findBar() const { return findBar_; }

    /// Shows or hides the count of words and characters below the note.
    void setCountVisible(bool visible);
    bool isCountVisible() const { return countVisible_; }

    bool showClearConfirm() const { return showClearConfirm_; }
    bool showMeetingConfirm() const { return showMeetingConfirm_; }

protected:
    void showEvent(QShowEvent *event) override;

private:
    void refresh();
    void applyFontSize();
    void applyToolbarVisibility();
    void placeCount();
    void clearRequestRaised();
    void confirm(const QString &title, const QString &message, const QString &confirmLabel,
                 bool &shown, std::function<void()> confirmed, std::function<void()> cancelled);

    NoteModel &model_;
    NoteEditor *editor_;
    FindBar *findBar_;
    Divider *divider_;
    QVBoxLayout *layout_;
    ToolbarView *toolbar_ = nullptr;
    CountLabel *count_;
    bool countVisible_ = false;
    double shownFontSize_ = 0;

    bool appeared_ = false;
    bool showClearConfirm_ = false;
    bool showMeetingConfirm_ = false;
    Watcher<quint64> textWatch_;
    Watcher<bool> clearWatch_;
    Watcher<bool> meetingWatch_;
};
