// SPDX-License-Identifier: GPL-3.0-or-later
#include "base/EndSignals.h"
#include "base/Version.h"
#include "cli/Commands.h"
#include "cli/PlanOptions.h"
#include "cli/RunReport.h"

#include <QCoreApplication>
#include <QTextStream>

// vessimo-cli: a command-line front end over the same core as the window.
int main(int argc, char** argv)
{
    // Before any file is written: Ctrl-C, SIGTERM and SIGHUP then never leave
    // a half-written file behind (cut and join stop at the first of them).
    EndSignals::install();
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("vessimo-cli"));
    // Names are taken as bytes: one that is not UTF-8 text is kept escaped
    // and reported as such, never turned into another file's name.
    QStringList args;
    for (int i = 1; i < argc; ++i)
        args << cli::decodeName(QByteArray(argv[i]));
    QTextStream out(stdout);
    QTextStream err(stderr);
    if (args.isEmpty()) {
        err << cli::usageText(cli::Command(0));
        return 2;
    }
    const QString name = args.first();
    if (name == QLatin1String("--help") || name == QLatin1String("-h")) {
        out << cli::helpText(cli::Command(0));
        return 0;
    }
    if (name == QLatin1String("--version")) {
        out << VersionText(QStringLiteral("vessimo-cli"));
        return 0;
    }
    const cli::Command command = cli::commandNamed(name);
    if (!command) {
        err << "vessimo-cli: unknown command: " << cli::printable(name) << "\n"
            << cli::usageText(cli::Command(0));
        return 2;
    }
    cli::ParsedLine line;
    try {
        line = cli::parseLine(command, args.mid(1));
    } catch (const cli::UsageError& e) {
        return cli::usageFailure(err, command, e);
    }
    if (line.isSet(QStringLiteral("help"))) {
        out << cli::helpText(command);
        return 0;
    }
    if (line.isSet(QStringLiteral("version"))) {
        out << VersionText(QStringLiteral("vessimo-cli"));
        return 0;
    }
    switch (command) {
    case cli::Probe:
        return cli::probe(line);
    case cli::Tags:
        return cli::tags(line);
    case cli::Plan:
        return cli::plan(line);
    case cli::Cut:
        return cli::cut(line);
    case cli::Join:
        return cli::join(line);
    }
    return 2;
}
