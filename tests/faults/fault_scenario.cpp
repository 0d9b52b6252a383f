// SPDX-License-Identifier: MIT
// One unwritable-store scenario, in a process of its own so that it can run without root's
// power to write anywhere. Prints "ok" or what went wrong.
//   fault_scenario KIND HOME    KIND: read-only-file read-only-folder missing-folder
//                               folder-for-file full-disk some-space no-hard-links
//                               linked-full-disk (a note rewritten in place)
// no-hard-links and linked-full-disk run with refusing_fs preloaded.
#include "Files.h"
#include "Rig.h"

#include <QCoreApplication>
#include <QElapsedTimer>

#include <cstdio>
#include <unistd.h>

using namespace Qt::StringLiterals;

int main(int argc, char **argv) {
    QCoreApplication app(argc, argv);
    const QString kind = app.arguments().value(1);
    const QString home = app.arguments().value(2);
    const auto fail = [](const QString &why) {
        std::printf("%s\n", qPrintable(why));
        return 1;
    };

    Rig rig(home);
    rig.model->setText(u"before the fault\n"_s);
    rig.save();
    const QString path = rig.notePath();
    const QString folder = rig.dataFolder;

    // The cause.
    if (kind == QLatin1String("read-only-file"))
        QFile::setPermissions(path, QFileDevice::ReadOwner);
    else if (kind == QLatin1String("read-only-folder"))
        QFile::setPermissions(folder, QFileDevice::ReadOwner | QFileDevice::ExeOwner);
    else if (kind == QLatin1String("missing-folder"))
        QDir(folder).removeRecursively();
    else if (kind == QLatin1String("folder-for-file"))
        QFile::remove(path), QDir().mkpath(path);
    else if (kind == QLatin1String("full-disk"))
        fillDisk(folder, 0);
    else if (kind == QLatin1String("some-space"))
        fillDisk(folder, 2000);
    else if (kind == QLatin1String("linked-full-disk")) {
        if (::link(QFile::encodeName(path).constData(), QFile::encodeName(path + u'2').constData()))
            return fail(u"cannot link the note"_s);
        fillDisk(folder, 2000);
    } else if (kind != QLatin1String("no-hard-links"))
        return fail(u"unknown scenario "_s + kind);

    // Typing goes on: the edit is instant and the note in memory stays exact.
    const QString typed = u"before the fault\n"_s + QString(6000, u'k');
    QElapsedTimer typing;
    typing.start();
    rig.model->replaceText(rig.model->text().size(), 0, QString(6000, u'k'));
    if (typing.elapsed() > 50)
        return fail(u"typing was blocked"_s);
    rig.autosave();
    // A missing folder is made again; in a read-only folder the note changes in place.
    const bool expectFailure = kind != QLatin1String("missing-folder") &&
                               kind != QLatin1String("read-only-folder") &&
                               kind != QLatin1String("no-hard-links");
    if (expectFailure) {
        if (!(!rig.failed.isEmpty() || rig.failed.wait(1000)))
            return fail(u"the failure was not reported within 1 s"_s);
        if (rig.failed.first().first().toString().isEmpty())
            return fail(u"the failure came without a reason"_s);
    } else {
        rig.store.flush();
        if (contents(path) != typed.toUtf8())
            return fail(u"the note was not saved"_s);
        // Where there are no hard links, copies beside the note are made all the same.
        const auto [copy, error] = rig.store.keepConflictCopy(NoteModel::saveKey, u"copy\n"_s);
        if (error || contents(copy) != "copy\n" || !strayFiles(folder).isEmpty())
            return fail(u"no conflict copy: "_s + error.value_or(copy));
        std::printf("ok\n");
        return 0;
    }
    if (rig.model->text() != typed)
        return fail(u"the note in memory changed"_s);
    // A file rewritten in place that the disk cut short gets its old bytes back.
    if (kind == QLatin1String("linked-full-disk") && contents(path) != "before the fault\n")
        return fail(u"the note on disk was cut short"_s);

    // The cause removed: the next save succeeds and says so.
    if (kind == QLatin1String("read-only-file"))
        QFile::setPermissions(path, QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    else if (kind == QLatin1String("folder-for-file"))
        QDir(path).removeRecursively();
    else
        QFile::remove(QDir(folder).filePath(u"filler"_s));
    // Nothing typed since: the app's end tries the failed save again.
    rig.model->flushAutosave();
    if (rig.recovered.isEmpty() || rig.model->isSaveFailing())
        return fail(u"the recovery was not announced"_s);
    if (contents(path) != typed.toUtf8())
        return fail(u"the note on disk is not the note in memory"_s);
    std::printf("ok\n");
    return 0;
}
