// SPDX-License-Identifier: GPL-3.0-or-later
#include "gui/DesktopShell.h"

#include <QDesktopServices>
#include <QUrl>

void DesktopShell::openFolder(const QString& folder)
{
    QDesktopServices::openUrl(QUrl::fromLocalFile(folder));
}

void DesktopShell::openHelpFile(const QString& path)
{
    QDesktopServices::openUrl(QUrl::fromLocalFile(path));
}

void DesktopShell::openWebAddress(const QString& address)
{
    QDesktopServices::openUrl(QUrl(address));
}

void DesktopShell::startMail(const QString& address)
{
    QDesktopServices::openUrl(QUrl(QStringLiteral("mailto:") + address));
}
