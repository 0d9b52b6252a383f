// SPDX-License-Identifier: MIT
#pragma once

#include <QHash>
#include <QObject>
#include <QStringList>

struct str_enchant_broker;
struct str_enchant_dict;

/// Spelling through Enchant, the broker GNOME uses over Hunspell and the others, with the
/// dictionaries the system has. Words the user adds go to Enchant's personal word list in the
/// user's config folder, shared with every other program that uses it.
class SpellChecker : public QObject {
    Q_OBJECT
public:
    /// Starts with `language` if a dictionary for it is installed, else the user's locale's,
    /// else the first one there is.
    explicit SpellChecker(const QString &language = QString(), QObject *parent = nullptr);
    ~SpellChecker() override;

    /// The languages there are dictionaries for, such as "en_US".
    QStringList languages() const;
    QString language() const { return language_; }
    void setLanguage(const QString &language);
    bool hasDictionary() const { return dict_ != nullptr; }

    bool isCorrect(QStringView word);
    QStringList suggestions(QStringView word) const;
    /// Accepts the word from now on, in every later run too.
    void addToDictionary(QStringView word);
    /// Accepts the word for the rest of this run.
    void ignore(QStringView word);

    /// Words looked up in the dictionary so far (not those answered from memory).
    quint64 lookups() const { return lookups_; }

Q_SIGNALS:
    /// The answers changed: a new language, or a word accepted.
    void changed();

private:
    str_enchant_broker *broker_;
    str_enchant_dict *dict_ = nullptr;
    QString language_;
    QHash<QString, bool> known_; // answers already had, for the words on screen
    quint64 lookups_ = 0;
};
