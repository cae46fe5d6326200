#include "base/DataFolder.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

namespace {
const QString kSkinFile = QStringLiteral("mp3enc.dll");
}

QString DataFolder()
{
    const QDir exeDir(QCoreApplication::applicationDirPath());
    // A build tree gets the skin copied next to the program; an installed
    // program never has it there.
    if (QFileInfo::exists(exeDir.filePath(kSkinFile)))
        return exeDir.absolutePath() + QLatin1Char('/');
    return QDir::cleanPath(exeDir.filePath(QStringLiteral("../share/vessimo"))) + QLatin1Char('/');
}

QString SkinFilePath()
{
    return DataFolder() + kSkinFile;
}

QString HelpFilePath()
{
    return DataFolder() + QStringLiteral("help/index.html");
}
