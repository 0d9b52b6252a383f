// SPDX-License-Identifier: MIT
#include "NotePreview.h"

#include "NotePages.h"

#include <QAbstractScrollArea>
#include <QDialogButtonBox>
#include <QLabel>
#include <QLocale>
#include <QPainter>
#include <QPushButton>
#include <QScrollBar>
#include <QTimer>
#include <QVBoxLayout>

/// The sheets of paper, one below the other, as wide as the window allows.
class NotePreview::Sheets : public QAbstractScrollArea {
public:
    Sheets(NotePages &pages, QSizeF paper, QRectF printable, qreal scale)
        : pages_(pages)
        , paper_(paper)
        , printable_(printable)
        , scale_(scale) {
        setMinimumSize(420, 480);
        viewport()->setBackgroundRole(QPalette::Dark);
        viewport()->setAutoFillBackground(true);
    }

    bool hasShownAPage = false;

    void adjustScrollBars() {
        const int sheet = sheetHeight() + gap;
        verticalScrollBar()->setRange(
            0, std::max(0, pages_.knownPages() * sheet + gap - viewport()->height()));
        verticalScrollBar()->setPageStep(viewport()->height());
        verticalScrollBar()->setSingleStep(sheet / 20);
    }

protected:
    void resizeEvent(QResizeEvent *) override { adjustScrollBars(); }

    void paintEvent(QPaintEvent *) override {
        QPainter painter(viewport());
        painter.setRenderHint(QPainter::Antialiasing);
        const int sheet = sheetHeight() + gap;
        const int top = verticalScrollBar()->value();
        const qreal zoom = zoomFactor();
        for (int page = top / sheet; page * sheet < top + viewport()->height(); ++page) {
            if (!pages_.reach(page))
                break;
            const QRectF paper(gap, gap + page * sheet - top, paper_.width() * zoom,
                               paper_.height() * zoom);
            painter.fillRect(paper, Qt::white);
            painter.save();
            painter.translate(paper.topLeft() + printable_.topLeft() * zoom);
            painter.scale(zoom * scale_, zoom * scale_);
            painter.setPen(Qt::black);
            pages_.draw(painter, page);
            painter.restore();
            hasShownAPage = true;
        }
    }

private:
    static constexpr int gap = 12;
    qreal zoomFactor() const {
        return std::max(0.1, (viewport()->width() - 2 * gap) / paper_.width());
    }
    int sheetHeight() const { return qRound(paper_.height() * zoomFactor()); }

    NotePages &pages_;
    QSizeF paper_;
    QRectF printable_;
    qreal scale_;
};

NotePreview::NotePreview(std::unique_ptr<NotePages> pages, QSizeF paper, QRectF printable,
                         qreal scale, std::function<void()> print, QWidget *parent)
    : QDialog(parent)
    , pages_(std::move(pages))
    , sheets_(new Sheets(*pages_, paper, printable, scale))
    , count_(new QLabel) {
    setObjectName(QStringLiteral("printPreview"));
    setWindowTitle(tr("Print Preview"));
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Close);
    QPushButton *printButton = buttons->addButton(tr("&Print…"), QDialogButtonBox::ActionRole);
    connect(printButton, &QPushButton::clicked, this, std::move(print));
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(sheets_, 1);
    auto *row = new QHBoxLayout;
    row->addWidget(count_, 1);
    row->addWidget(buttons);
    layout->addLayout(row);
    resize(640, 820);
    // The rest is laid out a slice a turn: the window answers meanwhile.
    auto *slices = new QTimer(this);
    connect(slices, &QTimer::timeout, this, [this, slices] {
        layOutMore();
        if (isComplete())
            slices->stop();
    });
    slices->start(0);
    layOutMore();
}

NotePreview::~NotePreview() = default;

void NotePreview::layOutMore() {
    pages_->layOutMore();
    sheets_->adjustScrollBars();
    // "Pages: N" reads right for one page too, where English has no plural catalogue.
    const QString pages = QLocale().toString(pages_->knownPages());
    count_->setText(isComplete() ? tr("Pages: %1").arg(pages) : tr("Pages so far: %1").arg(pages));
}

bool NotePreview::hasShownAPage() const {
    return sheets_->hasShownAPage;
}

bool NotePreview::isComplete() const {
    return pages_->isComplete();
}

int NotePreview::knownPages() const {
    return pages_->knownPages();
}
