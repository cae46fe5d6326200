// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

// Hands things to the desktop: never waits for them, never reports their
// outcome. The window implements it; tests record the calls.
class Shell {
public:
    virtual ~Shell() = default;

    virtual void openFolder(const QString& folder) = 0;
    virtual void openHelpFile(const QString& path) = 0;
    virtual void openWebAddress(const QString& address) = 0;
    virtual void startMail(const QString& address) = 0;
};
