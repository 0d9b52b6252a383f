// SPDX-License-Identifier: MIT
#include "CaptureRequests.h"

#include "ContentView.h"
#include "GlobalShortcut.h"
#include "MainWindow.h"
#include "NoteEditor.h"
#include "Notemodel.h"
#include "NoticeBar.h"

#include <QApplication>
#include <QScopeGuard>
#include <QSettings>
#include <QTextCursor>
#include <QTimer>
#include <QWindow>

CaptureRequests::CaptureRequests(SingleInstance &instance, MainWindow &window, NoteModel &model,
                                 bool globalShortcut, QObject *parent)
    : QObject(parent)
    , instance_(instance)
    , window_(window)
    , model_(model)
    , closing_(new QTimer(this)) {
    instance_.setHandler(
        [this](const SingleInstance::Request &request) { return answer(request); });
    // A window closing may end the app: a request that comes meanwhile waits to see which.
    window_.installEventFilter(this);
    closing_->setSingleShot(true);
    connect(closing_, &QTimer::timeout, this, [this] {
        if (window_.isVisible()) // kept open, to answer a question about the unsaved words
            instance_.holdRequests(false);
    });
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

bool CaptureRequests::eventFilter(QObject *watched, QEvent *event) {
    if (watched == &window_ && event->type() == QEvent::Close) {
        instance_.holdRequests(true);
        closing_->start(); // a timer, which the writes on the way out do not run
    }
    return false;
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

QList<QWidget *> CaptureRequests::openDialogs() const {
    QList<QWidget *> dialogs;
    for (QWidget *widget : QApplication::topLevelWidgets()) {
        QWidget *owner = widget->parentWidget();
        while (owner && owner != &window_)
            owner = owner->parentWidget();
        if (owner && widget->isVisible())
            dialogs << widget;
    }
    return dialogs;
}

bool CaptureRequests::hasKeyboard() const {
    if (!window_.isVisible() || window_.isMinimized())
        return false;
    const QWidget *active = QApplication::activeWindow();
    return window_.isActiveWindow() || (active && openDialogs().contains(active));
}

void CaptureRequests::show(const QString &activationToken) {
    // The toolkit hands the token to the compositor with the next activation request.
    if (!activationToken.isEmpty())
        qputenv("XDG_ACTIVATION_TOKEN", activationToken.toUtf8());
    // A window first shown now, after a start without one, has no focus to give back yet.
    if (!window_.focusWidget())
        window_.content()->editor()->setFocus();
    window_.bringToFront();
    for (const QPointer<QWidget> &dialog : std::exchange(hiddenDialogs_, {}))
        if (dialog)
            dialog->show();
    // A question the window waits for keeps the keyboard: the window takes none while it is
    // open.
    if (QWidget *modal = QApplication::activeModalWidget();
        modal && openDialogs().contains(modal)) {
        modal->raise();
        modal->activateWindow();
    } else if (window_.windowHandle()->isActive() && !window_.isActiveWindow()) {
        // Hidden and shown again before the toolkit takes a lost focus for lasting (0.4 s on
        // X11), the window never lost the keyboard for the platform, and the widgets are not
        // told that it has it back: without a focus widget the caret is not drawn, and the next
        // toggle would show the window again instead of hiding it.
        QApplication::setActiveWindow(&window_);
    }
    tellShortcutMissing();
}

void CaptureRequests::toggle(const QString &activationToken) {
    if (!hasKeyboard())
        return show(activationToken);
    // The app goes on; closing the window is what quits. Its dialogs go with it, unanswered,
    // and come back with it.
    for (QWidget *dialog : openDialogs()) {
        hiddenDialogs_ << dialog;
        dialog->hide();
    }
    window_.hide();
}

std::optional<QString> CaptureRequests::append(const QString &lines) {
    // A request that comes while this one saves waits its turn.
    instance_.holdRequests(true);
    const auto release = qScopeGuard([this] { instance_.holdRequests(false); });
    const QString &text = model_.text();
    const qsizetype lastLine = text.lastIndexOf(u'\n') + 1;
    const QString before = text.sliced(lastLine);
    // In the note's positions: a large note still arriving grows the document at its start.
    NoteEditor *editor = window_.content()->editor();
    const qsizetype end = text.size();
    const qsizetype anchor = editor->notePosition(editor->textCursor().anchor());
    const qsizetype position = editor->notePosition(editor->textCursor().position());
    model_.appendLines(lines);
    // The user typing at the end goes on in the same line, and the lines go after it: a word
    // being typed is never cut in two. On a line still empty, the caret follows to the end.
    const QString &after = model_.text();
    if ((anchor == end || position == end) && !before.isEmpty() &&
        after.size() > lastLine + before.size() && after[lastLine + before.size()] == u'\n' &&
        QStringView(after).sliced(lastLine, before.size()) == before) {
        QTextCursor caret(editor->document());
        caret.setPosition(editor->documentPosition(anchor));
        caret.setPosition(editor->documentPosition(position), QTextCursor::KeepAnchor);
        editor->setTextCursor(caret);
    }
    const QString added = after.sliced(end);
    model_.flushAutosave();
    if (!model_.isSaveFailing())
        return std::nullopt;
    // Taken out again: the command says they were not added, and a script may try again. Only
    // what this request added: another writer's lines merged in meanwhile stay.
    const QString &now = model_.text();
    const qsizetype at = now.endsWith(added) ? now.size() - added.size() : now.lastIndexOf(added);
    if (at >= 0)
        model_.replaceText(at, added.size(), {});
    return tr("the note cannot be saved, so nothing was added: %1").arg(model_.saveFailure());
}

void CaptureRequests::tellShortcutMissing() {
    // Said once, where it is seen, and never over another notice.
    NoticeBar *notice = window_.notice();
    if (!shortcutMissing_ || !window_.isVisible() || !notice->text().isEmpty())
        return;
    shortcutMissing_ = false;
    QSettings().setValue(shortcutToldKey, true);
    // The command on a line of its own: the notice wraps at the hyphens of a longer line, and a
    // user copying "mirt --" would have half of it.
    notice->inform(tr("This desktop offers apps no global shortcut. To show or hide the note "
                      "with a key, bind this command in the desktop's keyboard settings:\n%1")
                       .arg(QStringLiteral("mirt --toggle")));
}
