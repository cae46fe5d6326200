// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "app/SkinCommands.h"

#include <QIcon>

class MainSession;
class QMenu;
class QWidget;

// The picture of that number in the window's image list.
QIcon ImageListIcon(int number);

// The popup menu of the command table, with its captions, pictures,
// separators and key hints; each item runs its command in the session.
QMenu* BuildPopupMenu(Menu id, MainSession& session, QWidget* parent);

// The key that also gives a command, shown beside menu items and in hints;
// empty when it has none.
QKeySequence CommandShortcut(Command command);
