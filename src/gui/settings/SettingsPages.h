// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QList>

class QWidget;

// The settings dialog's pages, one Designer form each (named after its group
// box: gb_cdgeneral, gb_mp3general ...), created without a parent for the
// dialog's page stack.
QList<QWidget*> createSettingsPages();
