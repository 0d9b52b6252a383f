// SPDX-License-Identifier: MIT
#pragma once

#include <QObject>

#include <memory>

class NoteEditor;
class SpellChecker;

/// Spell checking for the editor, on or off and in which language, remembered across runs.
class Spelling : public QObject {
    Q_OBJECT
public:
    static inline const QString enabledKey = QStringLiteral("mirt.spelling.enabled");
    static inline const QString languageKey = QStringLiteral("mirt.spelling.language");

    explicit Spelling(NoteEditor &editor, QObject *parent = nullptr);
    ~Spelling() override;

    bool isEnabled() const { return enabled_; }
    void setEnabled(bool enabled);
    SpellChecker &checker() const { return *checker_; }
    void setLanguage(const QString &language);

private:
    NoteEditor &editor_;
    std::unique_ptr<SpellChecker> checker_;
    bool enabled_;
};
