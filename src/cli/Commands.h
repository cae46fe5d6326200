// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "cli/OptionTable.h"

// The subcommands of vessimo-cli; each takes its parsed command line (the
// arguments after its name) and returns the process exit status.
namespace cli {
int probe(const ParsedLine& line);
int tags(const ParsedLine& line);
int plan(const ParsedLine& line);
int cut(const ParsedLine& line);
int join(const ParsedLine& line);
} // namespace cli
