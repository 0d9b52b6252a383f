// SPDX-License-Identifier: MIT
#include "NoticeBar.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QTimer>
#include <QToolButton>

namespace {

// The toolkit's AT-SPI bridge drops alert events, so the strip is a notification: screen
// readers speak a notification whenever it is shown, with its name, the message.
class NoticeAccessible : public QAccessibleWidget {
public:
    explicit NoticeAccessible(NoticeBar *bar)
        : QAccessibleWidget(bar, QAccessible::Notification) {}
    QString text(QAccessible::Text t) const override {
        return t == QAccessible::Name ? static_cast<NoticeBar *>(widget())->text()
                                      : QAccessibleWidget::text(t);
    }
};

QAccessibleInterface *noticeAccessible(const QString &className, QObject *object) {
    if (className == QLatin1String("NoticeBar"))
        if (auto *bar = qobject_cast<NoticeBar *>(object))
            return new NoticeAccessible(bar);
    return nullptr;
}

} // namespace

NoticeBar::NoticeBar(QWidget *parent)
    : QWidget(parent)
    , message_(new QLabel)
    , action_(new QPushButton)
    , dismiss_(new QToolButton)
    , timeout_(new QTimer(this)) {
    static const bool accessible = (QAccessible::installFactory(&noticeAccessible), true);
    Q_UNUSED(accessible);
    setObjectName(QStringLiteral("notice"));
    message_->setObjectName(QStringLiteral("noticeMessage"));
    // A folder named "<i>x</i>" is shown as it is named.
    message_->setTextFormat(Qt::PlainText);
    message_->setWordWrap(true);
    message_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    message_->setFocusPolicy(Qt::NoFocus); // typing goes on while the notice is up
    action_->setObjectName(QStringLiteral("noticeAction"));
    dismiss_->setObjectName(QStringLiteral("dismissNotice"));
    dismiss_->setAutoRaise(true);
    dismiss_->setText(QStringLiteral("\u2715"));
    dismiss_->setToolTip(tr("Dismiss"));
    dismiss_->setAccessibleName(tr("Dismiss the notice"));
    // Tab reaches the buttons; a click presses them and leaves the keyboard where it was.
    for (QWidget *button : {static_cast<QWidget *>(action_), static_cast<QWidget *>(dismiss_)})
        button->setFocusPolicy(Qt::TabFocus);
    action_->setAutoDefault(false);

    auto *row = new QHBoxLayout(this);
    row->setContentsMargins(14, 4, 6, 4);
    row->addWidget(message_, 1);
    row->addWidget(action_, 0, Qt::AlignVCenter);
    row->addWidget(dismiss_, 0, Qt::AlignVCenter);
    hide();

    timeout_->setSingleShot(true);
    timeout_->setInterval(8000);
    connect(timeout_, &QTimer::timeout, this, [this] {
        transient_.clear();
        showCurrent();
    });
    connect(dismiss_, &QToolButton::clicked, this, &NoticeBar::dismiss);
    connect(action_, &QPushButton::clicked, this, [this] {
        if (transient_.isEmpty() && !lasting_.empty() && lasting_.back().action)
            lasting_.back().action();
    });
}

QString NoticeBar::text() const {
    return isHidden() ? QString() : message_->text();
}

void NoticeBar::dropAlert() {
    std::erase_if(lasting_, [](const Notice &notice) { return notice.isAlert; });
}

void NoticeBar::alert(const QString &message) {
    dropAlert();
    lasting_.push_back({message, QString(), nullptr, true});
    transient_.clear();
    timeout_->stop();
    showCurrent();
}

void NoticeBar::resolve(const QString &message) {
    dropAlert();
    inform(message);
}

void NoticeBar::inform(const QString &message) {
    // Other news passes over a problem that lasts: the problem comes back after it.
    transient_ = message;
    timeout_->start();
    showCurrent();
}

void NoticeBar::hold(const QString &message, const QString &actionTitle,
                     std::function<void()> action) {
    lasting_.push_back({message, actionTitle, std::move(action), false});
    transient_.clear();
    timeout_->stop();
    showCurrent();
}

void NoticeBar::dismiss() {
    if (!transient_.isEmpty()) {
        transient_.clear();
        timeout_->stop();
    } else if (!lasting_.empty()) {
        lasting_.pop_back();
    }
    showCurrent();
}

void NoticeBar::showCurrent() {
    if (transient_.isEmpty() && lasting_.empty()) {
        hide();
        return;
    }
    const Notice shown =
        transient_.isEmpty() ? lasting_.back() : Notice{transient_, QString(), nullptr};
    const bool changed = !isHidden() && message_->text() != shown.message;
    message_->setText(shown.message);
    action_->setText(shown.actionTitle);
    action_->setAccessibleName(QString(shown.actionTitle).remove(u'&'));
    action_->setVisible(!shown.actionTitle.isEmpty());
    lastingLook_ = transient_.isEmpty();
    update();
    if (isHidden())
        show(); // announced by the toolkit as the strip appearing
    else if (changed)
        announce();
    QAccessibleEvent alert(this, QAccessible::Alert); // for the bridges that pass it on
    QAccessible::updateAccessibility(&alert);
}

void NoticeBar::announce() {
    // A screen reader speaks a notification as it appears: a new message in the strip that is
    // up already appears anew, under its new name.
    QAccessibleEvent renamed(this, QAccessible::NameChanged);
    QAccessible::updateAccessibility(&renamed);
    QAccessibleEvent hidden(this, QAccessible::ObjectHide);
    QAccessible::updateAccessibility(&hidden);
    QAccessibleEvent shown(this, QAccessible::ObjectShow);
    QAccessible::updateAccessibility(&shown);
}

void NoticeBar::paintEvent(QPaintEvent *) {
    // The palette's own colours, so that the strip sits right in light, dark and high-contrast
    // themes; a notice that stays is marked by a bar in the highlight colour.
    QPainter p(this);
    p.fillRect(rect(), palette().color(QPalette::AlternateBase));
    p.fillRect(QRect(0, 0, 4, height()),
               palette().color(lastingLook_ ? QPalette::Highlight : QPalette::Mid));
}
