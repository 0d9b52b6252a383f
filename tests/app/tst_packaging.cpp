// SPDX-License-Identifier: MIT
#include "Files.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>

using namespace Qt::StringLiterals;

class tst_Packaging : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void installPutsTheAppOnTheDesktop();
    void debianPackageHasNoLintianErrors();
    void commandLineIsAnsweredWithoutAWindow_data();
    void commandLineIsAnsweredWithoutAWindow();
    void helpSpeaksTheUsersLanguageThroughout_data();
    void helpSpeaksTheUsersLanguageThroughout();
};

void tst_Packaging::installPutsTheAppOnTheDesktop() {
    QTemporaryDir prefix;
    QByteArray output;
    QCOMPARE(
        runProgram(QStringLiteral(CMAKE_COMMAND),
                   {u"--install"_s, QStringLiteral(MIRT_BINARY_DIR), u"--prefix"_s, prefix.path()},
                   &output),
        0);
    const QDir root(prefix.path());
    const QString id = u"io.github.mirtapp.Mirt"_s;
    // Installed, it finds the window it loads to run, wherever the prefix is.
    QProcess app;
    app.start(root.filePath(u"bin/mirt"_s),
              {u"--note"_s, prefix.filePath(u"note.txt"_s), u"--hidden"_s});
    QVERIFY(app.waitForStarted() && !app.waitForFinished(1500));
    app.kill();
    app.waitForFinished();
    QVERIFY(root.exists(u"share/icons/hicolor/scalable/apps/"_s + id + u".svg"_s));
    QVERIFY(root.exists(u"share/man/man1/mirt.1.gz"_s));
    // The bus starts the app by this path, wherever it was installed.
    QVERIFY(
        contents(root.filePath(u"share/dbus-1/services/"_s + id + u".service"_s))
            .contains("\nExec=" + QFile::encodeName(root.filePath(u"bin/mirt"_s)) + " --hidden\n"));
    const QString desktop = root.filePath(u"share/applications/"_s + id + u".desktop"_s);
    const QString metainfo = root.filePath(u"share/metainfo/"_s + id + u".metainfo.xml"_s);
    for (const QByteArray language : {"de", "fr"}) { // what the software centres show, translated
        QVERIFY(contents(desktop).contains("\nComment[" + language + "]="));
        QVERIFY(contents(metainfo).contains("<summary xml:lang=\"" + language + "\">"));
    }
    // Each checker in its strictest mode: no error and no warning.
    const QList<QStringList> checks = {
        {u"desktop-file-validate"_s, desktop},
        {u"appstreamcli"_s, u"validate"_s, u"--no-net"_s, u"--pedantic"_s, metainfo}};
    for (const QStringList &check : checks) {
        QCOMPARE(runProgram(check.first(), check.mid(1), &output), 0);
        QVERIFY2(!output.contains("W:") && !output.contains("E:") &&
                     (check.first() != u"desktop-file-validate"_s || output.trimmed().isEmpty()),
                 output.constData());
    }
}

void tst_Packaging::debianPackageHasNoLintianErrors() {
    if (QStandardPaths::findExecutable(u"lintian"_s).isEmpty())
        QSKIP("lintian is missing: scripts/install-deps installs it");
    QTemporaryDir out;
    QByteArray output;
    QCOMPARE(runProgram(u"cpack"_s,
                        {u"-G"_s, u"DEB"_s, u"-B"_s, out.path(), u"--config"_s,
                         QStringLiteral(MIRT_BINARY_DIR "/CPackConfig.cmake")},
                        &output),
             0);
    const QStringList debs = QDir(out.path()).entryList({u"*.deb"_s});
    QCOMPARE(debs.size(), 1);
    QCOMPARE(runProgram(u"lintian"_s, {u"--fail-on"_s, u"error"_s, out.filePath(debs[0])}, &output),
             0);
    QVERIFY2(!output.contains("\nE:"), output.constData());
    // The toolkit's texts come with it, or its dialogs would stay English in a German app.
    QCOMPARE(runProgram(u"dpkg-deb"_s, {u"-f"_s, out.filePath(debs[0]), u"Depends"_s}, &output), 0);
    QVERIFY2(output.contains("qt6-translations-l10n"), output.constData());
    // The description flows as one paragraph: a line starting with two spaces is shown as is.
    QCOMPARE(runProgram(u"dpkg-deb"_s, {u"-f"_s, out.filePath(debs[0]), u"Description"_s}, &output),
             0);
    QVERIFY2(output.count("\n ") == 3 && !output.contains("\n  "), output.constData());
    // A desktop that starts the app over the bus finds it where the package puts it.
    QCOMPARE(runProgram(u"dpkg-deb"_s, {u"-x"_s, out.filePath(debs[0]), out.filePath(u"root"_s)}),
             0);
    const QByteArray service =
        contents(out.filePath(u"root/usr/share/dbus-1/services/io.github.mirtapp.Mirt.service"_s));
    QVERIFY2(service.contains("\nExec=/usr/bin/mirt --hidden\n"), service.constData());
    QVERIFY(QFileInfo(out.filePath(u"root/usr/bin/mirt"_s)).isExecutable());
}

void tst_Packaging::commandLineIsAnsweredWithoutAWindow_data() {
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QStringList>("environment");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QString>("output");
    const QStringList none;
    QTest::newRow("--version") << QStringList{u"--version"_s} << none << 0 << u"mirt 1.0.0"_s;
    QTest::newRow("--help") << QStringList{u"--help"_s} << none << 0
                            << u"Usage: mirt [options]\n"_s;
    QTest::newRow("--help names the ways to reach a running note")
        << QStringList{u"--help"_s} << none << 0 << u"--append <TEXT>"_s;
    QTest::newRow("--help-all, with a display at hand")
        << QStringList{u"--help-all"_s} << QStringList{u"QT_QPA_PLATFORM=offscreen"_s} << 0
        << u"--note <FILE>"_s;
    QTest::newRow("no display") << QStringList() << none << 1 << u"no display"_s;
    QTest::newRow("no display, and the platform named that needs one")
        << QStringList() << QStringList{u"QT_QPA_PLATFORM=wayland;xcb"_s} << 1 << u"no display"_s;
    // Refused at once, with no window: a FIFO would hold the start for good.
    for (const auto &[kind, path] :
         {std::pair{"a FIFO", u"<fifo>"_s}, std::pair{"a device", u"/dev/null"_s},
          std::pair{"a folder", u"/tmp"_s}})
        QTest::newRow(qPrintable(u"--note naming "_s + QLatin1String(kind)))
            << QStringList{u"--note"_s, path} << none << 1
            << QLatin1String(kind).mid(2) + u", not a file"_s;
    // Standard input that cannot be read, here a folder, is no empty text to add.
    QTest::newRow("--append - reading a folder")
        << QStringList{u"--append"_s, u"-"_s} << none << 1 << u"cannot read standard input"_s;
    QTest::newRow("--note naming a folder that does not exist")
        << QStringList{u"--note"_s, u"/tmp/new/"_s} << none << 1
        << u"cannot name the note's file"_s;
}

namespace {
/// What `mirt ARGUMENTS` prints with no display, in the environment given as NAME=VALUE.
QString answer(const QStringList &arguments, const QStringList &environment, int *exitCode) {
    QProcess process;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const char *name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM", "LANGUAGE"})
        env.remove(QLatin1String(name));
    env.insert(u"LANG"_s, u"C.UTF-8"_s);
    for (const QString &setting : environment)
        env.insert(setting.section(u'=', 0, 0), setting.section(u'=', 1));
    process.setProcessEnvironment(env);
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.setStandardInputFile(u"/"_s);
    process.start(QStringLiteral(MIRT_BINARY), arguments);
    if (!process.waitForFinished(10000) || process.exitStatus() != QProcess::NormalExit)
        return u"<crashed or hung>"_s; // no core dump either
    *exitCode = process.exitCode();
    return QString::fromLocal8Bit(process.readAll());
}
} // namespace

void tst_Packaging::commandLineIsAnsweredWithoutAWindow() {
    QFETCH(QStringList, arguments);
    QFETCH(QStringList, environment);
    QFETCH(int, exitCode);
    QFETCH(QString, output);
    QTemporaryDir dir;
    const QString fifo = dir.filePath(u"fifo"_s);
    QVERIFY(::mkfifo(QFile::encodeName(fifo).constData(), 0600) == 0);
    arguments.replaceInStrings(u"<fifo>"_s, fifo);
    int code = -1;
    const QString printed = answer(arguments, environment, &code);
    QCOMPARE(code, exitCode);
    QVERIFY2(printed.contains(output), qPrintable(printed));
    QCOMPARE(printed.count(u'\n') > 1, QTest::currentDataTag()[2] == 'h');
}

void tst_Packaging::helpSpeaksTheUsersLanguageThroughout_data() {
    QTest::addColumn<QString>("language");
    QTest::newRow("German") << u"de"_s;
    QTest::newRow("French") << u"fr"_s;
}

void tst_Packaging::helpSpeaksTheUsersLanguageThroughout() {
    // No line of the English help, the toolkit's own among them, is left in the translation.
    QFETCH(QString, language);
    int code = -1;
    const QString english = answer({u"--help-all"_s}, {}, &code);
    const QString translated =
        answer({u"--help-all"_s},
               {u"LANG="_s + language + u'_' + language.toUpper() + u".UTF-8"_s,
                u"LANGUAGE="_s + language},
               &code);
    QCOMPARE(code, 0);
    for (QString line : english.split(u'\n')) {
        line = line.section(u"  "_s, -1).trimmed(); // the option's description, or the line
        QVERIFY2(line.size() < 4 || !translated.contains(line), qPrintable(line));
    }
}

QTEST_GUILESS_MAIN(tst_Packaging)
#include "tst_packaging.moc"
