// SPDX-License-Identifier: MIT
#include "CaptureRequests.h"

#include "ContentView.h"
#include "GlobalShortcut.h"
#include "MainWindow.h"
#include "NoteEditor.h"
#include "Notemodel.h"
#include "NoticeBar.h"

#include <QApplication>
#include <QSettings>
#include <QWindow>

CaptureRequests::CaptureRequests(SingleInstance &instance, MainWindow &window, NoteModel &model,
                                 bool globalShortcut, QObject *parent)
    : QObject(parent)
    , instance_(instance)
    , window_(window)
    , model_(model) {
    instance_.setHandler(
        [this](const SingleInstance::Request &request) { return answer(request); });
    if (!globalShortcut)
        return;
    auto *shortcut = new GlobalShortcut(this);
    connect(shortcut, &GlobalShortcut::activated, this, &CaptureRequests::toggle);
    connect(shortcut, &GlobalShortcut::unavailable, this, [this] {
        shortcutMissing_ = !QSettings().value(shortcutToldKey).toBool();
        tellShortcutMissing();
    });
}

CaptureRequests::~CaptureRequests() {
    instance_.setHandler(nullptr);
}

std::optional<QString> CaptureRequests::answer(const SingleInstance::Request &request) {
    if (request.action == QLatin1String("activate") || request.action == QLatin1String("show"))
        show(request.activationToken);
    else if (request.action == QLatin1String("toggle"))
        toggle(request.activationToken);
    else if (request.action == QLatin1String("append"))
        return append(request.text);
    else
        return tr("Mirt has no action \"%1\"").arg(request.action);
    return std::nullopt;
}

void CaptureRequests::standBy() {
    window_.winId();
    window_.grab();
}

void CaptureRequests::show(const QString &activationToken) {
    // The toolkit hands the token to the compositor with the next activation request.
    if (!activationToken.isEmpty())
        qputenv("XDG_ACTIVATION_TOKEN", activationToken.toUtf8());
    // A window first shown now, after a start without one, has no focus to give back yet.
    if (!window_.focusWidget())
        window_.content()->editor()->setFocus();
    window_.bringToFront();
    // Hidden and shown again before the toolkit takes a lost focus for lasting (0.4 s on X11),
    // the window never lost the keyboard for the platform, and the widgets are not told that it
    // has it back: without a focus widget the caret is not drawn, and the next toggle would
    // show the window again instead of hiding it.
    if (window_.windowHandle()->isActive() && !window_.isActiveWindow())
        QApplication::setActiveWindow(&window_);
    tellShortcutMissing();
}

void CaptureRequests::toggle(const QString &activationToken) {
    if (window_.isVisible() && !window_.isMinimized() && window_.isActiveWindow())
        window_.hide(); // the app goes on; closing the window is what quits
    else
        show(activationToken);
}

std::optional<QString> CaptureRequests::append(const QString &lines) {
    model_.appendLines(lines);
    model_.flushAutosave();
    if (model_.isSaveFailing())
        return tr("the lines are in the window, but the note cannot be saved: %1")
            .arg(model_.saveFailure());
    return std::nullopt;
}

void CaptureRequests::tellShortcutMissing() {
    // Said once, where it is seen, and never over another notice.
    NoticeBar *notice = window_.notice();
    if (!shortcutMissing_ || !window_.isVisible() || !notice->text().isEmpty())
        return;
    shortcutMissing_ = false;
    QSettings().setValue(shortcutToldKey, true);
    notice->inform(tr("This desktop offers apps no global shortcut. To show or hide the note "
                      "with a key, bind the command \"mirt --toggle\" in the desktop's keyboard "
                      "settings."));
}
