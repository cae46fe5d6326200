// SPDX-License-Identifier: GPL-3.0-or-later
#include "gui/ProgramInfo.h"

#include "base/DataFolder.h"
#include "base/Version.h"

#include <QCoreApplication>
#include <QDir>
#include <QTextStream>

#include <cstring>

namespace {

void printHelp(QTextStream& out)
{
    out << "usage: vessimo [FILE | FOLDER]...\n"
           "       vessimo --help | --version\n"
           "\n"
           "Cut audio files into pieces or join them into one. The files and folders\n"
           "named are added to the file list once the window shows; while Vessimo\n"
           "runs, a later start hands them to the running window.\n"
           "\n"
           "  -h, --help     show this help and exit\n"
           "      --version  show the version and exit\n"
           "      --         end of options: every later argument is a file or folder\n"
           "\n"
           "User guide: "
        << QDir::toNativeSeparators(HelpFilePath())
        << "\n"
           "See also vessimo(1) and vessimo-cli(1).\n";
}

} // namespace

QString VersionedCaption(const QString& caption)
{
    return caption + QLatin1Char(' ') + ProgramVersion();
}

std::optional<int> AnswerInfoOption(int argc, char** argv)
{
    for (int i = 1; i < argc; ++i) {
        const char* arg = argv[i];
        if (std::strcmp(arg, "--") == 0)
            return std::nullopt;
        if (std::strcmp(arg, "--version") == 0) {
            QTextStream(stdout) << VersionText(QStringLiteral("vessimo"));
            return 0;
        }
        if (std::strcmp(arg, "--help") == 0 || std::strcmp(arg, "-h") == 0) {
            // The data folder is found from the program's own path.
            QCoreApplication app(argc, argv);
            QTextStream out(stdout);
            printHelp(out);
            return 0;
        }
    }
    return std::nullopt;
}
