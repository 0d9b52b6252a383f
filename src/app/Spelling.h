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
    /// The checker, made at its first use: loading a dictionary takes a moment that the first
    /// frame should not wait for.
    SpellChecker &checker();
    void setLanguage(const QString &language);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    NoteEditor &editor_;
    std::unique_ptr<SpellChecker> checker_;
    bool enabled_;
};
