// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/Judges.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <QTemporaryDir>

using testsupport::run;

// The manners every subcommand shares: --help and --version, "--", and the
// usage errors of the one option table.
namespace {

const QStringList kCommands{"probe", "tags", "plan", "cut", "join"};

// The system's Python, which has the Debian packages of mutagen and
// jsonschema (setup.sh), rather than whichever comes first on the path.
QString python()
{
    return QFile::exists("/usr/bin/python3") ? QStringLiteral("/usr/bin/python3")
                                             : QStringLiteral("python3");
}

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

namespace {

// Files made by ffmpeg: 12.27 s at 8000 Hz (98160 frames), the same at
// 44100 Hz (541107 frames), and a cue sheet's two files.
class CommandLineRun : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        dir = new QTemporaryDir;
        testsupport::ffmpeg({"-f", "lavfi", "-i", "sine=frequency=300:sample_rate=8000", "-t",
                             "12.27", "-c:a", "pcm_s16le", path("tone.wav")});
        testsupport::ffmpeg({"-f", "lavfi", "-i", "anoisesrc=sample_rate=44100:seed=7", "-t",
                             "12.27", "-ac", "2", "-c:a", "pcm_s16le", path("noise.wav")});
    }
    static void TearDownTestSuite() { delete dir; }
    static QString path(const QString& name) { return dir->filePath(name); }
    static QJsonObject json(const testsupport::ProcessResult& r)
    {
        QJsonParseError error;
        const QJsonDocument doc = QJsonDocument::fromJson(r.out, &error);
        EXPECT_EQ(error.error, QJsonParseError::NoError) << r.out.toStdString();
        return doc.object();
    }
    static QList<std::pair<qint64, qint64>> bounds(const QJsonObject& o, int file = 0)
    {
        QList<std::pair<qint64, qint64>> list;
        for (const QJsonValue& p : o["files"].toArray()[file].toObject()["pieces"].toArray())
            list.append({p["begin_frame"].toInteger(), p["end_frame"].toInteger()});
        return list;
    }
    static qint64 ffprobeFrames(const QString& file)
    {
        return run("ffprobe",
                   {"-v", "error", "-show_entries", "stream=duration_ts", "-of", "csv=p=0", file})
            .out.trimmed()
            .toLongLong();
    }
    // The shell, in `folder`, for names that are not UTF-8 and for stdin.
    static testsupport::ProcessResult shell(const QString& script, const QByteArray& input = {})
    {
        return run("/bin/sh", {"-c", "cd '" + dir->path() + "' && " + script}, input);
    }

    static QTemporaryDir* dir;
};

QTemporaryDir* CommandLineRun::dir = nullptr;

using Bounds = QList<std::pair<qint64, qint64>>;

} // namespace

TEST_F(CommandLineRun, EveryTimeFormLandsOnItsFrame)
{
    const struct {
        QStringList plan;
        Bounds want;
        int status;
        QString warning;
    } cases[] = {
        {{"--segments", "1-2"}, {{8000, 16000}}, 0, {}},
        {{"--segments", "0:01-0:02.5"}, {{8000, 20000}}, 0, {}},
        {{"--segments", "00:00:01.25-00:00:02"}, {{10000, 16000}}, 0, {}},
        {{"--segments", "1.125-3,5-6"}, {{9000, 24000}, {40000, 48000}}, 0, {}},
        {{"--segments", "0.0001-0.0002"}, {{1, 2}}, 0, {}},
        // Open ends run to the last sample.
        {{"--segments", "10-"}, {{80000, 98160}}, 0, {}},
        {{"--segments", "10-end"}, {{80000, 98160}}, 0, {}},
        {{"--segments", "0:11.5-1:00"},
         {{92000, 98160}},
         0,
         "segment 0:11.5-1:00 runs past the end; clipped to 12.270 s"},
        {{"--segments", "12.27-13,1-2"},
         {{8000, 16000}},
         1,
         "segment 12.27-13 starts at or past the end (12.270 s); skipped"},
        {{"--every", "5"}, {{0, 40000}, {40000, 80000}, {80000, 98160}}, 0, {}},
        {{"--every", "0:04.5"}, {{0, 36000}, {36000, 72000}, {72000, 98160}}, 0, {}},
        {{"--pieces", "3"}, {{0, 32720}, {32720, 65440}, {65440, 98160}}, 0, {}},
        {{}, {{0, 98160}}, 0, {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.plan.join(' ').toStdString());
        const auto r = cli(QStringList{"plan", "--json"} + c.plan + QStringList{path("tone.wav")});
        EXPECT_EQ(r.exitCode, c.status) << r.err.toStdString();
        const QJsonObject o = json(r);
        EXPECT_EQ(bounds(o), c.want);
        const QJsonArray warnings = o["warnings"].toArray();
        if (c.warning.isEmpty()) {
            EXPECT_TRUE(warnings.isEmpty());
            EXPECT_TRUE(r.err.isEmpty()) << r.err.toStdString();
            continue;
        }
        ASSERT_EQ(warnings.size(), 1);
        EXPECT_EQ(warnings[0].toObject()["message"].toString(), c.warning);
        EXPECT_EQ(warnings[0].toObject()["path"].toString(), path("tone.wav"));
        EXPECT_EQ(
            r.err,
            ("vessimo-cli plan: warning: " + path("tone.wav") + ": " + c.warning + "\n").toUtf8());
        // -q keeps the warning out of the terminal, not out of the status.
        const auto quiet = cli(QStringList{"plan", "-q"} + c.plan + QStringList{path("tone.wav")});
        EXPECT_EQ(quiet.exitCode, c.status);
        EXPECT_TRUE(quiet.err.isEmpty());
    }
}

TEST_F(CommandLineRun, CutAndPlanAgreeAndAWholeFileKeepsEverySample)
{
    QTemporaryDir out;
    for (const QStringList& plan : {QStringList{}, QStringList{"--every", "2.5"},
                                    QStringList{"--segments", "3.3-,12.5-13,0.5-1"}}) {
        SCOPED_TRACE(plan.join(' ').toStdString());
        const QStringList source{path("noise.wav")};
        const auto planned = cli(QStringList{"plan", "--json"} + plan + source);
        const auto cut = cli(QStringList{"cut", "--json", "--format", "wav", "--out", out.path()} +
                             plan + source);
        EXPECT_EQ(planned.exitCode, cut.exitCode) << cut.err.toStdString();
        const QJsonObject p = json(planned);
        const QJsonObject c = json(cut);
        EXPECT_EQ(p["files"], c["files"]);
        EXPECT_EQ(p["warnings"], c["warnings"]);
        const Bounds want = bounds(p);
        const QJsonArray outputs = c["outputs"].toArray();
        ASSERT_EQ(outputs.size(), want.size());
        const std::vector<float> samples = testsupport::decode(path("noise.wav"));
        for (int k = 0; k < outputs.size(); ++k) {
            const QString written = outputs[k].toObject()["path"].toString();
            EXPECT_EQ(outputs[k].toObject()["begin_frame"].toInteger(), want[k].first);
            EXPECT_EQ(outputs[k].toObject()["frames"].toInteger(), want[k].second - want[k].first);
            EXPECT_EQ(ffprobeFrames(written), want[k].second - want[k].first);
            EXPECT_TRUE(testsupport::decode(written) ==
                        testsupport::frameRange(samples, 2, want[k].first, want[k].second))
                << written.toStdString();
            QFile::remove(written);
        }
    }
}

TEST_F(CommandLineRun, ADryRunNamesTheOutputsAndWritesNothing)
{
    QTemporaryDir out;
    const auto r = cli({"cut", "-n", "--every", "5", "--out", out.path(), path("tone.wav")});
    EXPECT_EQ(r.exitCode, 0) << r.err.toStdString();
    EXPECT_EQ(QString::fromUtf8(r.out), out.filePath("tone_1.mp3") + "  00:00:00 - 00:00:05\n" +
                                            out.filePath("tone_2.mp3") + "  00:00:05 - 00:00:10\n" +
                                            out.filePath("tone_3.mp3") +
                                            "  00:00:10 - 00:00:12.270\n");
    const auto j = cli({"cut", "--dry-run", "--json", "--pieces", "2", "--format", "ogg", "--out",
                        out.path(), path("tone.wav")});
    const QJsonArray outputs = json(j)["outputs"].toArray();
    ASSERT_EQ(outputs.size(), 2);
    EXPECT_EQ(outputs[1].toObject()["path"].toString(), out.filePath("tone_2.ogg"));
    EXPECT_EQ(outputs[1].toObject()["end_frame"].toInteger(), 98160);
    const auto joined = cli({"join", "-n", "--json", "-o", out.filePath("mix.wav"),
                             path("tone.wav"), path("tone.wav")});
    EXPECT_EQ(joined.exitCode, 0) << joined.err.toStdString();
    const QJsonArray mix = json(joined)["outputs"].toArray();
    ASSERT_EQ(mix.size(), 1);
    EXPECT_EQ(mix[0].toObject()["frames"].toInteger(), 2 * 98160);
    EXPECT_EQ(mix[0].toObject()["parts"].toInt(), 2);
    EXPECT_TRUE(QDir(out.path()).isEmpty(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot));
}

TEST_F(CommandLineRun, PathsComeFromAListOrStandardInput)
{
    const QByteArray lines = "tone.wav\n\nnoise.wav\n";
    auto r = shell(QString("'%1' plan --json --files-from -").arg(VESSIMO_CLI), lines);
    EXPECT_EQ(r.exitCode, 0) << r.err.toStdString();
    QJsonArray files = json(r)["files"].toArray();
    ASSERT_EQ(files.size(), 2);
    EXPECT_EQ(files[1].toObject()["path"].toString(), "noise.wav");

    // NUL-separated, as find -print0 writes them, with a line break in a name.
    ASSERT_TRUE(QFile::copy(path("tone.wav"), path("two\nlines.wav")));
    r = shell(QString("'%1' probe --json --null --files-from - tone.wav").arg(VESSIMO_CLI),
              QByteArray("two\nlines.wav\0missing.wav\0", 26));
    EXPECT_EQ(r.exitCode, 1);
    files = json(r)["files"].toArray();
    ASSERT_EQ(files.size(), 2);
    EXPECT_EQ(files[1].toObject()["path"].toString(), "two\nlines.wav");
    EXPECT_EQ(json(r)["errors"].toArray()[0].toObject()["message"].toString(), "no such file");
    QFile::remove(path("two\nlines.wav"));

    const auto missing = cli({"plan", "--files-from", path("nolist.txt")});
    EXPECT_EQ(missing.exitCode, 1);
    EXPECT_TRUE(missing.err.contains(": no such file")) << missing.err.toStdString();
}

TEST_F(CommandLineRun, CausesAreNamedInTheSameWordsEverywhere)
{
    testsupport::writeAll(path("text.wav"), "no audio here\n");
    QDir(dir->path()).mkdir("folder");
    const struct {
        QString path;
        QString cause;
    } cases[] = {
        {path("nothing.wav"), "no such file"},
        {path("text.wav"), "not an audio file"},
    };
    for (const auto& c : cases)
        for (const QStringList& command : {QStringList{"probe"}, QStringList{"tags"},
                                           QStringList{"plan"}, QStringList{"cut", "-n"}}) {
            // The tags of a WAV file are none, whatever it holds.
            if (command.first() == "tags" && c.cause == "not an audio file")
                continue;
            const auto r = cli(command + QStringList{c.path});
            EXPECT_EQ(r.exitCode, 1) << command.join(' ').toStdString();
            EXPECT_TRUE(r.err.endsWith((": " + c.path + ": " + c.cause + "\n").toUtf8()))
                << command.join(' ').toStdString() << ": " << r.err.toStdString();
        }
    for (const char* command : {"probe", "tags"}) {
        const auto r = cli({command, path("folder")});
        EXPECT_TRUE(r.err.endsWith((path("folder") + ": is a folder\n").toUtf8())) << command;
    }
}

TEST_F(CommandLineRun, ANameThatIsNotUtf8IsSaidToBeSo)
{
    ASSERT_EQ(shell("cp tone.wav \"$(printf 'caf\\351.wav')\"").exitCode, 0);
    for (const char* command : {"probe", "plan", "cut -n"}) {
        const auto r = shell(QString("'%1' %2 --json \"$(printf 'caf\\351.wav')\" tone.wav")
                                 .arg(VESSIMO_CLI, command));
        EXPECT_EQ(r.exitCode, 1) << command;
        EXPECT_TRUE(r.err.contains("caf\\xE9.wav: its name is not valid UTF-8 text"))
            << command << ": " << r.err.toStdString();
        const QJsonObject o = json(r);
        EXPECT_EQ(o["errors"].toArray()[0].toObject()["path"].toString(), "caf\\xE9.wav");
        EXPECT_EQ(o["files"].toArray().size(), 1) << "the other file is still handled";
    }
    // Qt cannot name it to remove it with the folder.
    EXPECT_EQ(shell("rm \"$(printf 'caf\\351.wav')\"").exitCode, 0);
}

TEST_F(CommandLineRun, EverySubcommandsJsonMatchesTheOneSchema)
{
    QTemporaryDir out;
    testsupport::writeAll(path("junk.mp3"), "junk");
    const QList<QStringList> runs{
        {"probe", "--json", path("tone.wav"), path("junk.mp3")},
        {"tags", "--json", path("tone.wav"), path("missing.mp3")},
        {"plan", "--json", "--segments", "1-2,20-30", path("tone.wav")},
        {"plan", "--json", "--silence", path("tone.wav")},
        {"cut", "--json", "--every", "5", "--format", "wav", "--out", out.path(), path("tone.wav"),
         path("junk.mp3")},
        {"cut", "--json", "-n", "--out", out.path(), path("tone.wav")},
        {"cut", "--json", "--out", path("nowhere"), path("tone.wav")},
        {"join", "--json", "-o", out.filePath("mix.ogg"), path("tone.wav"), path("noise.wav")},
        {"join", "--json", "-o", out.filePath("mix.ogg"), path("tone.wav")},
    };
    const QString schema = testsupport::sourceDir() + "/help/vessimo-cli.schema.json";
    for (const QStringList& args : runs) {
        SCOPED_TRACE(args.join(' ').toStdString());
        const auto r = cli(args);
        EXPECT_NE(r.exitCode, 2) << r.err.toStdString();
        const auto check = run(python(),
                               {"-c",
                                "import json, sys, jsonschema\n"
                                "schema = json.load(open(sys.argv[1]))\n"
                                "jsonschema.validate(json.loads(sys.stdin.read()), schema)\n",
                                schema},
                               r.out);
        EXPECT_EQ(check.exitCode, 0) << check.err.toStdString() << r.out.toStdString();
    }
}

TEST_F(CommandLineRun, ACueSheetNamesItsFilesAndPlacesItsPiecesToTheSample)
{
    // Two files; track 2 has a pre-gap (INDEX 00), which belongs to track 1.
    testsupport::writeAll(path("disc.cue"), "PERFORMER \"Band\"\n"
                                            "TITLE \"Disc\"\n"
                                            "REM DATE 2001\n"
                                            "FILE \"noise.wav\" WAVE\n"
                                            "  TRACK 01 AUDIO\n"
                                            "    TITLE \"Intro: One\"\n"
                                            "    INDEX 01 00:00:00\n"
                                            "  TRACK 02 AUDIO\n"
                                            "    TITLE \"Second\"\n"
                                            "    INDEX 00 00:03:00\n"
                                            "    INDEX 01 00:04:37\n"
                                            "FILE \"tone.wav\" WAVE\n"
                                            "  TRACK 03 AUDIO\n"
                                            "    TITLE \"Third\"\n"
                                            "    INDEX 01 00:02:01\n");
    const qint64 second = 4 * 44100 + 37 * 44100 / 75; // 198156
    const auto planned = cli({"plan", "--json", "--cue", path("disc.cue")});
    ASSERT_EQ(planned.exitCode, 0) << planned.err.toStdString();
    const QJsonObject o = json(planned);
    ASSERT_EQ(o["files"].toArray().size(), 2);
    EXPECT_EQ(bounds(o, 0), (Bounds{{0, second}, {second, 541107}}));
    EXPECT_EQ(bounds(o, 1), (Bounds{{2 * 8000 + 8000 / 75, 98160}}));
    const QJsonObject third = o["files"].toArray()[1].toObject()["pieces"].toArray()[0].toObject();
    EXPECT_EQ(third["track"].toInt(), 3);
    EXPECT_EQ(third["title"].toString(), "Third");
    EXPECT_EQ(third["performer"].toString(), "Band");

    QTemporaryDir out;
    const auto cut =
        cli({"cut", "--json", "--format", "wav", "--out", out.path(), "--cue", path("disc.cue")});
    ASSERT_EQ(cut.exitCode, 0) << cut.err.toStdString();
    const QJsonArray outputs = json(cut)["outputs"].toArray();
    ASSERT_EQ(outputs.size(), 3);
    const std::vector<float> noise = testsupport::decode(path("noise.wav"));
    EXPECT_TRUE(testsupport::decode(outputs[0].toObject()["path"].toString()) ==
                testsupport::frameRange(noise, 2, 0, second));
    EXPECT_TRUE(testsupport::decode(outputs[1].toObject()["path"].toString()) ==
                testsupport::frameRange(noise, 2, second, 541107));

    // A sheet that cannot be used cuts nothing and says why.
    const struct {
        QByteArray sheet;
        QString says;
    } bad[] = {
        {"FILE \"gone.wav\" WAVE\n  TRACK 01 AUDIO\n    INDEX 01 00:00:00\n", "gone.wav"},
        {"FILE \"tone.wav\" WAVE\n  TRACK 01 AUDIO\n    INDEX 01 00:00:00\n"
         "  TRACK 02 AUDIO\n    INDEX 01 00:20:00\n",
         "at or past the end"},
        {"this is no cue sheet\n", "line 1"},
    };
    QTemporaryDir empty;
    for (const auto& c : bad) {
        testsupport::writeAll(path("bad.cue"), c.sheet);
        const auto r = cli(
            {"cut", "--json", "--out", empty.path(), "--cue", path("bad.cue"), path("tone.wav")});
        EXPECT_EQ(r.exitCode, 1) << c.sheet.toStdString();
        EXPECT_TRUE(QString::fromUtf8(r.err).contains(c.says)) << r.err.toStdString();
        EXPECT_EQ(json(r)["errors"].toArray().size(), 1);
    }
    EXPECT_TRUE(QDir(empty.path()).isEmpty(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot));
    // A PATH beside the sheet must be one of its files.
    EXPECT_EQ(cli({"plan", "--cue", path("disc.cue"), path("disc.cue")}).exitCode, 2);
}

TEST_F(CommandLineRun, SilencesAndChaptersGiveThePiecesTheirBoundsAndTitles)
{
    // 8000 Hz: 3 s tone, 3 s silence, 1 s tone, 2.5 s silence, 4 s tone.
    testsupport::ffmpeg({"-f",
                         "lavfi",
                         "-i",
                         "sine=frequency=500:sample_rate=8000:duration=3",
                         "-f",
                         "lavfi",
                         "-i",
                         "anullsrc=r=8000:cl=mono:d=3",
                         "-f",
                         "lavfi",
                         "-i",
                         "sine=frequency=500:sample_rate=8000:duration=1",
                         "-f",
                         "lavfi",
                         "-i",
                         "anullsrc=r=8000:cl=mono:d=2.5",
                         "-f",
                         "lavfi",
                         "-i",
                         "sine=frequency=500:sample_rate=8000:duration=4",
                         "-filter_complex",
                         "[0][1][2][3][4]concat=n=5:v=0:a=1",
                         "-c:a",
                         "pcm_s16le",
                         path("gaps.wav")});
    const auto middles = [&](const QStringList& options) {
        const auto r = cli(QStringList{"plan", "--json"} + options + QStringList{path("gaps.wav")});
        EXPECT_EQ(r.exitCode, 0) << r.err.toStdString();
        return bounds(json(r));
    };
    // Boundaries in the middles of the silences: 4.5 s and 8.25 s, within 10 ms.
    const Bounds kept = middles({"--silence", "--min-piece", "0.5"});
    ASSERT_EQ(kept.size(), 3);
    EXPECT_NEAR(kept[0].second, 36000, 80);
    EXPECT_NEAR(kept[1].second, 66000, 80);
    EXPECT_EQ(kept[2].second, 108000);
    // The middle piece (4.5-8.25 s) is shorter than 4 s: merged across the
    // shorter silence, with the last piece.
    const Bounds merged = middles({"--silence=-50,2", "--min-piece", "4"});
    ASSERT_EQ(merged.size(), 2);
    EXPECT_NEAR(merged[0].second, 36000, 80);
    EXPECT_EQ(merged[1].second, 108000);
    // Dropped, the pieces are the tones alone.
    const Bounds dropped = middles({"--silence", "--drop-silence", "--min-piece", "0"});
    ASSERT_EQ(dropped.size(), 3);
    EXPECT_NEAR(dropped[1].first, 48000, 80);
    EXPECT_NEAR(dropped[1].second, 56000, 80);
    EXPECT_EQ(cli({"plan", "--silence=loud", path("gaps.wav")}).exitCode, 2);
    EXPECT_EQ(cli({"plan", "--drop-silence", path("gaps.wav")}).exitCode, 2);

    // An MP3 file with two chapters written by mutagen, and one without.
    testsupport::ffmpeg({"-f", "lavfi", "-i", "sine=frequency=500:sample_rate=44100:duration=6",
                         "-c:a", "libmp3lame", path("talk.mp3")});
    const auto mutagen = run(
        python(), {"-c",
                   "import sys\n"
                   "from mutagen.id3 import ID3, CHAP, CTOC, TIT2, CTOCFlags\n"
                   "t = ID3(sys.argv[1])\n"
                   "t.add(CTOC(element_id='toc', flags=CTOCFlags.TOP_LEVEL | CTOCFlags.ORDERED,\n"
                   "           child_element_ids=['a', 'b'], sub_frames=[]))\n"
                   "t.add(CHAP(element_id='a', start_time=0, end_time=2500,\n"
                   "           sub_frames=[TIT2(encoding=3, text=['Opening'])]))\n"
                   "t.add(CHAP(element_id='b', start_time=2500, end_time=6000,\n"
                   "           sub_frames=[TIT2(encoding=3, text=['Questions'])]))\n"
                   "t.save()\n",
                   path("talk.mp3")});
    ASSERT_EQ(mutagen.exitCode, 0) << mutagen.err.toStdString();
    const auto r = cli({"plan", "--json", "--chapters", path("talk.mp3"), path("tone.wav")});
    EXPECT_EQ(r.exitCode, 1) << "tone.wav has no chapters";
    const QJsonObject o = json(r);
    EXPECT_EQ(bounds(o, 0), (Bounds{{0, 110250}, {110250, 264600}}));
    const QJsonArray pieces = o["files"].toArray()[0].toObject()["pieces"].toArray();
    EXPECT_EQ(pieces[1].toObject()["title"].toString(), "Questions");
    EXPECT_EQ(pieces[1].toObject()["track"].toInt(), 2);
    const QJsonArray warnings = o["warnings"].toArray();
    ASSERT_EQ(warnings.size(), 1);
    EXPECT_EQ(warnings[0].toObject()["message"].toString(), "has no chapters; skipped");
}
