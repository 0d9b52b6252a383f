// SPDX-License-Identifier: MIT
#include "SpellChecker.h"

#include <QLocale>

#include <enchant.h>

SpellChecker::SpellChecker(const QString &language, QObject *parent)
    : QObject(parent)
    , broker_(enchant_broker_init()) {
    const QStringList available = languages();
    for (const QString &candidate :
         {language, QLocale::system().name(), QLocale::system().name().section(u'_', 0, 0)}) {
        if (!candidate.isEmpty() && available.contains(candidate)) {
            setLanguage(candidate);
            return;
        }
    }
    if (!available.isEmpty())
        setLanguage(available.first());
}

SpellChecker::~SpellChecker() {
    if (dict_)
        enchant_broker_free_dict(broker_, dict_);
    enchant_broker_free(broker_);
}

QStringList SpellChecker::languages() const {
    QStringList tags;
    enchant_broker_list_dicts(
        broker_,
        [](const char *tag, const char *, const char *, const char *, void *data) {
            static_cast<QStringList *>(data)->append(QString::fromUtf8(tag));
        },
        &tags);
    tags.removeDuplicates();
    tags.sort();
    return tags;
}

void SpellChecker::setLanguage(const QString &language) {
    EnchantDict *dict = enchant_broker_request_dict(broker_, language.toUtf8().constData());
    if (!dict)
        return;
    if (dict_)
        enchant_broker_free_dict(broker_, dict_);
    dict_ = dict;
    language_ = language;
    known_.clear();
    Q_EMIT changed();
}

bool SpellChecker::isCorrect(QStringView word) {
    if (!dict_)
        return true;
    const QString key = word.toString();
    const auto it = known_.constFind(key);
    if (it != known_.constEnd())
        return *it;
    ++lookups_;
    const QByteArray utf8 = key.toUtf8();
    const bool correct = enchant_dict_check(dict_, utf8.constData(), utf8.size()) <= 0;
    known_.insert(key, correct);
    return correct;
}

QStringList SpellChecker::suggestions(QStringView word) const {
    QStringList result;
    if (!dict_)
        return result;
    const QByteArray utf8 = word.toUtf8();
    size_t count = 0;
    char **list = enchant_dict_suggest(dict_, utf8.constData(), utf8.size(), &count);
    for (size_t i = 0; i < count; ++i)
        result << QString::fromUtf8(list[i]);
    if (list)
        enchant_dict_free_string_list(dict_, list);
    return result;
}

void SpellChecker::addToDictionary(QStringView word) {
    if (!dict_)
        return;
    const QByteArray utf8 = word.toUtf8();
    enchant_dict_add(dict_, utf8.constData(), utf8.size());
    known_.insert(word.toString(), true);
    Q_EMIT changed();
}

void SpellChecker::ignore(QStringView word) {
    if (!dict_)
        return;
    const QByteArray utf8 = word.toUtf8();
    enchant_dict_add_to_session(dict_, utf8.constData(), utf8.size());
    known_.insert(word.toString(), true);
    Q_EMIT changed();
}
