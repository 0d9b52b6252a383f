// SPDX-License-Identifier: MIT
// What the benchmark's cases share: notes of the sizes measured, the model on the test fakes,
// the window shown, keys typed, and the toolkit's bare editor that each case is measured against.
#pragma once

#include "Fakes.h"
#include "Harness.h"
#include "Notemodel.h"

#include <QList>
#include <QProcessEnvironment>
#include <QString>
#include <QTemporaryDir>

#include <memory>
#include <vector>

class ContentView;
class NoteEditor;
class QPlainTextEdit;
class QWidget;

constexpr qsizetype KB = 1000;
constexpr qsizetype MB = 1000 * KB;
inline const QList<qsizetype> sizes = {10 * KB, 100 * KB, 1 * MB, 10 * MB};

QString sizeName(qsizetype bytes);
int runsFor(qsizetype bytes);

/// A model on the test fakes, holding `text`. Its autosave fires only when time is advanced,
/// so that none lands inside a measurement.
struct Fixture {
    explicit Fixture(const QString &text, DefaultsStore *realStore = nullptr)
        : model(fakes.make(13.0, realStore)) {
        model->setText(text);
        model->handleTextChange();
    }
    void fireAutosave() { fakes.timeline.advance(NoteModel::autosaveDelayMs); }
    ModelFixture fakes;
    std::unique_ptr<NoteModel> model;
};

void key(QWidget *target, Qt::Key k, const QString &text);
/// The queued refreshes that follow an edit, but no painting.
void runRefreshes();
/// Turns the event loop until the editor holds the whole note: a large one arrives in slices.
void waitForWholeNote(NoteEditor *editor);
std::unique_ptr<ContentView> shownContent(NoteModel &model);
/// Prints the turns of the event loop that work between events took, and returns their p99.
double reportTurns(const char *name, std::vector<double> turns);

struct Keystroke {
    Qt::Key key;
    QString text;
    Qt::Key back; // takes it back, unmeasured
    QString backText;
};
inline const Keystroke letter{Qt::Key_X, QStringLiteral("x"), Qt::Key_Backspace, QString()};

/// The toolkit's editor as Mirt shows it, without Mirt: the floor each case is measured against.
std::unique_ptr<QPlainTextEdit> shownBareEditor(const QString &text);
/// Types a key and measures until it is painted; takes it back unmeasured.
Stats paintedKeystroke(QPlainTextEdit *editor, int runs, const Keystroke &stroke = letter,
                       int warmup = 20);
/// This program, for the cases that run parts of it as children.
QString self();

/// A home folder of its own for a child process, holding `note` (if any) where the app keeps it.
struct Home {
    explicit Home(const QString &note);
    QString notePath() const;
    QTemporaryDir dir;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
};
/// Milliseconds from starting this program's start-up child with `arguments` until it says its
/// first frame is painted.
double startupOnce(const Home &home, const QStringList &arguments);
