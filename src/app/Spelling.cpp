// SPDX-License-Identifier: MIT
#include "Spelling.h"

#include "NoteEditor.h"
#include "SpellChecker.h"

#include <QSettings>

Spelling::Spelling(NoteEditor &editor, QObject *parent)
    : QObject(parent)
    , editor_(editor)
    , checker_(std::make_unique<SpellChecker>(QSettings().value(languageKey).toString()))
    , enabled_(QSettings().value(enabledKey, true).toBool()) {
    editor_.setSpellChecker(enabled_ ? checker_.get() : nullptr);
}

Spelling::~Spelling() {
    editor_.setSpellChecker(nullptr);
}

void Spelling::setEnabled(bool enabled) {
    enabled_ = enabled;
    QSettings().setValue(enabledKey, enabled);
    editor_.setSpellChecker(enabled ? checker_.get() : nullptr);
}

void Spelling::setLanguage(const QString &language) {
    checker_->setLanguage(language);
    QSettings().setValue(languageKey, checker_->language());
}
