// SPDX-License-Identifier: GPL-3.0-or-later
#include "dialogs/HelpLinks.h"

#include "base/DataFolder.h"
#include "base/Shell.h"

void OpenHelpFile(Shell& shell)
{
    shell.openHelpFile(HelpFilePath());
}

void OpenHomePage(Shell& shell)
{
    shell.openWebAddress(kHomePage);
}
