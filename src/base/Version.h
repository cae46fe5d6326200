// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

// The program's one version number, set by the build (the project's version
// in CMake): the window's title bar, the about box, --version and the
// AppStream release all show this one.
QString ProgramVersion();

// The --version text of `program` ("vessimo", "vessimo-cli"): its name and
// version on the first line, then the licence, as command-line tools print it.
QString VersionText(const QString& program);
