// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

// The program's data folder, which holds the skin "mp3enc.dll" and the help:
// the executable's folder in a build tree, and in an installation the data
// folder of the install layout (<prefix>/share/vessimo by default), found
// relative to the executable's folder so that an installed tree can move as a
// whole. It ends in a separator, as file names are appended to it.
QString DataFolder();

// The data folder of a program in `programDir`: `programDir` itself when the
// skin lies there, otherwise `installedData` taken relative to `programDir`
// (or as it is, when absolute).
QString DataFolderFor(const QString& programDir, const QString& installedData);

QString SkinFilePath();
QString HelpFilePath();
