// SPDX-License-Identifier: MIT
#pragma once

#include <QObject>

class QDropEvent;
class QPlainTextEdit;

/// Files dropped on the editor insert their text at the drop point, as one step that Undo
/// takes back, read as the note's own file is. The text is handed to the editor as a drop of
/// text, so it enters by the editor's paste path. A file that is no text, or too large, is
/// refused, and the reason is told.
class FileDrop : public QObject {
    Q_OBJECT
public:
    explicit FileDrop(QPlainTextEdit &editor, QObject *parent = nullptr);

Q_SIGNALS:
    void refused(const QString &reason);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void drop(QDropEvent *event, const QStringList &files);

    QPlainTextEdit &editor_;
    bool forwarding_ = false;
};
