// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "base/Prompts.h"

#include <exception>
#include <utility>

// Runs a command that Qt started (a click, a menu item, a timer) and shows a
// failure in the error box, so that no exception ever crosses the event loop.
template <typename Command> void RunGuarded(Prompts& prompts, Command&& command)
{
    try {
        std::forward<Command>(command)();
    } catch (const std::exception& e) {
        // Failures of the program itself too (a bad index, no memory): shown
        // like any other, since one escaping here would end the program.
        prompts.error(QString::fromUtf8(e.what()));
    }
}
