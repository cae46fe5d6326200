#include "base/EndSignals.h"
#include "base/Version.h"
#include "cli/Commands.h"

#include <QCoreApplication>
#include <QTextStream>

namespace {

void printUsage(QTextStream& out)
{
    out << "usage: vessimo-cli probe [--json] FILE...\n"
           "       vessimo-cli tags [--json] FILE...\n"
           "       vessimo-cli tags FILE --set FIELD=VALUE [--set FIELD=VALUE ...]\n"
           "       vessimo-cli plan [--every N | --pieces N | --segments LIST] [--settings INI]\n"
           "                        [--json] PATH...\n"
           "       vessimo-cli cut [--every N | --pieces N | --segments LIST] [--format FORMAT]\n"
           "                       [--copy] [--out DIR] [--fade-in S] [--fade-out S]\n"
           "                       [--settings INI] [--json] [--jobs N] PATH...\n"
           "       vessimo-cli join [--every N | --pieces N | --segments LIST] [--fade-in S]\n"
           "                        [--fade-out S] [--settings INI] [--overwrite] [--json]\n"
           "                        -o OUTPUT PATH...\n"
           "       vessimo-cli --help | --version\n";
}

} // namespace

// vessimo-cli: a command-line front end over the same core as the window.
int main(int argc, char** argv)
{
    // Before any file is written: Ctrl-C, SIGTERM and SIGHUP then never leave
    // a half-written file behind (cut and join stop at the first of them).
    EndSignals::install();
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("vessimo-cli"));
    const QStringList args = QCoreApplication::arguments().mid(1);
    QTextStream out(stdout);
    QTextStream err(stderr);
    if (args.isEmpty()) {
        printUsage(err);
        return 2;
    }
    const QString command = args.first();
    if (command == QLatin1String("--help") || command == QLatin1String("-h")) {
        printUsage(out);
        return 0;
    }
    if (command == QLatin1String("--version")) {
        out << VersionText(QStringLiteral("vessimo-cli"));
        return 0;
    }
    if (command == QLatin1String("probe"))
        return cli::probe(args.mid(1));
    if (command == QLatin1String("tags"))
        return cli::tags(args.mid(1));
    if (command == QLatin1String("plan"))
        return cli::plan(args.mid(1));
    if (command == QLatin1String("cut"))
        return cli::cut(args.mid(1));
    if (command == QLatin1String("join"))
        return cli::join(args.mid(1));
    err << "vessimo-cli: unknown command: " << command << "\n";
    printUsage(err);
    return 2;
}
