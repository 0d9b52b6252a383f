// SPDX-License-Identifier: MIT
#include "EarlierNotesWindow.h"

#include "NoteEncoding.h"
#include "Notemodel.h"
#include "TextMerge.h"

#include <QAbstractListModel>
#include <QClipboard>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QLocale>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSet>
#include <QSplitter>
#include <QTextBlock>

#include <map>

/// The versions as rows; a row reads its version's first line only when it is shown, so that a
/// thousand versions list at once.
class VersionList : public QAbstractListModel {
public:
    using QAbstractListModel::QAbstractListModel;

    void reset(QList<NoteHistory::Version> all) {
        beginResetModel();
        all_ = std::move(all);
        shown_ = all_;
        endResetModel();
    }
    /// Only the versions at `paths` (none: every one).
    void keepOnly(const std::optional<QSet<QString>> &paths) {
        beginResetModel();
        shown_.clear();
        for (const NoteHistory::Version &version : all_)
            if (!paths || paths->contains(version.path))
                shown_.append(version);
        endResetModel();
    }
    const QList<NoteHistory::Version> &all() const { return all_; }
    const NoteHistory::Version &at(int row) const { return shown_[row]; }

    int rowCount(const QModelIndex &parent) const override {
        return parent.isValid() ? 0 : int(shown_.size());
    }
    QVariant data(const QModelIndex &index, int role) const override {
        if (!index.isValid() || (role != Qt::DisplayRole && role != Qt::AccessibleTextRole))
            return {};
        const NoteHistory::Version &version = shown_[index.row()];
        auto line = firstLines_.find(version.path);
        if (line == firstLines_.end())
            line = firstLines_.emplace(version.path, NoteHistory::firstLine(version)).first;
        const QString when = QLocale().toString(version.time.toLocalTime(), QLocale::ShortFormat);
        const QString what = EarlierNotesWindow::describe(version, line->second);
        const bool named = version.kind == NoteHistory::Kind::Meeting || line->second.isEmpty();
        return named ? QStringLiteral("%1 · %2").arg(when, what)
                     : QStringLiteral("%1 · %2 · %3").arg(when, what, line->second);
    }

private:
    QList<NoteHistory::Version> all_;
    QList<NoteHistory::Version> shown_;
    mutable std::map<QString, QString> firstLines_;
};

EarlierNotesWindow::EarlierNotesWindow(NoteModel &model, NoteHistory &history, QWidget *parent)
    : QDialog(parent)
    , model_(model)
    , history_(history)
    , versions_(new VersionList(this))
    , findField_(new QLineEdit)
    , list_(new QListView)
    , preview_(new QPlainTextEdit)
    , status_(new QLabel)
    , bringBack_(new QPushButton(tr("&Bring Back")))
    , copy_(new QPushButton(tr("&Copy")))
    , export_(new QPushButton(tr("E&xport…"))) {
    setObjectName(QStringLiteral("earlierNotes"));
    setWindowTitle(tr("Earlier Notes"));
    findField_->setObjectName(QStringLiteral("findEarlier"));
    findField_->setPlaceholderText(tr("Words in an earlier note"));
    findField_->setClearButtonEnabled(true);
    auto *findLabel = new QLabel(tr("&Find:"));
    findLabel->setBuddy(findField_);
    list_->setObjectName(QStringLiteral("versions"));
    list_->setAccessibleName(tr("Earlier notes, newest first"));
    list_->setModel(versions_);
    list_->setUniformItemSizes(true);
    list_->setTextElideMode(Qt::ElideRight);
    preview_->setObjectName(QStringLiteral("earlierNote"));
    preview_->setAccessibleName(tr("The earlier note, with what differs from the note marked"));
    preview_->setReadOnly(true);
    preview_->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    status_->setObjectName(QStringLiteral("earlierStatus"));
    for (QPushButton *button : {bringBack_, copy_, export_})
        button->setAutoDefault(false);
    bringBack_->setObjectName(QStringLiteral("bringBack"));
    copy_->setObjectName(QStringLiteral("copyEarlier"));
    export_->setObjectName(QStringLiteral("exportEarlier"));
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Close);
    buttons->addButton(bringBack_, QDialogButtonBox::ActionRole);
    buttons->addButton(copy_, QDialogButtonBox::ActionRole);
    buttons->addButton(export_, QDialogButtonBox::ActionRole);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto *split = new QSplitter;
    split->addWidget(list_);
    split->addWidget(preview_);
    split->setSizes({330, 430});
    auto *grid = new QGridLayout(this);
    grid->addWidget(findLabel, 0, 0);
    grid->addWidget(findField_, 0, 1);
    grid->addWidget(split, 1, 0, 1, 2);
    grid->addWidget(status_, 2, 0, 1, 2);
    grid->addWidget(buttons, 3, 0, 1, 2);
    grid->setRowStretch(1, 1);
    resize(760, 480);

    connect(findField_, &QLineEdit::textChanged, this, &EarlierNotesWindow::find);
    connect(list_->selectionModel(), &QItemSelectionModel::currentChanged, this,
            &EarlierNotesWindow::showSelected);
    connect(bringBack_, &QPushButton::clicked, this, &EarlierNotesWindow::bringBack);
    connect(copy_, &QPushButton::clicked, this, [this] {
        if (const auto text = selectedText())
            QGuiApplication::clipboard()->setText(*text);
    });
    connect(export_, &QPushButton::clicked, this, [this] {
        if (const auto text = selectedText())
            model_.exportVersion(*text);
    });
    connect(&history_, &NoteHistory::kept, this, [this] {
        if (isVisible())
            refresh();
    });
    refresh();
}

QString EarlierNotesWindow::describe(const NoteHistory::Version &version,
                                     const QString &firstLine) {
    switch (version.kind) {
    case NoteHistory::Kind::Snapshot:
        return tr("Snapshot");
    case NoteHistory::Kind::BeforeClear:
        return tr("Before Clear");
    case NoteHistory::Kind::Meeting:
        return tr("Meeting %1").arg(firstLine).trimmed();
    case NoteHistory::Kind::BeforeMerge:
        return tr("Before Merge");
    case NoteHistory::Kind::BeforeChange:
        return tr("Before a Large Change");
    case NoteHistory::Kind::BeforeBringBack:
        return tr("Before Bring Back");
    }
    return QString();
}

void EarlierNotesWindow::refresh() {
    const QString selected = list_->currentIndex().isValid()
                                 ? versions_->at(list_->currentIndex().row()).path
                                 : QString();
    versions_->reset(history_.versions());
    find(findField_->text());
    select(selected);
    if (versions_->all().isEmpty())
        status_->setText(history_.isEnabled()
                             ? tr("No earlier note is kept yet.")
                             : tr("Earlier notes are not kept: File ▸ Keep Earlier Notes."));
}

void EarlierNotesWindow::find(const QString &words) {
    if (words.trimmed().isEmpty()) {
        search_.stop();
        versions_->keepOnly(std::nullopt);
        status_->setText(tr("Earlier notes kept: %1").arg(versions_->all().size()));
        return;
    }
    // Rows appear as they are found, newest first.
    auto found = std::make_shared<QSet<QString>>();
    versions_->keepOnly(*found);
    status_->setText(tr("Finding…"));
    disconnect(&search_, nullptr, this, nullptr);
    connect(&search_, &HistorySearch::found, this, [this, found](const QString &path) {
        const QModelIndex current = list_->currentIndex();
        const QString selected = current.isValid() ? versions_->at(current.row()).path : path;
        found->insert(path);
        versions_->keepOnly(*found);
        select(selected);
    });
    connect(&search_, &HistorySearch::finished, this, [this, found, words] {
        status_->setText(
            found->isEmpty()
                ? tr("No earlier note holds “%1”.").arg(words)
                : tr("Earlier notes that hold “%1”: %2").arg(words).arg(found->size()));
    });
    search_.start(versions_->all(), words);
}

void EarlierNotesWindow::select(const QString &path) {
    for (int row = 0; row < versions_->rowCount({}); ++row)
        if (versions_->at(row).path == path) {
            list_->setCurrentIndex(versions_->index(row));
            return;
        }
    if (versions_->rowCount({}) > 0)
        list_->setCurrentIndex(versions_->index(0));
    else
        showSelected();
}

std::optional<QString> EarlierNotesWindow::selectedText() const {
    const QModelIndex index = list_->currentIndex();
    if (!index.isValid())
        return std::nullopt;
    const std::optional<QByteArray> bytes = history_.read(versions_->at(index.row()));
    if (!bytes)
        return std::nullopt;
    bool exact = false;
    return noteFromUtf8(*bytes, &exact);
}

void EarlierNotesWindow::showSelected() {
    const std::optional<QString> text = selectedText();
    for (QPushButton *button : {bringBack_, copy_, export_})
        button->setEnabled(text.has_value());
    preview_->setPlainText(text.value_or(QString()));
    if (!text)
        return;
    // The lines of this version that the note no longer holds as they are.
    QList<QTextEdit::ExtraSelection> marks;
    QTextCharFormat differs;
    differs.setBackground(palette().color(QPalette::Highlight).lighter(170));
    differs.setProperty(QTextFormat::FullWidthSelection, true);
    for (const TextMerge::Change &change : TextMerge::changes(*text, model_.text())) {
        if (change.removed == 0)
            continue;
        QTextCursor cursor(preview_->document());
        cursor.setPosition(int(change.position));
        cursor.setPosition(int(change.position + change.removed), QTextCursor::KeepAnchor);
        marks.append({cursor, differs});
    }
    preview_->setExtraSelections(marks);
}

void EarlierNotesWindow::bringBack() {
    if (const auto text = selectedText()) {
        model_.bringBack(*text);
        status_->setText(tr("Brought back. Edit ▸ Undo takes it back; the note as it was is "
                            "kept here too."));
    }
}
