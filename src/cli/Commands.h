#pragma once

#include <QStringList>

// The subcommands of vessimo-cli; each takes the arguments after its name and
// returns the process exit status.
namespace cli {
int probe(const QStringList& args);
int tags(const QStringList& args);
int plan(const QStringList& args);
int cut(const QStringList& args);
int join(const QStringList& args);
} // namespace cli
