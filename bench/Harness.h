// SPDX-License-Identifier: MIT
// A small benchmark harness: repeated runs after a warm-up, medians and tails, and goals
// given as ratios measured in the same run.
#pragma once

#include <QElapsedTimer>
#include <QString>

#include <functional>
#include <vector>

struct Stats {
    double median = 0;
    double p99 = 0;
    double min = 0;
    double max = 0;
    int runs = 0;
};

/// Runs `once` `warmup` times unmeasured, then `runs` times. `once` returns the milliseconds
/// it measured itself, so that each case decides what lies inside the clock.
Stats measure(int warmup, int runs, const std::function<double()> &once);

/// Milliseconds that `work` takes.
double timed(const std::function<void()> &work);

/// Prints one row of the results table.
void report(const QString &name, const Stats &stats);

/// Prints one goal: `measured` against `limit` (a ratio or milliseconds), PASS or FALL SHORT.
void goal(const QString &name, double measured, double limit, const QString &unit);

/// A note of about `bytes` UTF-8 bytes made of realistic lines of 40 to 100 characters.
QString makeNote(qsizetype bytes, bool lineBreaks = true);

/// The process's peak resident memory so far, in MiB (VmHWM).
double peakMemoryMiB(qint64 pid = 0);

/// The `q` quantile of `samples`, the nearest one measured.
double quantile(std::vector<double> samples, double q);

/// Goals that fell short so far.
int shortfalls();

/// Adds a case that `mirt_bench NAME` runs, and a plain `mirt_bench` too; for the cases kept in
/// files of their own. Returns true, so that a file can register at its start.
bool registerCase(const char *name, void (*run)());

/// Runs the registered cases whose names `wanted` accepts, in the order they were registered.
void runRegisteredCases(const std::function<bool(const char *name)> &wanted);
