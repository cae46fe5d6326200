#pragma once

#include <QHash>
#include <QString>
#include <functional>

// The front panel's command table: element names, compared exactly (case
// included), to what a click on them does. A name without a command does
// nothing.
class SkinCommands {
public:
    void add(const QString& elementName, std::function<void()> command)
    {
        m_commands.insert(elementName, std::move(command));
    }
    // Runs the command of that element; false when it has none.
    bool run(const QString& elementName) const
    {
        const auto it = m_commands.find(elementName);
        if (it == m_commands.end())
            return false;
        (*it)();
        return true;
    }

private:
    QHash<QString, std::function<void()>> m_commands;
};
