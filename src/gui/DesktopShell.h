// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "base/Shell.h"

// Hands folders, pages and mail addresses to the desktop's default programs.
class DesktopShell : public Shell {
public:
    void openFolder(const QString& folder) override;
    void openHelpFile(const QString& path) override;
    void openWebAddress(const QString& address) override;
    void startMail(const QString& address) override;
};
