// SPDX-License-Identifier: MIT
#include "KeepAtHand.h"

#include "StartAtLogin.h"

#include <QAction>
#include <QGuiApplication>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QSettings>

KeepAtHand::KeepAtHand(QWidget &window, QMenuBar &menuBar)
    : QObject(&window)
    , window_(window)
    , startAtLogin_(new QAction(tr("&Start at Login"), this))
    , keepOnTop_(new QAction(tr("&Keep on Top"), this)) {
    startAtLogin_->setObjectName(QStringLiteral("startAtLogin"));
    startAtLogin_->setCheckable(true);
    startAtLogin_->setChecked(StartAtLogin::isOn());
    connect(startAtLogin_, &QAction::toggled, this, &KeepAtHand::startAtLogin);
    keepOnTop_->setObjectName(QStringLiteral("keepOnTop"));
    keepOnTop_->setCheckable(true);
    keepOnTop_->setChecked(canKeepOnTop() && QSettings().value(keepOnTopKey).toBool());
    window_.setWindowFlag(Qt::WindowStaysOnTopHint, keepOnTop_->isChecked());
    connect(keepOnTop_, &QAction::toggled, this, &KeepAtHand::keepOnTop);

    // Apart from the note's own commands: before Quit, and after the view's.
    QMenu *file = menuBar.findChild<QMenu *>(QStringLiteral("fileMenu"));
    QAction *quit = file->actions().last();
    file->insertAction(quit, startAtLogin_);
    file->insertSeparator(quit);
    QMenu *view = menuBar.findChild<QMenu *>(QStringLiteral("viewMenu"));
    view->addSeparator();
    view->addAction(keepOnTop_);
}

bool KeepAtHand::canKeepOnTop() {
    return !QGuiApplication::platformName().startsWith(QLatin1String("wayland"));
}

void KeepAtHand::startAtLogin(bool on) {
    const std::optional<QString> error = StartAtLogin::setOn(on);
    if (!error)
        return;
    const QSignalBlocker quiet(startAtLogin_);
    startAtLogin_->setChecked(!on);
    tell(on ? tr("Mirt cannot be set to start at login.")
            : tr("Mirt cannot be kept from starting at login."),
         *error);
}

void KeepAtHand::keepOnTop(bool on) {
    if (on && !canKeepOnTop()) {
        const QSignalBlocker quiet(keepOnTop_);
        keepOnTop_->setChecked(false);
        tell(tr("This desktop keeps no window on top because the window asks for it."),
             tr("Its own window menu may offer \"Always on Top\" (Alt+Space on many desktops)."));
        return;
    }
    QSettings().setValue(keepOnTopKey, on);
    const bool shown = window_.isVisible();
    window_.setWindowFlag(Qt::WindowStaysOnTopHint, on);
    if (shown) { // a window whose flags change is hidden
        window_.show();
        window_.activateWindow();
    }
}

void KeepAtHand::tell(const QString &message, const QString &detail) {
    auto *box =
        new QMessageBox(QMessageBox::Information, QString(), message, QMessageBox::Ok, &window_);
    box->setInformativeText(detail);
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->open();
}
