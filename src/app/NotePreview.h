// SPDX-License-Identifier: MIT
#pragma once

#include <QDialog>

#include <functional>
#include <memory>

class NotePages;
class QLabel;

/// Print Preview: the note's pages as they go on paper, each drawn when it comes into view,
/// and the later ones laid out a slice a turn meanwhile, so that the first page of a long
/// note shows at once and the window answers while the rest is counted.
class NotePreview : public QDialog {
    Q_OBJECT
public:
    /// `pages` go on sheets of `paper` (points), in its `printable` part at `scale`; `print`
    /// prints the note.
    NotePreview(std::unique_ptr<NotePages> pages, QSizeF paper, QRectF printable, qreal scale,
                std::function<void()> print, QWidget *parent = nullptr);
    ~NotePreview() override;

    /// Whether a page has been drawn on screen.
    bool hasShownAPage() const;
    /// Whether every page is laid out, and how many there are so far.
    bool isComplete() const;
    int knownPages() const;

private:
    class Sheets;
    void layOutMore();

    std::unique_ptr<NotePages> pages_;
    Sheets *sheets_;
    QLabel *count_;
};
