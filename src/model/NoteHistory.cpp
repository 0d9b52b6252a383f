// SPDX-License-Identifier: MIT
#include "NoteHistory.h"

#include "AtomicFile.h"
#include "Clock.h"
#include "DiskState.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QSet>

#include <algorithm>

namespace {

constexpr auto ownerOnlyFolder =
    QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner;

// How each kind is spelled in the names of the files, which scripts and file managers show.
constexpr std::pair<NoteHistory::Kind, const char *> kindNames[] = {
    {NoteHistory::Kind::Snapshot, "snapshot"},
    {NoteHistory::Kind::BeforeClear, "before-clear"},
    {NoteHistory::Kind::Meeting, "meeting"},
    {NoteHistory::Kind::BeforeMerge, "before-merge"},
    {NoteHistory::Kind::BeforeChange, "before-change"},
    {NoteHistory::Kind::BeforeBringBack, "before-bring-back"},
};

// "20261207-130512-345.before-clear.txt": the time in UTC, so that names sort as times do
// across changes of the clock's zone and summer time.
const QRegularExpression &versionName() {
    static const QRegularExpression pattern(
        QStringLiteral(R"(^(\d{8}-\d{6}-\d{3})(?:-\d+)?\.([a-z-]+)\.txt$)"));
    return pattern;
}

constexpr const char *timeFormat = "yyyyMMdd-HHmmss-zzz";

// Cleared notes and meetings are what the user most wants back: never thinned out by age.
bool isThinned(NoteHistory::Kind kind) {
    return kind != NoteHistory::Kind::BeforeClear && kind != NoteHistory::Kind::Meeting;
}

// The lines of `bytes`, to tell whether a newer version holds every line of an older one.
QSet<QByteArrayView> linesOf(const QByteArray &bytes) {
    QSet<QByteArrayView> lines;
    for (qsizetype at = 0; at < bytes.size();) {
        qsizetype end = bytes.indexOf('\n', at);
        if (end < 0)
            end = bytes.size();
        lines.insert(QByteArrayView(bytes).sliced(at, end - at));
        at = end + 1;
    }
    return lines;
}

} // namespace

NoteHistory::NoteHistory(const QString &folder, const Clock &clock, qint64 budget, QObject *parent)
    : QObject(parent)
    , folder_(folder)
    , clock_(clock)
    , budget_(budget) {}

QString NoteHistory::kindName(Kind kind) {
    for (const auto &[k, name] : kindNames)
        if (k == kind)
            return QLatin1String(name);
    return QString();
}

QString NoteHistory::folderFor(const QString &dataFolder, const QString &notePath) {
    const QString history = QDir(dataFolder).filePath(QStringLiteral("history"));
    if (notePath.isEmpty())
        return QDir(history).filePath(QStringLiteral("note"));
    // A note of the user's naming has a history of its own, known by the file it leads to.
    const QString real = AtomicFile::resolve(notePath);
    const QByteArray hash =
        QCryptographicHash::hash(QFile::encodeName(real), QCryptographicHash::Sha1).toHex();
    return QDir(history).filePath(QFileInfo(real).fileName() + u'-' +
                                  QString::fromLatin1(hash.first(12)));
}

bool NoteHistory::isEnabled() const {
    std::lock_guard lock(mutex_);
    return enabled_;
}

void NoteHistory::setEnabled(bool enabled) {
    std::lock_guard lock(mutex_);
    enabled_ = enabled;
    if (!enabled)
        waiting_.clear();
}

std::optional<QString> NoteHistory::write(Kind kind, const QByteArray &utf8,
                                          const QDateTime &when) {
    if (!QDir().mkpath(folder_))
        return QStringLiteral("%1: cannot make the folder").arg(QDir::toNativeSeparators(folder_));
    QFile::setPermissions(folder_, ownerOnlyFolder);
    const QString stamp = when.toUTC().toString(QLatin1String(timeFormat));
    std::optional<QString> error;
    AtomicFile::createNew(
        [&](int n) {
            return QDir(folder_).filePath(stamp + (n > 1 ? u'-' + QString::number(n) : QString()) +
                                          u'.' + kindName(kind) + QStringLiteral(".txt"));
        },
        utf8, &error);
    return error;
}

void NoteHistory::keep(Kind kind, const QByteArray &utf8) {
    std::unique_lock lock(mutex_);
    if (!enabled_)
        return;
    // What waits from before goes first, in its order, with the time it was kept at.
    waiting_.append({kind, utf8, clock_.now()});
    while (!waiting_.isEmpty()) {
        const Waiting &next = waiting_.first();
        if (const std::optional<QString> error = write(next.kind, next.utf8, next.when)) {
            // Never more than a few notes held in memory: the oldest waiting go first.
            qsizetype held = 0;
            for (const Waiting &w : waiting_)
                held += w.utf8.size();
            while (waiting_.size() > 1 && held > 64 * 1024 * 1024)
                held -= waiting_.takeFirst().utf8.size();
            if (!std::exchange(failing_, true)) {
                lock.unlock();
                Q_EMIT failed(*error);
            }
            return;
        }
        if (next.kind == Kind::Snapshot)
            lastSnapshot_ = next.when;
        lastKeptHash_ = qHash(next.utf8);
        waiting_.removeFirst();
    }
    failing_ = false;
    thin();
    lock.unlock();
    Q_EMIT kept();
}

void NoteHistory::offerSnapshot(const QByteArray &utf8) {
    {
        std::lock_guard lock(mutex_);
        if (!enabled_)
            return;
        if (!lastSnapshot_.isValid()) { // since the app started: from what is on disk
            lastSnapshot_ = QDateTime::fromSecsSinceEpoch(0);
            const QList<Version> kept = versions();
            for (const Version &version : kept)
                if (version.kind == Kind::Snapshot) {
                    lastSnapshot_ = version.time;
                    break;
                }
            if (!kept.isEmpty())
                lastKeptHash_ = qHash(readRegularFile(kept.first().path).value_or(QByteArray()));
        }
        if (lastSnapshot_.secsTo(clock_.now()) < snapshotIntervalSecs ||
            qHash(utf8) == lastKeptHash_)
            return;
    }
    keep(Kind::Snapshot, utf8);
}

QList<NoteHistory::Version> NoteHistory::versions() const {
    QList<Version> found;
    const QFileInfoList files =
        QDir(folder_).entryInfoList({QStringLiteral("*.txt")}, QDir::Files, QDir::Name);
    for (const QFileInfo &file : files) {
        const QRegularExpressionMatch match = versionName().match(file.fileName());
        if (!match.hasMatch())
            continue;
        const QDateTime named = QDateTime::fromString(match.captured(1), QLatin1String(timeFormat));
        const QDateTime time(named.date(), named.time(), Qt::UTC);
        for (const auto &[kind, name] : kindNames)
            if (match.captured(2) == QLatin1String(name))
                found.append({file.filePath(), time, kind, file.size()});
    }
    std::stable_sort(found.begin(), found.end(),
                     [](const Version &a, const Version &b) { return a.time > b.time; });
    return found;
}

std::optional<QByteArray> NoteHistory::read(const Version &version) const {
    return readRegularFile(version.path);
}

QString NoteHistory::firstLine(const Version &version) {
    QFile file(version.path);
    if (!file.open(QIODevice::ReadOnly))
        return QString();
    // Lines of white space tell nothing of a version.
    for (int lines = 0; lines < 50 && !file.atEnd(); ++lines) {
        const QString line = QString::fromUtf8(file.readLine(4096)).trimmed();
        if (!line.isEmpty())
            return line;
    }
    return QString();
}

void NoteHistory::clear() {
    std::lock_guard lock(mutex_);
    waiting_.clear();
    for (const Version &version : versions())
        QFile::remove(version.path);
    lastSnapshot_ = QDateTime();
}

// With the mutex held, after a version is kept.
void NoteHistory::thin() {
    const QList<Version> all = versions(); // newest first
    const QDateTime now = clock_.now();
    QList<Version> left;
    QSet<QString> buckets;
    for (qsizetype i = 0; i < all.size(); ++i) {
        const Version &version = all[i];
        const qint64 age = version.time.secsTo(now);
        const qint64 hour = 3600, day = 24 * hour;
        if (i == 0 || !isThinned(version.kind) || age <= day) {
            left.append(version);
            continue;
        }
        // The newest of each hour for a week, of each day for a year; none older.
        const QString bucket = age <= 7 * day ? version.time.toString(QStringLiteral("yyyyMMddHH"))
                               : age <= 365 * day
                                   ? version.time.toString(QStringLiteral("yyyyMMdd"))
                                   : QString();
        if (!bucket.isEmpty() && !buckets.contains(bucket)) {
            buckets.insert(bucket);
            left.append(version);
            continue;
        }
        // Not while no newer version holds every line of it: the nearest are the likeliest.
        const std::optional<QByteArray> bytes = read(version);
        bool held = !bytes;
        if (bytes) {
            const QSet<QByteArrayView> lines = linesOf(*bytes);
            for (qsizetype n = left.size() - 1;
                 n >= std::max<qsizetype>(0, left.size() - 3) && !held; --n) {
                const std::optional<QByteArray> newer = read(left[n]);
                held = newer && linesOf(*newer).contains(lines);
            }
        }
        if (held)
            QFile::remove(version.path);
        else
            left.append(version);
    }
    // The budget holds over everything but the newest.
    qint64 total = 0;
    for (const Version &version : left)
        total += version.size;
    while (total > budget_ && left.size() > 1) {
        total -= left.last().size;
        QFile::remove(left.takeLast().path);
    }
}
