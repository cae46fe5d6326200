// SPDX-License-Identifier: GPL-3.0-or-later
#include "base/Version.h"

#ifndef VESSIMO_VERSION
#error "VESSIMO_VERSION is set by the build"
#endif

QString ProgramVersion()
{
    return QStringLiteral(VESSIMO_VERSION);
}

QString VersionText(const QString& program)
{
    return program + QLatin1Char(' ') + ProgramVersion() +
           QStringLiteral("\nLicense GPL-3.0-or-later: GNU GPL version 3 or later "
                          "<https://gnu.org/licenses/gpl.html>.\n"
                          "This is free software: you are free to change and redistribute it.\n"
                          "There is NO WARRANTY, to the extent permitted by law.\n");
}
