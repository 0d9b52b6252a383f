// SPDX-License-Identifier: MIT
#include "Harness.h"

#include <QFile>
#include <QRandomGenerator>
#include <QRegularExpression>

#include <algorithm>
#include <cstdio>

namespace {
int fallenShort = 0;
}

Stats measure(int warmup, int runs, const std::function<double()> &once) {
    for (int i = 0; i < warmup; ++i)
        once();
    std::vector<double> samples;
    samples.reserve(runs);
    for (int i = 0; i < runs; ++i)
        samples.push_back(once());
    std::sort(samples.begin(), samples.end());
    const auto at = [&](double q) {
        return samples[std::min<size_t>(samples.size() - 1,
                                        size_t(q * (samples.size() - 1) + 0.5))];
    };
    return {at(0.5), at(0.99), samples.front(), samples.back(), runs};
}

double timed(const std::function<void()> &work) {
    QElapsedTimer clock;
    clock.start();
    work();
    return double(clock.nsecsElapsed()) / 1e6;
}

void report(const QString &name, const Stats &s) {
    std::printf("| %-52s | %9.3f | %9.3f | %9.3f | %9.3f | %5d |\n", qPrintable(name), s.median,
                s.p99, s.min, s.max, s.runs);
    std::fflush(stdout);
}

void goal(const QString &name, double measured, double limit, const QString &unit) {
    const bool pass = measured <= limit;
    if (!pass)
        ++fallenShort;
    std::printf("| %-62s | %9.3f %-3s | <= %7.3f %-3s | %-10s |\n", qPrintable(name), measured,
                qPrintable(unit), limit, qPrintable(unit), pass ? "PASS" : "FALL SHORT");
    std::fflush(stdout);
}

double quantile(std::vector<double> samples, double q) {
    std::sort(samples.begin(), samples.end());
    return samples[size_t(q * double(samples.size() - 1) + 0.5)];
}

int shortfalls() {
    return fallenShort;
}

QString makeNote(qsizetype bytes, bool lineBreaks) {
    static const QStringList words =
        QStringLiteral(
            "the budget review agreed to ship beta on friday after the design team checked "
            "release notes with customers and support while marketing prepared launch plans for "
            "next quarter including pricing metrics hiring roadmap risks owners follow up action "
            "items deadline priority migration database server latency dashboard onboarding")
            .split(u' ');
    QRandomGenerator random(42);
    QString note;
    note.reserve(bytes + 128);
    while (note.size() < bytes) {
        const int length = 40 + int(random.bounded(61));
        QString line;
        while (line.size() < length)
            line += words[random.bounded(words.size())] + u' ';
        line.truncate(length);
        note += line;
        note += lineBreaks ? u'\n' : u' ';
    }
    note.truncate(bytes);
    return note;
}

double peakMemoryMiB(qint64 pid) {
    QFile status(pid ? QStringLiteral("/proc/%1/status").arg(pid)
                     : QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    static const QRegularExpression hwm(QStringLiteral(R"(VmHWM:\s+(\d+) kB)"));
    const auto match = hwm.match(QString::fromLatin1(status.readAll()));
    return match.hasMatch() ? match.captured(1).toDouble() / 1024.0 : -1;
}

namespace {
std::vector<std::pair<const char *, void (*)()>> &registeredCases() {
    static std::vector<std::pair<const char *, void (*)()>> cases;
    return cases;
}
} // namespace

bool registerCase(const char *name, void (*run)()) {
    registeredCases().emplace_back(name, run);
    return true;
}

void runRegisteredCases(const std::function<bool(const char *)> &wanted) {
    for (const auto &[name, run] : registeredCases())
        if (wanted(name))
            run();
}
