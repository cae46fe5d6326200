#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>

using testsupport::run;

// The manners every subcommand shares: --help and --version, "--", and the
// usage errors of the one option table.
namespace {

const QStringList kCommands{"probe", "tags", "plan", "cut", "join"};

testsupport::ProcessResult cli(const QStringList& args)
{
    return run(VESSIMO_CLI, args);
}

} // namespace

TEST(CommandLine, EverySubcommandHasItsHelpAndVersion)
{
    const QString version = QString::fromUtf8(cli({"--version"}).out);
    ASSERT_TRUE(version.startsWith("vessimo-cli ")) << version.toStdString();
    for (const QString& command : kCommands) {
        for (const QString& asked : {QString("--help"), QString("-h")}) {
            const auto r = cli({command, asked});
            EXPECT_EQ(r.exitCode, 0) << command.toStdString();
            const QString help = QString::fromUtf8(r.out);
            EXPECT_TRUE(help.startsWith("usage: vessimo-cli " + command)) << help.toStdString();
            EXPECT_TRUE(help.contains("--json")) << help.toStdString();
            EXPECT_TRUE(help.contains("Example:\n  vessimo-cli " + command)) << help.toStdString();
            EXPECT_TRUE(r.err.isEmpty());
        }
        // --help shows the help whatever else is given, but an unknown option
        // stays a usage error.
        EXPECT_EQ(cli({command, "--bogus", "--help"}).exitCode, 2);
        EXPECT_EQ(cli({command, "x.wav", "--help"}).exitCode, 0);
        const auto v = cli({command, "--version"});
        EXPECT_EQ(v.exitCode, 0);
        EXPECT_EQ(QString::fromUtf8(v.out), version) << command.toStdString();
    }
    // Times are described where they are taken.
    for (const char* command : {"plan", "cut", "join"})
        EXPECT_TRUE(cli({command, "--help"}).out.contains("HH:MM:SS")) << command;
    EXPECT_FALSE(cli({"probe", "--help"}).out.contains("HH:MM:SS"));
    // Each subcommand lists its own options only.
    EXPECT_FALSE(cli({"plan", "--help"}).out.contains("--copy"));
    EXPECT_TRUE(cli({"cut", "--help"}).out.contains("--copy"));
    EXPECT_TRUE(cli({"join", "--help"}).out.contains("-o, --output OUTPUT"));
    // The tool's help lists every command and every option.
    const QString all = QString::fromUtf8(cli({"--help"}).out);
    for (const QString& command : kCommands)
        EXPECT_TRUE(all.contains("\n  " + command + "\n")) << command.toStdString();
    for (const char* option : {"--copy", "--overwrite", "--set", "--segments", "--every"})
        EXPECT_TRUE(all.contains(option)) << option;
}

TEST(CommandLine, UsageErrorsNameTheOptionAndPointAtHelp)
{
    const struct {
        QStringList args;
        QString says;
    } cases[] = {
        {{"cut", "--bogus", "a.wav"}, "unknown option --bogus"},
        {{"cut", "-z", "a.wav"}, "unknown option -z"},
        {{"plan", "--copy", "a.wav"}, "--copy is not an option of plan"},
        {{"join", "--every", "10", "-o", "x.mp3", "a.wav"}, "--every is not an option of join"},
        {{"join", "--pieces", "2", "-o", "x.mp3", "a.wav"}, "--pieces is not an option of join"},
        {{"cut", "--out"}, "--out needs an argument"},
        {{"cut", "--copy=yes", "a.mp3"}, "--copy takes no argument"},
        {{"cut", "--format", "wav", "--format=ogg", "a.wav"}, "--format is given more than once"},
        {{"frobnicate"}, "unknown command: frobnicate"},
    };
    for (const auto& c : cases) {
        const auto r = cli(c.args);
        EXPECT_EQ(r.exitCode, 2) << c.args.join(' ').toStdString();
        EXPECT_TRUE(r.out.isEmpty());
        EXPECT_TRUE(QString::fromUtf8(r.err).contains(c.says)) << r.err.toStdString();
        EXPECT_TRUE(r.err.contains("--help' for more")) << r.err.toStdString();
    }
}

TEST(CommandLine, DoubleDashEndsTheOptions)
{
    QTemporaryDir dir;
    const QString dashed = dir.filePath("--json");
    testsupport::ffmpeg(
        {"-f", "lavfi", "-i", "anullsrc=r=8000:cl=mono", "-t", "1", dashed + ".wav"});
    ASSERT_TRUE(QFile::rename(dashed + ".wav", dashed));
    // From its folder, a file named like an option is reached after "--".
    const auto r = run(
        "/bin/sh", {"-c", QString("cd '%1' && '%2' probe -- --json").arg(dir.path(), VESSIMO_CLI)});
    EXPECT_EQ(r.exitCode, 0) << r.err.toStdString();
    EXPECT_TRUE(r.out.startsWith("--json: ")) << r.out.toStdString();
    const auto option =
        run("/bin/sh",
            {"-c", QString("cd '%1' && '%2' probe --json -- --json").arg(dir.path(), VESSIMO_CLI)});
    EXPECT_EQ(option.exitCode, 0);
    EXPECT_TRUE(option.out.startsWith("[") || option.out.startsWith("{"))
        << option.out.toStdString();
}
