// SPDX-License-Identifier: MIT
#include "MainWindow.h"

#include "ContentView.h"
#include "FileDrop.h"
#include "KeepAtHand.h"
#include "MenuCommands.h"
#include "NoteEditor.h"
#include "Notemodel.h"
#include "NoticeBar.h"
#include "Spelling.h"

#include <QCloseEvent>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDesktopServices>
#include <QFileInfo>
#include <QGuiApplication>
#include <QMenuBar>
#include <QSettings>
#include <QUrl>
#include <QVBoxLayout>

MainWindow::MainWindow(NoteModel &model, NoteHistory *history, QWidget *parent)
    : QMainWindow(parent)
    , content_(new ContentView(model))
    , notice_(new NoticeBar)
    , spelling_(new Spelling(*content_->editor(), this))
    , commands_(new MenuCommands(model, *content_, *spelling_, *menuBar(), history, this)) {
    setObjectName(QStringLiteral("main"));
    setWindowTitle(QGuiApplication::applicationDisplayName());
#ifdef Q_OS_MACOS
    // The content runs up to the top edge; the window keeps its buttons.
    setWindowFlag(Qt::NoTitleBarBackgroundHint);
    setUnifiedTitleAndToolBarOnMac(true);
    setWindowTitle(QString());
#endif

    auto *central = new QWidget;
    auto *layout = new QVBoxLayout(central);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(notice_);
    layout->addWidget(content_, 1);
    setCentralWidget(central);
    new KeepAtHand(*this, *menuBar());
    // Where the user left it; the first time, 420 × 420 points of content.
    if (!restoreGeometry(QSettings().value(geometryKey).toByteArray()))
        resize(420, 420 + menuBar()->sizeHint().height());

    connect(&model, &NoteModel::saveFailed, notice_, [this](const QString &reason) {
        notice_->alert(tr("The note cannot be saved: %1. It stays in this window, and saving "
                          "is tried again with your next change.")
                           .arg(reason));
    });
    connect(&model, &NoteModel::saveRecovered, notice_,
            [this] { notice_->resolve(tr("The note is saved again.")); });
    connect(&model, &NoteModel::noticed, notice_, &NoticeBar::inform);
    connect(&model, &NoteModel::copyKept, this, &MainWindow::nameKeptFile);
    connect(new FileDrop(*content_->editor(), this), &FileDrop::refused, notice_,
            &NoticeBar::inform);
}

void MainWindow::closeEvent(QCloseEvent *event) {
    QSettings().setValue(geometryKey, saveGeometry());
    QMainWindow::closeEvent(event);
}

void MainWindow::bringToFront() {
    if (isMinimized())
        showNormal();
    show();
    raise();
    activateWindow();
}

void MainWindow::nameKeptFile(const QString &message, const QString &path) {
    notice_->hold(message, tr("Show Copy"), [path] {
        // The desktop's file manager, with the file selected; else its folder, opened.
        QDBusMessage call = QDBusMessage::createMethodCall(
            QStringLiteral("org.freedesktop.FileManager1"),
            QStringLiteral("/org/freedesktop/FileManager1"),
            QStringLiteral("org.freedesktop.FileManager1"), QStringLiteral("ShowItems"));
        call << QStringList{QUrl::fromLocalFile(path).toString()} << QString();
        const auto openFolder = [path] {
            QDesktopServices::openUrl(QUrl::fromLocalFile(QFileInfo(path).absolutePath()));
        };
        QDBusConnection bus = QDBusConnection::sessionBus();
        if (!bus.isConnected())
            return openFolder();
        auto *watcher = new QDBusPendingCallWatcher(bus.asyncCall(call, 3000));
        QObject::connect(watcher, &QDBusPendingCallWatcher::finished, [openFolder](auto *done) {
            if (done->isError())
                openFolder();
            done->deleteLater();
        });
    });
}
