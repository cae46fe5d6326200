// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

class Shell;

// The maker's addresses, shown in the about box and used by the help menu.
inline const QString kHomePage = QStringLiteral("https://vessimo.example/");
inline const QString kSalesMail = QStringLiteral("sales@vessimo.example");
inline const QString kSupportMail = QStringLiteral("support@vessimo.example");

// The user guide, help/index.html in the data folder, in the default browser.
// Whether it exists is the browser's business, as with the other links.
void OpenHelpFile(Shell& shell);
void OpenHomePage(Shell& shell);
