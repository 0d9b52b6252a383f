// SPDX-License-Identifier: MIT
#pragma once

#include <QObject>
#include <QPointer>
#include <QStringList>

#include <optional>

class Dialogs;
class NoteModel;
class QMessageBox;
class QWidget;

/// Stands between the end of the app and words that cannot be saved. When the user closes the
/// window or quits, the note is written, or tried again; when it still cannot be, the user
/// chooses: save a copy elsewhere, quit and lose the words, or keep working. Where nobody can
/// be asked (a termination signal, the end of the session), the words go to an emergency copy
/// in the user's data folder, which the next start names.
class QuitGuard : public QObject {
    Q_OBJECT
public:
    QuitGuard(NoteModel &model, Dialogs &dialogs, QWidget &window, QObject *parent = nullptr);

    /// Writes what is left before the app ends, into an emergency copy when the note itself
    /// cannot be written and the user was not asked.
    void finish();

    /// The emergency copies that earlier runs left.
    static QStringList emergencyCopies();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void ask();
    void saveCopyThenQuit();
    void leave();

    NoteModel &model_;
    Dialogs &dialogs_;
    QWidget &window_;
    QPointer<QMessageBox> question_;
    bool letGo_ = false;                  // the user chose how to leave
    std::optional<quint64> keptRevision_; // the text an emergency copy holds already
};
