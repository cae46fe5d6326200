// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

class QWidget;

// Places a dialog 10 px right of and below the main window. Call it while
// the dialog is being shown.
void PlaceBesideMainWindow(QWidget& dialog, const QWidget& mainWindow);
