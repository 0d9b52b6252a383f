// SPDX-License-Identifier: MIT
#include "QuitGuard.h"

#include "AtomicFile.h"
#include "Dialogs.h"
#include "NoteEncoding.h"
#include "Notemodel.h"

#include <QCloseEvent>
#include <QDateTime>
#include <QDir>
#include <QLocale>
#include <QMessageBox>
#include <QPushButton>
#include <QStandardPaths>

#include <unistd.h>

namespace {

const QString emergencyPrefix = QStringLiteral("mirt.note.unsaved-");

// The user's data folder first; when that is what fails, the home folder, then the temporary
// one, which at least outlives the process.
QStringList emergencyFolders() {
    return {QStandardPaths::writableLocation(QStandardPaths::AppDataLocation), QDir::homePath(),
            QDir::tempPath()};
}

} // namespace

QuitGuard::QuitGuard(NoteModel &model, Dialogs &dialogs, QWidget &window, QObject *parent)
    : QObject(parent)
    , model_(model)
    , dialogs_(dialogs)
    , window_(window) {
    window_.installEventFilter(this);
}

bool QuitGuard::eventFilter(QObject *watched, QEvent *event) {
    if (watched != &window_ || event->type() != QEvent::Close || letGo_)
        return false;
    model_.flushAutosave();
    if (!model_.isSaveFailing())
        return false;
    event->ignore();
    ask();
    return true;
}

void QuitGuard::ask() {
    if (question_)
        return;
    auto *box = new QMessageBox(QMessageBox::Warning, QString(), tr("The note cannot be saved."),
                                QMessageBox::NoButton, &window_);
    question_ = box;
    box->setObjectName(QStringLiteral("unsavedQuestion"));
    box->setInformativeText(tr("%1\n\nWhat you typed since the last save is only in this window.")
                                .arg(model_.saveFailure()));
    QPushButton *copy = box->addButton(tr("Save a &Copy…"), QMessageBox::AcceptRole);
    copy->setObjectName(QStringLiteral("saveCopy"));
    QPushButton *lose = box->addButton(tr("&Quit Without Saving"), QMessageBox::DestructiveRole);
    lose->setObjectName(QStringLiteral("quitWithoutSaving"));
    QPushButton *keep = box->addButton(tr("&Keep Working"), QMessageBox::RejectRole);
    keep->setObjectName(QStringLiteral("keepWorking"));
    box->setDefaultButton(keep);
    box->setEscapeButton(keep);
    box->setWindowModality(Qt::WindowModal);
    box->setAttribute(Qt::WA_DeleteOnClose);
    connect(box, &QMessageBox::buttonClicked, this, [this, copy, lose](QAbstractButton *button) {
        if (button == copy)
            saveCopyThenQuit();
        else if (button == lose)
            leave();
    });
    box->open();
}

void QuitGuard::saveCopyThenQuit() {
    const QString name =
        QStringLiteral("mirt-note-") +
        QLocale::system().toString(QDateTime::currentDateTime(), u"yyyy-MM-dd-HHmm") +
        QStringLiteral(".txt");
    QPointer<QuitGuard> self(this);
    dialogs_.showSavePanel({tr("Save a Copy of the Note"), name, QStringLiteral("text/plain")},
                           [self](const QString &path) {
                               if (!self || path.isEmpty())
                                   return; // back to the note, which stays in the window
                               if (const auto error =
                                       AtomicFile::write(path, noteToUtf8(self->model_.text()))) {
                                   self->dialogs_.showWarning(tr("The Copy Was Not Saved"), *error);
                                   return;
                               }
                               self->leave();
                           });
}

void QuitGuard::leave() {
    letGo_ = true;
    window_.close();
}

void QuitGuard::finish() {
    model_.flushAutosave();
    if (!model_.isSaveFailing() || letGo_ || keptRevision_ == model_.textRevision())
        return;
    const QByteArray bytes = noteToUtf8(model_.text());
    const QString stamp =
        QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-dd-HHmmss"));
    std::optional<QString> error;
    for (const QString &folder : emergencyFolders()) {
        QDir().mkpath(folder);
        const QString copy = AtomicFile::createNew(
            [&](int n) {
                return QDir(folder).filePath(emergencyPrefix + stamp +
                                             (n > 1 ? u'-' + QString::number(n) : QString()) +
                                             QStringLiteral(".txt"));
            },
            bytes, &error);
        if (!error) {
            keptRevision_ = model_.textRevision();
            return;
        }
    }
    qWarning("mirt: the note could not be saved, nor a copy of it: %s", qPrintable(*error));
}

QStringList QuitGuard::emergencyCopies() {
    QStringList copies;
    for (const QString &folder : emergencyFolders())
        for (const QFileInfo &file :
             QDir(folder).entryInfoList({emergencyPrefix + u'*'}, QDir::Files, QDir::Name))
            if (file.ownerId() == ::getuid()) // a shared temporary folder holds others' files
                copies << file.filePath();
    return copies;
}
