// SPDX-License-Identifier: GPL-3.0-or-later
#include "gui/FrontPanelMenus.h"

#include "app/MainSession.h"
#include "gui/SkinIcons.h"

#include <QAction>
#include <QMenu>

QIcon ImageListIcon(int number)
{
    static const char* const names[] = {
        "add",  "folder", "remove", "exit", nullptr, nullptr, "info", "globe",
        "book", "clear",  "tag",    "up",   "down",  "halt",  "cut",
    };
    if (number < 0 || number >= static_cast<int>(std::size(names)) || !names[number])
        return {};
    return SkinIcon(QString::fromLatin1(names[number]));
}

QKeySequence CommandShortcut(Command command)
{
    switch (command) {
    case Command::AddFiles:
        return QKeySequence(Qt::CTRL | Qt::Key_O);
    case Command::RemoveFile:
    case Command::RemoveSelection:
        return QKeySequence(Qt::Key_Delete);
    case Command::Play:
        return QKeySequence(Qt::Key_Space);
    case Command::Begin:
        return QKeySequence(Qt::Key_B);
    case Command::End:
        return QKeySequence(Qt::Key_E);
    case Command::Ok:
        return QKeySequence(Qt::Key_Return);
    case Command::StepBack:
        return QKeySequence(Qt::Key_Left);
    case Command::StepForward:
        return QKeySequence(Qt::Key_Right);
    case Command::HelpFile:
        return QKeySequence(Qt::Key_F1);
    default:
        return {};
    }
}

QMenu* BuildPopupMenu(Menu id, MainSession& session, QWidget* parent)
{
    const PopupMenu& def = PopupMenuOf(id);
    auto* menu = new QMenu(parent);
    menu->setObjectName(def.name);
    for (const MenuItem& item : def.items) {
        if (item.isSeparator()) {
            menu->addSeparator();
            continue;
        }
        QAction* action = menu->addAction(ImageListIcon(item.icon), item.caption);
        const QKeySequence key = CommandShortcut(item.command);
        if (!key.isEmpty()) {
            // Shown only: the window handles the keys itself, so that they
            // act whether or not a menu was ever opened.
            action->setShortcut(key);
            action->setShortcutContext(Qt::WidgetShortcut);
        }
        const Command command = item.command;
        QObject::connect(action, &QAction::triggered, menu,
                         [&session, command] { session.runCommand(command); });
    }
    return menu;
}
