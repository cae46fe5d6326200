// SPDX-License-Identifier: GPL-3.0-or-later
#include "dialogs/OutputFolder.h"

#include "base/IniFile.h"
#include "settings/Options.h"

#include <QDir>
#include <QFileInfo>

#include <algorithm>

void ConfirmOutputFolder(const QString& path, Options& options, IniFile& ini,
                         const std::function<void(const QString&)>& showOutputDir)
{
    // A refused write leaves the output folder as it was rather than half
    // changed, without the separator that output names rely on.
    ini.writeString(QStringLiteral("Output"), QStringLiteral("Dir"), path);
    options.outputDir = path;
    if (showOutputDir)
        showOutputDir(path);
    if (!path.isEmpty() && !QFileInfo(path).isDir())
        QDir().mkdir(path); // a failure shows later, when an output cannot be written
    if (!options.outputDir.endsWith(QLatin1Char('/')))
        options.outputDir += QLatin1Char('/');
}

QString CreateNewFolder(const QString& parent, const MakeFolder& makeFolder)
{
    const QString name = QStringLiteral("New Folder");
    QString folder = parent;
    if (!folder.endsWith(QLatin1Char('/')))
        folder += QLatin1Char('/');
    folder += name;
    if (QFileInfo(folder).isDir())
        return folder;
    const bool made = makeFolder ? makeFolder(parent, name) : QDir(parent).mkdir(name);
    return made ? folder : QString();
}

bool IsHiddenFromFolderTree(const QString& path)
{
    const QString clean = QDir::cleanPath(path);
    for (const char* pseudo : {"/proc", "/sys", "/dev"}) {
        const QString root = QLatin1String(pseudo);
        if (clean == root || clean.startsWith(root + QLatin1Char('/')))
            return true;
    }
    const QStringList parts = clean.split(QLatin1Char('/'), Qt::SkipEmptyParts);
    return std::any_of(parts.begin(), parts.end(),
                       [](const QString& part) { return part.startsWith(QLatin1Char('.')); });
}

QString FolderToOpenOn(const QString& outputDir)
{
    if (!outputDir.isEmpty() && QDir::isAbsolutePath(outputDir)) {
        QString folder = QDir::cleanPath(outputDir);
        for (;;) {
            if (QFileInfo(folder).isDir() && !IsHiddenFromFolderTree(folder))
                return folder;
            const QString up = QFileInfo(folder).path();
            if (up == folder)
                break;
            folder = up;
        }
    }
    return QDir::homePath();
}
