// SPDX-License-Identifier: MIT
#include "MainWindow.h"

#include "ContentView.h"
#include "MenuCommands.h"
#include "Notemodel.h"

#include <QApplication>
#include <QCloseEvent>
#include <QLabel>
#include <QMenuBar>
#include <QTimer>
#include <QVBoxLayout>

MainWindow::MainWindow(NoteModel &model, QWidget *parent)
    : QMainWindow(parent)
    , model_(model)
    , content_(new ContentView(model))
    , notice_(new QLabel)
    , noticeTimeout_(new QTimer(this))
    , commands_(new MenuCommands(model, *content_->editor(), *menuBar(), this)) {
    setObjectName(QStringLiteral("main"));
    setWindowTitle(QGuiApplication::applicationDisplayName());
#ifdef Q_OS_MACOS
    // The content runs up to the top edge; the window keeps its buttons.
    setWindowFlag(Qt::NoTitleBarBackgroundHint);
    setUnifiedTitleAndToolBarOnMac(true);
    setWindowTitle(QString());
#endif

    // A notice that never takes the keyboard: typing goes on while the disk is in trouble.
    notice_->setObjectName(QStringLiteral("saveNotice"));
    notice_->setWordWrap(true);
    notice_->setContentsMargins(10, 6, 10, 6);
    notice_->setAutoFillBackground(true);
    notice_->setFocusPolicy(Qt::NoFocus);
    notice_->hide();
    noticeTimeout_->setSingleShot(true);
    connect(noticeTimeout_, &QTimer::timeout, notice_, &QWidget::hide);

    auto *central = new QWidget;
    auto *layout = new QVBoxLayout(central);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(notice_);
    layout->addWidget(content_, 1);
    setCentralWidget(central);
    resize(420, 420 + menuBar()->sizeHint().height());

    connect(&model_, &NoteModel::saveFailed, this, &MainWindow::showSaveFailed);
    connect(&model_, &NoteModel::saveRecovered, this, &MainWindow::showSaveRecovered);
}

void MainWindow::bringToFront() {
    if (isMinimized())
        showNormal();
    show();
    raise();
    activateWindow();
}

void MainWindow::closeEvent(QCloseEvent *event) {
    model_.flushAutosave();
    event->accept();
}

void MainWindow::showSaveFailed(const QString &reason) {
    QPalette pal = notice_->palette();
    pal.setColor(QPalette::Window, QColor(0xff, 0xe0, 0x8a));
    pal.setColor(QPalette::WindowText, Qt::black);
    notice_->setPalette(pal);
    notice_->setText(tr("The note cannot be saved: %1. It stays in this window, and saving is "
                        "tried again with your next change.")
                         .arg(reason));
    noticeTimeout_->stop();
    notice_->show();
}

void MainWindow::showSaveRecovered() {
    QPalette pal = notice_->palette();
    pal.setColor(QPalette::Window, QColor(0xc8, 0xf0, 0xc8));
    pal.setColor(QPalette::WindowText, Qt::black);
    notice_->setPalette(pal);
    notice_->setText(tr("The note is saved again."));
    notice_->show();
    noticeTimeout_->start(4000);
}
