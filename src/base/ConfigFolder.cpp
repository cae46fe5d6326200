// SPDX-License-Identifier: GPL-3.0-or-later
#include "base/ConfigFolder.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

namespace {

const QString kOptionsFile = QStringLiteral("Vessimo.ini");

QString userConfigFolder()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
}

// Anything by that name, a dangling link included: the user's, not to be replaced.
bool isThere(const QString& path)
{
    const QFileInfo info(path);
    return info.exists() || info.isSymLink();
}

} // namespace

QString ConfigFolder()
{
    return userConfigFolder() + QStringLiteral("/vessimo");
}

QString OptionsFilePath()
{
    const QString folder = ConfigFolder();
    const QString current = folder + QLatin1Char('/') + kOptionsFile;
    const QString older = userConfigFolder() + QLatin1Char('/') + kOptionsFile;
    const bool hasFolder = QDir().mkpath(folder);
    if (isThere(current) || !QFileInfo(older).isFile())
        return current;
    // QFile::copy writes a temporary file and renames it, so a failed copy
    // leaves no half file that would later pass for the options.
    if (hasFolder && QFile::copy(older, current))
        return current;
    // Another process may have copied it first.
    return isThere(current) ? current : older;
}
