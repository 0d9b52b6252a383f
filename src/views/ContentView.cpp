// SPDX-License-Identifier: MIT
#include "ContentView.h"

#include "CountLabel.h"
#include "Divider.h"
#include "FindBar.h"
#include "ModelObserver.h"
#include "NoteEditor.h"
#include "NoteFont.h"
#include "Notemodel.h"
#include "ToolbarView.h"

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QShortcut>
#include <QTextEdit>
#include <QTimer>
#include <QVBoxLayout>

namespace {

QWidget *firstTextEditor(QWidget *root) {
    if (qobject_cast<QPlainTextEdit *>(root) || qobject_cast<QTextEdit *>(root))
        return root;
    for (QObject *child : root->children()) {
        if (auto *widget = qobject_cast<QWidget *>(child); widget && !widget->isWindow()) {
            if (QWidget *found = firstTextEditor(widget))
                return found;
        }
    }
    return nullptr;
}

// The window is chosen when the step runs: the active one, else the first of the application.
void focusFirstTextEditor() {
    QWidget *window = QApplication::activeWindow();
    if (!window) {
        const auto windows = QApplication::topLevelWidgets();
        const auto visible =
            std::find_if(windows.begin(), windows.end(), [](QWidget *w) { return w->isVisible(); });
        if (visible == windows.end())
            return;
        window = *visible;
    }
    if (QWidget *editor = firstTextEditor(window))
        editor->setFocus(Qt::OtherFocusReason);
}

} // namespace

ContentView::ContentView(NoteModel &model, QWidget *parent)
    : QWidget(parent)
    , model_(model)
    , editor_(new NoteEditor(model))
    , findBar_(new FindBar(model, *editor_))
    , divider_(new Divider)
    , layout_(new QVBoxLayout(this))
    , count_(new CountLabel(model, *editor_)) {
    setObjectName(QStringLiteral("content"));
    setMinimumSize(320, 320);
    // The text background shows in the editor's margin, so the margin reads as the editor's.
    QPalette pal = palette();
    pal.setColor(QPalette::Window, pal.color(QPalette::Base));
    setPalette(pal);
    setAutoFillBackground(true);

    auto *editorArea = new QWidget;
    auto *margin = new QVBoxLayout(editorArea);
    margin->setContentsMargins(6, 6, 6, 6);
    margin->addWidget(editor_);

    layout_->setContentsMargins(0, 0, 0, 0);
    layout_->setSpacing(0);
    layout_->addWidget(editorArea, 1);
    layout_->addWidget(findBar_);
    layout_->addWidget(divider_);

    // Tab is typed into the note; Ctrl+Tab moves on to the controls around it, as in the
    // desktop's own text views.
    const auto moveFocus = [this](QKeyCombination keys, bool forward) {
        connect(new QShortcut(keys, this, nullptr, nullptr, Qt::WidgetWithChildrenShortcut),
                &QShortcut::activated, this, [this, forward] { focusNextPrevChild(forward); });
    };
    moveFocus(Qt::CTRL | Qt::Key_Tab, true);
    moveFocus(Qt::CTRL | Qt::SHIFT | Qt::Key_Backtab, false);
    new ModelObserver(
        model_, [this] { refresh(); }, this);
    applyFontSize();
    applyToolbarVisibility();
}

void ContentView::showEvent(QShowEvent *event) {
    QWidget::showEvent(event);
    if (appeared_)
        return;
    appeared_ = true;
    // Handlers see changes from here on, never the values the model already had.
    textWatch_.start(model_.textRevision());
    clearWatch_.start(model_.clearRequested());
    meetingWatch_.start(model_.meetingConfirmRequested());
    focusEditor();
    refresh(); // what was set before this moment is no change
}

void ContentView::focusEditor() {
    QTimer::singleShot(50, this, &focusFirstTextEditor);
}

void ContentView::refresh() {
    applyFontSize();
    applyToolbarVisibility();
    if (!appeared_)
        return;

    if (textWatch_.changed(model_.textRevision()) && model_.text().isEmpty())
        focusEditor();
    if (clearWatch_.changed(model_.clearRequested()) && model_.clearRequested())
        clearRequestRaised();
    if (meetingWatch_.changed(model_.meetingConfirmRequested()) &&
        model_.meetingConfirmRequested()) {
        confirm(
            tr("Start Meeting Mode?"),
            tr("The current note will be replaced with a new meeting note."),
            tr("Clear & Start Meeting"), showMeetingConfirm_, [this] { model_.startMeetingMode(); },
            [this] { model_.setMeetingConfirmRequested(false); });
    }
}

void ContentView::applyFontSize() {
    // Setting a font lays the whole note out again: only when the size really changed.
    if (model_.fontSize() == shownFontSize_)
        return;
    shownFontSize_ = model_.fontSize();
    editor_->setFont(noteFont(shownFontSize_));
}

void ContentView::applyToolbarVisibility() {
    const bool visible = model_.toolbarVisible();
    divider_->setOpacity(visible ? 0.25 : 0.0);
    if (visible && !toolbar_) {
        toolbar_ = new ToolbarView(model_);
        layout_->addWidget(toolbar_);
    } else if (!visible && toolbar_) {
        count_->setParent(this); // out of the row before it goes
        delete toolbar_;
        toolbar_ = nullptr;
    }
    placeCount();
}

void ContentView::setCountVisible(bool visible) {
    countVisible_ = visible;
    placeCount();
}

void ContentView::placeCount() {
    // In the toolbar's empty leading end while there is one, else in a slim row of its own.
    if (toolbar_)
        toolbar_->setLeading(count_);
    else if (layout_->indexOf(count_) < 0)
        layout_->addWidget(count_);
    count_->setVisible(countVisible_);
}

void ContentView::clearRequestRaised() {
    if (NoteModel::isBlank(model_.text())) {
        model_.clearNote();
        return;
    }
    confirm(
        tr("Clear the current note?"),
        tr("This will permanently delete all content in the current note."), tr("Clear Note"),
        showClearConfirm_, [this] { model_.clearNote(); },
        [this] { model_.setClearRequested(false); });
}

void ContentView::confirm(const QString &title, const QString &message, const QString &confirmLabel,
                          bool &shown, std::function<void()> confirmed,
                          std::function<void()> cancelled) {
    auto *box = new QMessageBox(this);
    box->setObjectName(QStringLiteral("confirmation"));
    box->setText(title);
    box->setInformativeText(message);
    // Shown exactly as written: a lone "&" would turn into a mnemonic underline.
    QPushButton *confirmButton = box->addButton(
        QString(confirmLabel).replace(u'&', QStringLiteral("&&")), QMessageBox::DestructiveRole);
    QPushButton *cancelButton = box->addButton(tr("Cancel"), QMessageBox::RejectRole);
    // A stray Return must not destroy the note.
    box->setDefaultButton(cancelButton);
    box->setEscapeButton(cancelButton);
    box->setWindowModality(Qt::WindowModal);
    box->setAttribute(Qt::WA_DeleteOnClose);
    connect(box, &QMessageBox::finished, this,
            [this, box, confirmButton, &shown, confirmed, cancelled] {
                shown = false;
                if (box->clickedButton() == confirmButton) {
                    confirmed();
                    focusEditor();
                } else {
                    cancelled();
                }
            });
    shown = true;
    box->open();
}
