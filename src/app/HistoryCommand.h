// SPDX-License-Identifier: MIT
#pragma once

#include <QStringList>

/// `mirt --history`: the note's earlier versions for scripts, a line each, newest first and
/// numbered from 1: the number, the time, its kind as its file names it ("before-clear"), its
/// first line and its file, apart by tabs. `mirt --history N` prints version N as it is kept.
namespace HistoryCommand {

/// The exit code: 0, or 1 with a message when there is no such version.
int run(const QString &notePath, const QStringList &arguments);

} // namespace HistoryCommand
