// SPDX-License-Identifier: MIT
#include "ModelObserver.h"

#include "Notemodel.h"

ModelObserver::ModelObserver(NoteModel &model, std::function<void()> refresh, QObject *parent)
    : QObject(parent)
    , refresh_(std::move(refresh)) {
    connect(&model, &NoteModel::willChange, this, &ModelObserver::schedule);
}

void ModelObserver::schedule() {
    if (scheduled_)
        return;
    scheduled_ = true;
    QMetaObject::invokeMethod(this, &ModelObserver::flush, Qt::QueuedConnection);
}

void ModelObserver::flush() {
    if (!scheduled_)
        return;
    scheduled_ = false;
    refresh_();
}
