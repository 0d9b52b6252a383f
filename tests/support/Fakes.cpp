// SPDX-License-Identifier: MIT
#include "Fakes.h"

#include "Notemodel.h"

using namespace Qt::StringLiterals;

void Timeline::advance(qint64 ms) {
    const qint64 target = nowMs_ + ms;
    for (;;) {
        Timer *next = nullptr;
        for (Timer *t : timers_)
            if (t->isActive() && t->dueAt() <= target && (!next || t->dueAt() < next->dueAt()))
                next = t;
        if (!next)
            break;
        nowMs_ = next->dueAt();
        next->fire();
    }
    nowMs_ = target;
}

std::unique_ptr<OneShotTimer> Timeline::makeTimer() {
    return std::make_unique<Timer>(*this);
}

std::optional<QString> FakeStore::string(const QString &key) const {
    const auto it = strings.find(key);
    return it == strings.end() ? std::nullopt : std::optional(it->second);
}

std::optional<float> FakeStore::floatValue(const QString &key) const {
    const auto it = floats.find(key);
    return it == floats.end() ? std::nullopt : std::optional(it->second);
}

void FakeStore::setString(const QString &key, const QString &value) {
    writes.push_back({key, value, timeline_.nowMs()});
    if (failure.isEmpty())
        strings[key] = value;
    report();
}

void FakeStore::setUtf8String(const QString &key, const QByteArray &utf8) {
    setString(key, QString::fromUtf8(utf8));
}

void FakeStore::setFloat(const QString &key, float value) {
    writes.push_back({key, value, timeline_.nowMs()});
    if (failure.isEmpty())
        floats[key] = value;
    report();
}

std::pair<QString, std::optional<QString>> FakeStore::keepConflictCopy(const QString &key,
                                                                       const QString &text) {
    if (!failure.isEmpty())
        return {QString(), failure};
    const QString path = key + u".conflict-%1.txt"_s.arg(copies.size() + 1);
    copies[path] = text;
    return {path, std::nullopt};
}

void FakeStore::setStringTakingCopy(const QString &key, const QString &value, const QString &) {
    setString(key, value);
}

std::optional<QString> FakeStore::moveTo(const QString &key, const QString &folder,
                                         const QString &text) {
    if (!failure.isEmpty())
        return failure;
    strings[folder + u'/' + key] = text;
    return std::nullopt;
}

std::vector<FakeStore::Write> FakeStore::writesOf(const QString &key) const {
    std::vector<Write> result;
    for (const Write &w : writes)
        if (w.key == key)
            result.push_back(w);
    return result;
}

void FakeStore::report() {
    if (failure.isEmpty())
        Q_EMIT writeSucceeded();
    else
        Q_EMIT writeFailed(failure);
}

std::unique_ptr<NoteModel> ModelFixture::make(double systemFontSize, DefaultsStore *realStore) {
    return std::make_unique<NoteModel>(NoteModel::Services{
        realStore ? *realStore : store, clock, timeline.makeTimer(), dialogs, systemFontSize});
}
