// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

#include <optional>

// The application id: the names of the desktop entry, the icon and the
// AppStream file, and the desktop file name that the window announces.
inline const QString kApplicationId = QStringLiteral("io.github.vessimo.Vessimo");

// The main window's title bar: its caption followed by the program's version.
QString VersionedCaption(const QString& caption);

// `vessimo --help` and `vessimo --version`, answered before the window, the
// single-instance lock or a display is needed, so that they work while
// another Vessimo runs and on a machine without a screen. Returns the exit
// status when either was given (before a "--"), nothing otherwise.
std::optional<int> AnswerInfoOption(int argc, char** argv);
