#pragma once

#include "app/Prompts.h"

#include <stdexcept>
#include <utility>

// Runs a command that Qt started (a click, a menu item, a timer) and shows a
// failure in the error box, so that no exception ever crosses the event loop.
template <typename Command> void RunGuarded(Prompts& prompts, Command&& command)
{
    try {
        std::forward<Command>(command)();
    } catch (const std::runtime_error& e) {
        prompts.error(QString::fromUtf8(e.what()));
    }
}
