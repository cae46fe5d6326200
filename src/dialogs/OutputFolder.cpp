#include "dialogs/OutputFolder.h"

#include "base/IniFile.h"
#include "settings/Options.h"

#include <QDir>
#include <QFileInfo>

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

QString CreateNewFolder(const QString& parent)
{
    QString folder = parent;
    if (!folder.endsWith(QLatin1Char('/')))
        folder += QLatin1Char('/');
    folder += QStringLiteral("New Folder");
    if (QFileInfo(folder).isDir())
        return folder;
    return QDir().mkdir(folder) ? folder : QString();
}
