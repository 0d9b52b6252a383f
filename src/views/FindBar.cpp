// SPDX-License-Identifier: MIT
#include "FindBar.h"

#include "EditorDecorations.h"
#include "NoteEditor.h"
#include "Notemodel.h"

#include <QGridLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QToolButton>

namespace {

QToolButton *toggle(const QString &text, const QString &name) {
    auto *button = new QToolButton;
    button->setText(text);
    button->setObjectName(name);
    button->setCheckable(true);
    button->setAutoRaise(true);
    return button;
}

QPushButton *button(const QString &text, const QString &name) {
    auto *push = new QPushButton(text);
    push->setObjectName(name);
    push->setAutoDefault(false);
    return push;
}

} // namespace

FindBar::FindBar(NoteModel &model, NoteEditor &editor, QWidget *parent)
    : QWidget(parent)
    , model_(model)
    , editor_(editor)
    , findField_(new QLineEdit)
    , replaceField_(new QLineEdit)
    , matchCase_(toggle(tr("Match &Case"), QStringLiteral("matchCase")))
    , wholeWords_(toggle(tr("&Whole Words"), QStringLiteral("wholeWords")))
    , count_(new QLabel)
    , replaceRow_(new QWidget) {
    setObjectName(QStringLiteral("findBar"));
    findField_->setObjectName(QStringLiteral("findField"));
    findField_->setPlaceholderText(tr("Find"));
    findField_->setAccessibleName(tr("Find"));
    replaceField_->setObjectName(QStringLiteral("replaceField"));
    replaceField_->setPlaceholderText(tr("Replace with"));
    replaceField_->setAccessibleName(tr("Replace with"));
    count_->setObjectName(QStringLiteral("matchCount"));
    count_->setMinimumWidth(count_->fontMetrics().horizontalAdvance(QStringLiteral("000 of 0000")));

    const auto arrow = [](Qt::ArrowType type, const QString &name, const QString &help) {
        auto *button = new QToolButton;
        button->setObjectName(name);
        button->setArrowType(type);
        button->setAutoRaise(true);
        button->setToolTip(help);
        button->setAccessibleName(help);
        return button;
    };
    QToolButton *previous = arrow(Qt::UpArrow, QStringLiteral("findPrevious"), tr("Previous"));
    QToolButton *next = arrow(Qt::DownArrow, QStringLiteral("findNext"), tr("Next"));
    auto *closer = new QToolButton;
    closer->setObjectName(QStringLiteral("closeFind"));
    closer->setAutoRaise(true);
    closer->setText(QStringLiteral("\u2715"));
    closer->setToolTip(tr("Close"));
    closer->setAccessibleName(tr("Close the find bar"));
    auto *replaceOne = button(tr("&Replace"), QStringLiteral("replace"));
    auto *replaceEvery = button(tr("Replace &All"), QStringLiteral("replaceAll"));

    // The field and its steps on the first row, the options below, the replace row last.
    auto *grid = new QGridLayout(this);
    grid->setContentsMargins(6, 4, 6, 4);
    grid->setSpacing(4);
    grid->addWidget(findField_, 0, 0, 1, 3);
    grid->addWidget(count_, 0, 3);
    grid->addWidget(previous, 0, 4);
    grid->addWidget(next, 0, 5);
    grid->addWidget(closer, 0, 6);
    grid->addWidget(matchCase_, 1, 0);
    grid->addWidget(wholeWords_, 1, 1);
    auto *replaceLayout = new QHBoxLayout(replaceRow_);
    replaceLayout->setContentsMargins(0, 0, 0, 0);
    replaceLayout->addWidget(replaceField_, 1);
    replaceLayout->addWidget(replaceOne);
    replaceLayout->addWidget(replaceEvery);
    grid->addWidget(replaceRow_, 2, 0, 1, 7);
    grid->setColumnStretch(2, 1);

    // Incremental: each change of the field finds from where the selection starts.
    connect(findField_, &QLineEdit::textChanged, this,
            [this] { find(editor_.noteSelection().first, false); });
    for (QToolButton *option : {matchCase_, wholeWords_})
        connect(option, &QToolButton::toggled, this,
                [this] { find(editor_.noteSelection().first, false); });
    connect(next, &QToolButton::clicked, this, &FindBar::findNext);
    connect(previous, &QToolButton::clicked, this, &FindBar::findPrevious);
    connect(closer, &QToolButton::clicked, this, &FindBar::close);
    connect(replaceOne, &QPushButton::clicked, this, &FindBar::replace);
    connect(replaceEvery, &QPushButton::clicked, this, &FindBar::replaceAll);
    connect(replaceField_, &QLineEdit::returnPressed, this, &FindBar::replace);
    // The count follows edits made while the bar is open, a moment after typing stops.
    recount_.setObjectName(QStringLiteral("recount"));
    recount_.setSingleShot(true);
    recount_.setInterval(200);
    connect(&model_, &NoteModel::textWillChange, this, [this] {
        if (isVisible())
            recount_.start();
    });
    connect(&recount_, &QTimer::timeout, this, [this] {
        const auto &found = matches();
        editor_.decorations().setMatches(found, findField_->text().size());
        showCount(editor_.noteSelection().first, false);
    });
    hide();
}

NoteSearch::Options FindBar::options() const {
    return {matchCase_->isChecked(), wholeWords_->isChecked()};
}

const std::vector<qsizetype> &FindBar::matches() const {
    return search_.matches(model_.text(), model_.textRevision(), findField_->text(), options());
}

void FindBar::open(bool replace) {
    const QString selected = editor_.selectedNoteText();
    if (!selected.isEmpty() && !selected.contains(u'\n')) {
        const QSignalBlocker quiet(findField_);
        findField_->setText(selected);
    }
    replaceRow_->setVisible(replace);
    show();
    findField_->selectAll();
    findField_->setFocus(Qt::ShortcutFocusReason);
    find(editor_.noteSelection().first, false);
}

void FindBar::findNext() {
    if (!isVisible())
        return open(false);
    find(editor_.noteSelection().second, false);
}

void FindBar::findPrevious() {
    if (!isVisible())
        return open(false);
    find(editor_.noteSelection().first, true);
}

void FindBar::find(qsizetype from, bool backwards) {
    const auto &found = matches();
    bool wrapped = false;
    const qsizetype at = search_.next(from, backwards, &wrapped);
    if (at >= 0)
        editor_.selectRange(at, findField_->text().size()); // loads all of a large note first
    editor_.decorations().setMatches(found, findField_->text().size());
    showCount(at, wrapped);
}

void FindBar::showCount(qsizetype current, bool wrapped) {
    const auto &found = matches();
    QString text;
    if (findField_->text().isEmpty())
        text.clear();
    else if (found.empty())
        text = tr("No matches");
    else {
        const auto it = std::lower_bound(found.begin(), found.end(), current);
        const qsizetype index = it != found.end() && *it == current ? it - found.begin() + 1 : 0;
        const QString total = qsizetype(found.size()) >= NoteSearch::countLimit
                                  ? QString::number(found.size()) + u'+'
                                  : QString::number(found.size());
        text = index > 0 ? tr("%1 of %2").arg(index).arg(total) : tr("%1 matches").arg(total);
    }
    // Going round the end is told quietly, in the count, not by a dialog.
    if (wrapped)
        text += tr(", wrapped");
    count_->setText(text);
    count_->setAccessibleName(text);
}

bool FindBar::selectionIsMatch() const {
    const auto [start, end] = editor_.noteSelection();
    matches();
    return end - start == findField_->text().size() && search_.isMatchAt(start);
}

void FindBar::replace() {
    if (findField_->text().isEmpty())
        return;
    if (selectionIsMatch()) {
        const qsizetype at = editor_.noteSelection().first;
        editor_.replaceRange(at, findField_->text().size(), replaceField_->text());
    }
    findNext();
}

void FindBar::replaceAll() {
    if (findField_->text().isEmpty())
        return;
    matches();
    const std::vector<qsizetype> found = search_.replaceable();
    if (!found.empty())
        editor_.replaceAll(found, findField_->text().size(), replaceField_->text());
    editor_.decorations().setMatches({}, 0);
    // The count of the edit just made stays until the next one: the recount it set off would
    // say only that nothing is left to find.
    recount_.stop();
    const QString replaced = tr("%n replaced", nullptr, int(found.size()));
    count_->setText(replaced);
    count_->setAccessibleName(replaced);
}

void FindBar::close() {
    hide();
    editor_.decorations().setMatches({}, 0);
    editor_.setFocus(Qt::OtherFocusReason);
}

void FindBar::keyPressEvent(QKeyEvent *event) {
    if (event->key() == Qt::Key_Escape) {
        close();
        return;
    }
    if ((event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) &&
        findField_->hasFocus()) {
        event->modifiers() & Qt::ShiftModifier ? findPrevious() : findNext();
        return;
    }
    QWidget::keyPressEvent(event);
}
