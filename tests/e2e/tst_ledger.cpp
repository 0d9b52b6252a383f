// SPDX-License-Identifier: MIT
// The words ledger: a Mirt on each side of two real Syncthing instances, each with --note on
// its side's copy of one note, and outside writers of every style on either copy. Every line
// added is a token and nothing else. A round is a seeded run of writes on both sides under a
// fault of real disks; once both notes agree and rest, every token must stand exactly once in
// the note, or else in a copy kept beside it, and never glued to another.
#include "Seeds.h"
#include "Session.h"
#include "Syncthing.h"

#include <QElapsedTimer>
#include <QRandomGenerator>
#include <QSet>

#include <cstdio>
#include <fcntl.h>
#include <functional>
#include <optional>
#include <unistd.h>

namespace {

std::optional<QByteArray> read(const QString &path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? std::optional(file.readAll()) : std::nullopt;
}

// Whether all of `bytes` went to `path`, opened with `flags` and written `pause` ms later.
bool put(const QString &path, int flags, const QByteArray &bytes, int pause = 0) {
    const int fd = ::open(QFile::encodeName(path).constData(), flags | O_WRONLY | O_CLOEXEC, 0644);
    if (fd < 0)
        return false;
    QTest::qWait(pause);
    const bool all = ::write(fd, bytes.constData(), bytes.size()) == bytes.size();
    return ::close(fd) == 0 && all;
}

// `token` as a line of its own after `before`.
QByteArray line(const QByteArray &before, const QByteArray &token) {
    return (before.isEmpty() || before.endsWith('\n') ? "" : "\n") + token + '\n';
}

/// One machine: its user's home and Mirt, and the folder Syncthing keeps there on a small file
/// system of its own, so that it can be filled: tmpfs, or exFAT through FUSE on a loop device,
/// which has no hard links.
struct Side {
    Session session;
    QString folder = session.home() + u"/Sync"_s, device;
    bool exfat = false;

    QString notes() const { return folder + u"/notes"_s; }
    QString note() const { return notes() + u"/ledger.txt"_s; }
    bool mount(bool exfatWanted) {
        QDir().mkpath(folder);
        const QString image = session.home() + u"/exfat.img"_s;
        QByteArray loop;
        exfat = exfatWanted && QFile(image).open(QIODevice::WriteOnly) &&
                QFile::resize(image, 16 << 20) && runProgram(u"mkfs.exfat"_s, {image}) == 0 &&
                runProgram(u"losetup"_s, {u"-f"_s, u"--show"_s, image}, &loop) == 0 &&
                !(device = QString::fromUtf8(loop.trimmed())).isEmpty() &&
                runProgram(u"mount.exfat-fuse"_s, {device, folder}) == 0;
        return exfat || runProgram(u"mount"_s, {u"-t"_s, u"tmpfs"_s, u"-o"_s, u"size=16m"_s,
                                                u"tmpfs"_s, folder}) == 0;
    }
    ~Side() {
        runProgram(u"umount"_s, {u"-l"_s, folder}); // lazily: the app may hold the folder still
        if (!device.isEmpty())
            runProgram(u"losetup"_s, {u"-d"_s, device});
    }
};

// The writers, each adding one line; false when nothing was added. Outside writers leave a
// missing note alone, and put back what they found when their write fails, as editors do.
struct Writer {
    const char *name;
    int weight; // typing is slow
    std::function<bool(Side &, const QByteArray &)> add;
};
const Writer writers[] = {
    {"mirt --append", 3,
     [](Side &side, const QByteArray &token) {
         // A line the app cannot save is taken out again, and the command fails.
         return side.session.command(
                    {u"--note"_s, side.note(), u"--append"_s, QString::fromUtf8(token)}) == 0;
     }},
    {"in place", 3,
     [](Side &side, const QByteArray &token) {
         const auto before = read(side.note());
         return before && (put(side.note(), O_TRUNC, *before + line(*before, token)) ||
                           (put(side.note(), O_TRUNC, *before), false));
     }},
    {"by rename with a backup", 2,
     [](Side &side, const QByteArray &token) {
         const QByteArray note = QFile::encodeName(side.note()), backup = note + '~';
         const auto before = read(side.note());
         return before && ::rename(note, backup) == 0 &&
                (put(side.note(), O_CREAT | O_TRUNC, *before + line(*before, token)) ||
                 (::rename(backup, note), false));
     }},
    {"truncate, then write 0.3 s later", 2,
     [](Side &side, const QByteArray &token) {
         const auto before = read(side.note());
         return before && (put(side.note(), O_TRUNC, *before + line(*before, token), 300) ||
                           (put(side.note(), O_TRUNC, *before), false));
     }},
    {"append", 3,
     [](Side &side, const QByteArray &token) {
         const auto before = read(side.note());
         return before && put(side.note(), O_APPEND, line(*before, token));
     }},
    {"typing", 1,
     [](Side &side, const QByteArray &token) {
         side.session.focus();
         side.session.key(u"ctrl+End"_s);
         if (!line(read(side.note()).value_or(""), "").isEmpty())
             side.session.key(u"Return"_s); // after a line that another writer left open
         side.session.type(QString::fromUtf8(token));
         side.session.key(u"Return"_s);
         return true;
     }},
};

// Faults, put on a side before a round's writes and taken off before its check; false when
// the side's file system cannot take one.
struct Fault {
    const char *name;
    std::function<bool(Side &, bool on)> set;
};
const Fault faults[] = {
    {"no fault",
     [](Side &, bool) {
         return true;
     }},
    {"a full disk",
     [](Side &side, bool on) {
         const QString filler = side.folder + u"/.ledger-fill"_s;
         const int fd = on ? ::open(QFile::encodeName(filler).constData(),
                                    O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644)
                           : -1;
         const QByteArray block(1 << 16, 'f');
         while (fd >= 0 && ::write(fd, block.constData(), block.size()) > 0) {
         }
         return on ? fd >= 0 && ::close(fd) == 0 : QFile::remove(filler);
     }},
    {"a read-only folder",
     [](Side &side, bool on) {
         return setReadOnly(side.notes(), on);
     }},
    {"the note's folder removed",
     [](Side &side, bool on) {
         return !on || QDir(side.notes()).removeRecursively();
     }},
};

} // namespace

class tst_Ledger : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void everyTokenStandsOnceWhateverHappens_data();
    void everyTokenStandsOnceWhateverHappens();
    void cleanupTestCase();

private:
    void record(const QString &event, bool always = true);
    void pause(int ms);
    bool settle();
    bool check();

    Side sides_[2];
    std::unique_ptr<SyncthingPair> engines_;
    QStringList ledger_; // tokens added and not yet accounted for
    QStringList log_;    // the round's writes and what the disks showed
    QString shown_;      // both folders as last recorded
    QMap<QString, int> fates_{{u"lost"_s, 0}, {u"doubled"_s, 0}, {u"glued"_s, 0}};
    int rounds_ = 0, tokens_ = 0, unsettled_ = 0;
    QSet<QString> engineCopies_;
};

void tst_Ledger::initTestCase() {
    if (::geteuid() != 0)
        QSKIP("the ledger mounts file systems: run it as root, as CI does");
    QVERIFY2(sides_[0].mount(false), "tmpfs cannot be mounted: the ledger runs as root");
    QVERIFY(sides_[1].mount(true));
    const char *linkless = "exFAT through FUSE on a loop device";
    if (!sides_[1].exfat) {
        linkless = "the LD_PRELOAD stand-in: this machine refused exFAT through FUSE";
        sides_[1].session.setEnv(u"LD_PRELOAD"_s, QStringLiteral(MIRT_REFUSING_FS));
        sides_[1].session.setEnv(u"MIRT_REFUSE"_s, u"links"_s);
    }
    std::printf("ledger: one side's folder has no hard links, by %s\n", linkless);
    for (Side &side : sides_) // the filler and editors' backups stay on their own machine
        writeFile(side.folder + u"/.stignore"_s, "/.ledger-fill\n(?d)*~\n");
    // A failed pull is tried again after a second rather than a minute.
    engines_ = std::make_unique<SyncthingPair>(sides_[0].session.home(), sides_[1].session.home(),
                                               u"<pullerPauseS>1</pullerPauseS>"_s);
    QTRY_VERIFY_WITH_TIMEOUT(engines_->connected(), 90000);
    writeFile(sides_[0].note(), "");
    QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(sides_[1].note()), 30000);
    for (Side &side : sides_)
        side.session.launch({u"--note"_s, side.note()});
}

void tst_Ledger::everyTokenStandsOnceWhateverHappens_data() {
    QTest::addColumn<quint32>("seed");
    for (const quint32 seed : seedsToRun({30, 1, 3, 4, 201}))
        QTest::addRow("seed %u", seed) << seed;
}

void tst_Ledger::everyTokenStandsOnceWhateverHappens() {
    QFETCH(quint32, seed);
    QRandomGenerator random(seed);
    int made = 0;
    log_.clear();
    const auto add = [&](Side &side, const Writer &writer) {
        const QByteArray token =
            'w' + QByteArray::number(seed) + 'x' + QByteArray::number(made++) + 'z';
        const bool added = writer.add(side, token);
        if (added)
            ledger_ << QString::fromUtf8(token);
        tokens_ += added;
        record(u"%1 %2 on side %3%4"_s.arg(QString::fromUtf8(token), QLatin1String(writer.name))
                   .arg(&side - sides_)
                   .arg(added ? u""_s : u", refused"_s));
    };
    const Fault &fault = faults[seed % std::size(faults)];
    int faulty = int(random.bounded(2));
    if (!fault.set(sides_[faulty], true)) // the side's file system cannot
        QVERIFY2(fault.set(sides_[faulty = 1 - faulty], true), fault.name);
    record(u"%1 on side %2"_s.arg(QLatin1String(fault.name)).arg(faulty));
    int weights = 0;
    for (const Writer &writer : writers)
        weights += writer.weight;
    for (int action = 3 + int(random.bounded(8)); action > 0; --action) {
        int pick = int(random.bounded(weights));
        const Writer *writer = writers;
        while ((pick -= writer->weight) >= 0)
            ++writer;
        add(sides_[random.bounded(2)], *writer);
        pause(int(random.bounded(800)));
    }
    QVERIFY(fault.set(sides_[faulty], false));
    for (Side &side : sides_) // the app saves once more, now that it can: mirt --append
        add(side, writers[0]);
    const bool settled = settle(), fine = check();
    ++rounds_;
    unsettled_ += !settled;
    if (!settled || !fine) {
        reportFailingSeed(seed);
        for (int i = 0; i < 2; ++i) {
            const QByteArray log = contents(sides_[i].session.home() + u"/syncthing/log"_s);
            log_
                << u"Syncthing %1: "_s.arg(i) +
                       QString::fromUtf8(engines_->ask(i, u"db/status?folder=notes"_s)).simplified()
                << QString::fromUtf8(log.sliced(std::max<qsizetype>(0, log.size() - 2000)));
        }
        qWarning("%s", qPrintable(log_.join(u'\n')));
    }
    QVERIFY2(settled, "the notes never came to rest equal");
    QVERIFY(fine);
}

void tst_Ledger::cleanupTestCase() {
    QStringList fates;
    for (auto fate = fates_.cbegin(); fate != fates_.cend(); ++fate)
        fates << u"%1 %2"_s.arg(fate.value()).arg(fate.key());
    std::printf("figure ledger: %d rounds, %d tokens: %s; %d rounds never settled; %lld "
                "Syncthing conflict copies seen\n",
                rounds_, tokens_, qPrintable(fates.join(u", "_s)), unsettled_,
                qint64(engineCopies_.size()));
}

// Notes `event` (`always`, or when the folders changed), and what both folders hold when it
// changed since.
void tst_Ledger::record(const QString &event, bool always) {
    QString shown;
    for (int i = 0; i < 2; ++i)
        for (const QFileInfo &file :
             QDir(sides_[i].notes()).entryInfoList(QDir::Files | QDir::Hidden, QDir::Name)) {
            shown += u"  %1 %2: %3\n"_s.arg(i).arg(file.fileName(),
                                                   QString::fromUtf8(contents(file.filePath())));
            if (file.fileName().startsWith(u"ledger.sync-conflict-"_s))
                engineCopies_ << file.fileName();
        }
    if (always || shown != shown_)
        log_ << event + (shown != shown_
                             ? u'\n' + QString(shown).replace(u'\n', u' ').replace(QChar(), u'@')
                             : QString());
    shown_ = shown;
}

// Waits `ms`, noting what changes on the disks meanwhile.
void tst_Ledger::pause(int ms) {
    QElapsedTimer clock;
    for (clock.start(); !clock.hasExpired(ms);) {
        QTest::qWait(std::min<int>(50, ms));
        record(u"%1 ms later"_s.arg(clock.elapsed()), false);
    }
}

// Both notes equal, both engines idle, and nothing changing for 4 s: the watcher's delay, a
// scan, a transfer and the app's answer to it. An engine's watcher may miss a change that its
// hourly scan would find: every 30 s both scan.
bool tst_Ledger::settle() {
    QElapsedTimer deadline, quiet, sinceScan;
    deadline.start();
    quiet.start();
    sinceScan.start();
    while (!deadline.hasExpired(180000)) {
        const QString before = shown_;
        pause(250);
        if (sinceScan.hasExpired(30000)) {
            sinceScan.restart();
            for (int i = 0; i < 2; ++i)
                engines_->ask(i, u"db/scan?folder=notes"_s, true);
        }
        const auto note = read(sides_[0].note());
        if (shown_ != before || !note || note != read(sides_[1].note()) || !engines_->idle())
            quiet.restart();
        else if (quiet.hasExpired(4000))
            return true;
    }
    return false;
}

// Accounts for every token of the ledger once; whether none was lost, doubled or glued.
bool tst_Ledger::check() {
    static const QRegularExpression token(u"w\\d+x\\d+z"_s);
    QHash<QString, int> whole;
    QSet<QString> glued, kept;
    for (const QString &line : QString::fromUtf8(read(sides_[0].note()).value_or("")).split(u'\n'))
        if (token.match(line).capturedLength() == line.size())
            ++whole[line];
        else
            for (const auto &match : token.globalMatch(line))
                glued << match.captured();
    for (const Side &side : sides_)
        for (const QString &name : QDir(side.notes()).entryList({u"ledger.*conflict-*"_s}))
            for (const QString &line :
                 QString::fromUtf8(contents(side.notes() + u'/' + name)).split(u'\n'))
                kept << line;
    bool fine = true;
    for (auto t = ledger_.begin(); t != ledger_.end();) {
        const QString fate = glued.contains(*t)     ? u"glued"_s
                             : whole.value(*t) == 1 ? QString()
                             : whole.value(*t) > 1  ? u"doubled"_s
                             : kept.contains(*t)    ? u"only in copies kept"_s
                                                    : u"lost"_s;
        if (fate.isEmpty()) {
            ++t;
            continue;
        }
        ++fates_[fate];
        if (!fate.startsWith(u"only"_s)) {
            log_.prepend(*t + u": "_s + fate);
            fine = false;
        }
        t = ledger_.erase(t);
    }
    return fine;
}

QTEST_MAIN(tst_Ledger)
#include "tst_ledger.moc"
