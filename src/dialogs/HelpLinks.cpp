#include "dialogs/HelpLinks.h"

#include "app/DataFolder.h"
#include "app/Shell.h"

void OpenHelpFile(Shell& shell)
{
    shell.openHelpFile(HelpFilePath());
}

void OpenHomePage(Shell& shell)
{
    shell.openWebAddress(kHomePage);
}
