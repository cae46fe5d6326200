// SPDX-License-Identifier: GPL-3.0-or-later
#include "base/DataFolder.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

#ifndef VESSIMO_DATA_FROM_BINARY
#error "VESSIMO_DATA_FROM_BINARY is set by the build"
#endif

namespace {
const QString kSkinFile = QStringLiteral("mp3enc.dll");
}

QString DataFolderFor(const QString& programDir, const QString& installedData)
{
    const QDir exeDir(programDir);
    // A build tree gets the skin copied next to the program; an installed
    // program never has it there.
    if (QFileInfo::exists(exeDir.filePath(kSkinFile)))
        return exeDir.absolutePath() + QLatin1Char('/');
    return QDir::cleanPath(exeDir.absoluteFilePath(installedData)) + QLatin1Char('/');
}

QString DataFolder()
{
    return DataFolderFor(QCoreApplication::applicationDirPath(),
                         QStringLiteral(VESSIMO_DATA_FROM_BINARY));
}

QString SkinFilePath()
{
    return DataFolder() + kSkinFile;
}

QString HelpFilePath()
{
    return DataFolder() + QStringLiteral("help/index.html");
}
