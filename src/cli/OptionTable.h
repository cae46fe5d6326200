// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Every option of every subcommand is one row of one table: its names, its
// argument, the subcommands that take it and its help text. The parser, the
// usage lines and --help are all made from that table, so an option added
// there is parsed, refused where it does not belong and described at once.

#include "base/Error.h"

#include <QHash>
#include <QString>
#include <QStringList>

namespace cli {

// A command line the command cannot run; the command prints it with its
// usage and exits with 2.
class UsageError : public Error {
public:
    using Error::Error;
};

// The subcommands, as bits so that a row can name several.
enum Command : unsigned {
    Probe = 1u << 0,
    Tags = 1u << 1,
    Plan = 1u << 2,
    Cut = 1u << 3,
    Join = 1u << 4,
};
using Commands = unsigned;
constexpr Commands AllCommands = Probe | Tags | Plan | Cut | Join;
constexpr Commands Planning = Plan | Cut | Join;

enum OptionFlag : unsigned {
    // May be given more than once; every value is kept in order.
    Repeatable = 1u << 0,
    // The argument is optional and only given as --name=VALUE.
    OptionalArgument = 1u << 1,
};

struct OptionRow {
    // "o|output": a one-letter name and the long name, or the long name alone.
    const char* names;
    // The argument's placeholder ("N", "DIR"); empty for a switch.
    const char* argument;
    Commands commands;
    const char* help;
    unsigned flags = 0;
};

// The table, in the order --help lists it.
const QVector<OptionRow>& optionTable();

// The subcommand with this name; 0 when there is none.
Command commandNamed(const QString& name);
QString commandName(Command command);

// A parsed command line: the options by their long name, the rest in order.
class ParsedLine {
public:
    bool isSet(const QString& name) const { return m_values.contains(name); }
    // The option's argument (the last one of a repeatable option), empty when
    // not given or given without one.
    QString value(const QString& name) const;
    QStringList values(const QString& name) const { return m_values.value(name); }
    const QStringList& positional() const { return m_positional; }
    QStringList& positional() { return m_positional; }

    void add(const QString& name, const QString& value) { m_values[name].append(value); }

private:
    QHash<QString, QStringList> m_values;
    QStringList m_positional;
};

// Parses the arguments after the subcommand's name: --name VALUE,
// --name=VALUE, -x VALUE, -xVALUE; "--" ends the options and "-" is a
// positional argument. Throws UsageError for an unknown option, one the
// subcommand does not take, a missing or unwanted argument, or a
// non-repeatable option given twice.
ParsedLine parseLine(Command command, const QStringList& args);

// The usage lines of the subcommand (or of the whole tool for 0), ending
// in a line that points at --help.
QString usageText(Command command);
// The full --help text: usage, description, every option the subcommand
// takes with its argument and help, the time syntax where times are taken,
// and examples.
QString helpText(Command command);

} // namespace cli
