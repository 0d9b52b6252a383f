// SPDX-License-Identifier: MIT
#include "Spelling.h"

#include "NoteEditor.h"
#include "SpellChecker.h"

#include <QEvent>
#include <QSettings>
#include <QTimer>

Spelling::Spelling(NoteEditor &editor, QObject *parent)
    : QObject(parent)
    , editor_(editor)
    , enabled_(QSettings().value(enabledKey, true).toBool()) {
    // The dictionary is loaded once the note is on screen, never before.
    if (enabled_)
        editor_.viewport()->installEventFilter(this);
}

bool Spelling::eventFilter(QObject *watched, QEvent *event) {
    if (event->type() == QEvent::Paint && editor_.isShowingNote()) {
        watched->removeEventFilter(this);
        QTimer::singleShot(0, this, [this] {
            if (enabled_)
                editor_.setSpellChecker(&checker());
        });
    }
    return false;
}

SpellChecker &Spelling::checker() {
    if (!checker_)
        checker_ = std::make_unique<SpellChecker>(QSettings().value(languageKey).toString());
    return *checker_;
}

Spelling::~Spelling() {
    editor_.setSpellChecker(nullptr);
}

void Spelling::setEnabled(bool enabled) {
    enabled_ = enabled;
    QSettings().setValue(enabledKey, enabled);
    editor_.setSpellChecker(enabled ? &checker() : nullptr);
}

void Spelling::setLanguage(const QString &language) {
    checker().setLanguage(language);
    QSettings().setValue(languageKey, checker().language());
}
