// SPDX-License-Identifier: MIT
#include "Spelling.h"

#include "NoteEditor.h"
#include "SpellChecker.h"

#include <QSettings>
#include <QTimer>

Spelling::Spelling(NoteEditor &editor, QObject *parent)
    : QObject(parent)
    , editor_(editor)
    , enabled_(QSettings().value(enabledKey, true).toBool()) {
    if (enabled_)
        QTimer::singleShot(0, this, [this] { editor_.setSpellChecker(&checker()); });
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
