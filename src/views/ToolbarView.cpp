// SPDX-License-Identifier: MIT
#include "ToolbarView.h"

#include "ModelObserver.h"
#include "Notemodel.h"
#include "SymbolButton.h"

#include <QHBoxLayout>
#include <QPainter>

ToolbarView::ToolbarView(NoteModel &model, QWidget *parent)
    : QWidget(parent)
    , model_(model)
    , meeting_(new SymbolButton(SymbolButton::Symbol::RecordCircle))
    , export_(new SymbolButton(SymbolButton::Symbol::ExportDocument))
    , row_(new QHBoxLayout(this)) {
    setObjectName(QStringLiteral("toolbar"));
    setFixedHeight(42);
    meeting_->setObjectName(QStringLiteral("meetingButton"));
    export_->setObjectName(QStringLiteral("exportButton"));
    export_->setToolTip(tr("Export Note"));
    export_->setAccessibleName(tr("Export Note"));

    auto *group = new QWidget;
    group->setObjectName(QStringLiteral("toolbarButtons"));
    auto *buttons = new QHBoxLayout(group);
    buttons->setContentsMargins(12, 7, 12, 7);
    buttons->setSpacing(4);
    buttons->addWidget(meeting_);
    buttons->addWidget(export_);

    row_->setContentsMargins(0, 0, 0, 0);
    row_->setSpacing(0);
    row_->addStretch(1);
    row_->addWidget(group);

    connect(meeting_, &QAbstractButton::clicked, &model_, &NoteModel::toggleMeetingMode);
    connect(export_, &QAbstractButton::clicked, &model_, &NoteModel::exportNote);
    new ModelObserver(
        model_, [this] { refresh(); }, this);
    refresh();
}

void ToolbarView::setLeading(QWidget *widget) {
    if (row_->indexOf(widget) < 0)
        row_->insertWidget(0, widget, 1);
}

void ToolbarView::refresh() {
    // Most announcements are keystrokes: the row repaints only when its look changes.
    const bool on = model_.isMeetingMode();
    if (shownMeetingMode_ == on)
        return;
    shownMeetingMode_ = on;
    meeting_->setSymbol(on ? SymbolButton::Symbol::RecordCircleFill
                           : SymbolButton::Symbol::RecordCircle);
    const QString help = on ? tr("End Meeting") : tr("Meeting Mode");
    meeting_->setToolTip(help);
    meeting_->setAccessibleName(help);
}

void ToolbarView::paintEvent(QPaintEvent *) {
    QPainter p(this);
    QColor background = palette().color(QPalette::Window);
    background.setAlphaF(0.7f);
    p.fillRect(rect(), background);
}
