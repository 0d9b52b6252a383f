// SPDX-License-Identifier: MIT
#pragma once

#include <QFont>

#include <QFontDatabase>

/// The note's monospaced font at `pointSize`: the system's fixed font, unless the platform
/// theme gives a proportional one there, as some do; then the first family that really is
/// monospaced.
QFont noteFont(double pointSize, QFont fixed = QFontDatabase::systemFont(QFontDatabase::FixedFont));
