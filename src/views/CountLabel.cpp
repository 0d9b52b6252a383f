// SPDX-License-Identifier: MIT
#include "CountLabel.h"

#include "NoteEditor.h"
#include "Notemodel.h"

#include <QLocale>
#include <QPainter>

CountLabel::CountLabel(NoteModel &model, NoteEditor &editor, QWidget *parent)
    : QWidget(parent)
    , model_(model)
    , editor_(editor) {
    setObjectName(QStringLiteral("count"));
    setContentsMargins(12, 0, 12, 0);
    setForegroundRole(QPalette::PlaceholderText);
    QFont small = font();
    small.setPointSizeF(small.pointSizeF() * 0.9);
    setFont(small);
    // It gives way to the buttons, shortened rather than clipped, and never makes the window
    // wider than it could be without it. Its size stays as it is while the count changes, so
    // that a key lays nothing out again.
    setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Fixed);
    connect(&model_, &NoteModel::textReplaced, this,
            [this](qsizetype position, qsizetype removed, qsizetype added) {
                if (!counting_)
                    return;
                counts_.replaced(model_.text(), position, removed, added);
                refresh_.start();
            });
    connect(&model_, &NoteModel::textAssigned, this, [this] {
        if (!counting_)
            return;
        counts_.reset(model_.text());
        refresh_.start();
    });
    refresh_.setObjectName(QStringLiteral("recount"));
    refresh_.setSingleShot(true);
    refresh_.setInterval(200); // as the find bar's count
    connect(&refresh_, &QTimer::timeout, this, &CountLabel::refresh);
    connect(&editor_, &NoteEditor::selectionChanged, &refresh_, [this] {
        if (counting_)
            refresh_.start();
    });
}

void CountLabel::showEvent(QShowEvent *event) {
    QWidget::showEvent(event);
    if (counting_)
        return;
    counting_ = true;
    counts_.reset(model_.text());
    refresh();
}

void CountLabel::hideEvent(QHideEvent *event) {
    QWidget::hideEvent(event);
    counting_ = false; // nothing is counted while no one looks
}

void CountLabel::refresh() {
    if (!counting_)
        return;
    const auto [from, to] = editor_.noteSelection();
    const bool selection = from < to;
    const TextCounts::Counts counts =
        selection ? counts_.range(model_.text(), from, to) : counts_.total();
    const QLocale numbers;
    text_ = (selection ? tr("Selected words: %1, characters: %2") : tr("Words: %1, characters: %2"))
                .arg(numbers.toString(counts.words), numbers.toString(counts.characters));
    setAccessibleName(text_);
    update();
}

QSize CountLabel::sizeHint() const {
    return {0, fontMetrics().height() + 8};
}

void CountLabel::paintEvent(QPaintEvent *) {
    QPainter p(this);
    p.setPen(palette().color(foregroundRole()));
    const QRect room = contentsRect();
    p.drawText(room, Qt::AlignLeft | Qt::AlignVCenter,
               fontMetrics().elidedText(text_, Qt::ElideRight, room.width()));
}
