// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/Judges.h"
#include "support/Media.h"
#include "support/TestSupport.h"
#include "support/WaitFor.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>
#include <csignal>
#include <map>
#include <sys/resource.h>

using namespace testsupport;

namespace {

class CutJoinCommand : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        QDir(dir.path()).mkdir("out");
        makeAudio(path("tone.wav"), {.seconds = 5.5, .channels = 2, .hz = 500});
        makeAudio(path("other.mp3"), {.seconds = 3, .channels = 2, .hz = 300},
                  {"-metadata", "title=Other"});
        // An options file of its own, so the user's is never read.
        testsupport::writeAll(path("Vessimo.ini"), "[Output]\nDir=" + path("out").toUtf8() + "/\n");
        sourceSums = {md5(path("tone.wav")), md5(path("other.mp3"))};
    }
    void TearDown() override
    {
        EXPECT_EQ(md5(path("tone.wav")), sourceSums[0]);
        EXPECT_EQ(md5(path("other.mp3")), sourceSums[1]);
    }
    QString path(const QString& name) const { return dir.filePath(name); }
    QStringList outputs(const QString& folder = "out") const
    {
        return QDir(path(folder)).entryList(QDir::Files | QDir::Hidden, QDir::Name);
    }
    testsupport::ProcessResult cli(const QString& command, const QStringList& args)
    {
        QStringList line{command, "--settings", path("Vessimo.ini")};
        // Pieces go to the current folder unless --out names another.
        if (command == "cut" && !args.contains("--out"))
            line << "--out" << path("out");
        return run(VESSIMO_CLI, line + args);
    }
    static QJsonArray jsonArray(const testsupport::ProcessResult& r, const char* part = "outputs")
    {
        QJsonParseError error;
        const QJsonDocument doc = QJsonDocument::fromJson(r.out, &error);
        EXPECT_EQ(error.error, QJsonParseError::NoError) << r.out.toStdString();
        return doc[part].toArray();
    }

    QTemporaryDir dir;
    std::vector<QByteArray> sourceSums;
};

TEST_F(CutJoinCommand, CutsPiecesWithTheSameOutputsWhateverTheNumberOfWorkers)
{
    QDir(dir.path()).mkdir("out2");
    const auto one = cli("cut", {"--every", "2", "--format", "mp3", "--json", "--jobs", "1",
                                 path("tone.wav"), path("other.mp3")});
    const auto many = cli("cut", {"--every", "2", "--format", "mp3", "--json", "--jobs", "3",
                                  "--out", path("out2"), path("tone.wav"), path("other.mp3")});
    ASSERT_EQ(one.exitCode, 0) << one.err.toStdString();
    ASSERT_EQ(many.exitCode, 0) << many.err.toStdString();
    EXPECT_TRUE(one.err.isEmpty()) << "nothing but results, and no progress without a terminal";

    const QStringList expected{"Other_1.mp3", "Other_2.mp3", "tone_1.mp3", "tone_2.mp3",
                               "tone_3.mp3"};
    EXPECT_EQ(outputs(), expected);
    EXPECT_EQ(outputs("out2"), expected);
    for (const QString& name : expected)
        EXPECT_EQ(md5(path("out/" + name)), md5(path("out2/" + name))) << name.toStdString();
    EXPECT_EQ(QString::fromUtf8(one.out).replace(path("out"), "OUT"),
              QString::fromUtf8(many.out).replace(path("out2"), "OUT"));

    const QJsonArray pieces = jsonArray(one);
    ASSERT_EQ(pieces.size(), 5);
    const QJsonObject third = pieces[2].toObject();
    EXPECT_EQ(third["source"].toString(), path("tone.wav"));
    EXPECT_EQ(third["path"].toString(), path("out/tone_3.mp3"));
    // The last piece takes the rest, to the last sample.
    EXPECT_EQ(third["begin"].toDouble(), 4.0);
    EXPECT_EQ(third["end"].toDouble(), 5.5);
    EXPECT_EQ(third["begin_frame"].toInteger(), 4 * 44100);
    EXPECT_EQ(third["end_frame"].toInteger(), 5.5 * 44100);
    EXPECT_EQ(third["frames"].toInt(), 1.5 * 44100);
    EXPECT_EQ(decodedFrames(path("out/tone_3.mp3")), 1.5 * 44100);
    EXPECT_EQ(pieces[4].toObject()["frames"].toInt(), 44100) << "Other: 2-3 s";
}

TEST_F(CutJoinCommand, FadesAndSegmentsComeFromTheCommandLine)
{
    // Half a second: as long as a fade may be on the one-second piece.
    const auto r = cli("cut", {"--segments", "0:01-0:03,4-5", "--format", "wav", "--fade-in", "0.5",
                               "--json", path("tone.wav")});
    ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
    EXPECT_EQ(outputs(), (QStringList{"tone_1.wav", "tone_2.wav"}));
    EXPECT_EQ(decodedFrames(path("out/tone_1.wav")), 2 * 44100);
    const QByteArray pcm = decodePcm16(path("out/tone_1.wav"));
    ASSERT_GT(pcm.size(), 400);
    const auto* s = reinterpret_cast<const int16_t*>(pcm.constData());
    EXPECT_LT(std::abs(int(s[2])), 30) << "faded in from silence";
}

TEST_F(CutJoinCommand, UsageErrorsExitWithTwo)
{
    EXPECT_EQ(cli("cut", {"--every", "2", "--pieces", "3", path("tone.wav")}).exitCode, 2);
    EXPECT_EQ(cli("cut", {"--format", "flac", path("tone.wav")}).exitCode, 2);
    EXPECT_EQ(cli("cut", {"--jobs", "0", path("tone.wav")}).exitCode, 2);
    EXPECT_EQ(cli("cut", {"--fade-in", "0", path("tone.wav")}).exitCode, 2);
    EXPECT_EQ(cli("cut", {}).exitCode, 2);
    EXPECT_EQ(cli("join", {"-o", path("mix.flac"), path("tone.wav")}).exitCode, 2);
    EXPECT_EQ(cli("join", {"-o", path("mix"), path("tone.wav")}).exitCode, 2);
    EXPECT_EQ(cli("join", {path("tone.wav")}).exitCode, 2);

    // A copy is an MP3 piece without a fade, whoever asks for one.
    testsupport::writeAll(path("Faded.ini"),
                          "[Output]\nDir=" + path("out").toUtf8() + "/\n[Fade]\nIn=0\nOut=1\n");
    const QStringList ini{"--settings", path("Vessimo.ini")};
    const struct {
        QStringList args;
        QByteArray says;
    } copies[] = {
        {ini + QStringList{"--copy", "--format", "ogg"}, "leave out --format ogg"},
        {ini + QStringList{"--copy", "--fade-in", "2"}, "leave out --fade-in"},
        {{"--copy", "--settings", path("Faded.ini")},
         "fade-out is switched on in " + path("Faded.ini").toUtf8() +
             ": switch it off on the General page of the window's settings, or set Out=0 "
             "under [Fade] there"},
    };
    for (const auto& c : copies) {
        const auto r =
            run(VESSIMO_CLI, QStringList{"cut"} + c.args + QStringList{path("other.mp3")});
        EXPECT_EQ(r.exitCode, 2) << c.says.toStdString();
        EXPECT_TRUE(r.err.contains(c.says)) << r.err.toStdString();
    }
    EXPECT_TRUE(outputs().isEmpty());
}

// Copied pieces decode to their source's samples bit for bit: one after
// another they give the source again, whatever the number of workers.
TEST_F(CutJoinCommand, CopiesMp3PiecesExactlyWhateverTheNumberOfWorkers)
{
    const auto lame = run("lame", {"--quiet", "-V", "2", path("tone.wav"), path("vbr.mp3")});
    ASSERT_EQ(lame.exitCode, 0) << lame.err.toStdString();
    const QByteArray vbrSum = md5(path("vbr.mp3"));
    QDir(dir.path()).mkdir("out2");
    const QStringList sources{path("vbr.mp3"), path("other.mp3")};
    const auto one =
        cli("cut", QStringList{"--copy", "--every", "2", "--json", "--jobs", "1"} + sources);
    const auto many = cli("cut", QStringList{"--copy", "--every", "2", "--json", "--jobs", "3",
                                             "--out", path("out2")} +
                                     sources);
    ASSERT_EQ(one.exitCode, 0) << one.err.toStdString();
    ASSERT_EQ(many.exitCode, 0) << many.err.toStdString();
    const QStringList expected{"Other_1.mp3", "Other_2.mp3", "vbr_1.mp3", "vbr_2.mp3", "vbr_3.mp3"};
    EXPECT_EQ(outputs(), expected);
    for (const QString& name : expected)
        EXPECT_EQ(md5(path("out/" + name)), md5(path("out2/" + name))) << name.toStdString();
    EXPECT_EQ(QString::fromUtf8(one.out).replace(path("out"), "OUT"),
              QString::fromUtf8(many.out).replace(path("out2"), "OUT"));

    const QJsonArray pieces = jsonArray(one);
    ASSERT_EQ(pieces.size(), 5);
    std::map<QString, std::vector<float>> joined;
    for (const QJsonValue& value : pieces) {
        const QJsonObject piece = value.toObject();
        EXPECT_TRUE(piece["copied"].toBool());
        const std::vector<float> got = testsupport::decode(piece["path"].toString());
        EXPECT_EQ(int64_t(got.size()), piece["frames"].toInteger() * 2);
        std::vector<float>& whole = joined[piece["source"].toString()];
        whole.insert(whole.end(), got.begin(), got.end());
    }
    // To the last sample of each: 5.5 and 3 seconds.
    const std::pair<QString, int64_t> lengths[] = {{path("vbr.mp3"), 5.5 * 44100},
                                                   {path("other.mp3"), 3 * 44100}};
    for (const auto& [source, frames] : lengths) {
        const std::vector<float> want =
            testsupport::frameRange(testsupport::decode(source), 2, 0, frames);
        EXPECT_TRUE(joined[source] == want)
            << source.toStdString() << ": "
            << testsupport::firstDifference(joined[source], want, 2);
    }
    EXPECT_EQ(md5(path("vbr.mp3")), vbrSum);
}

TEST_F(CutJoinCommand, ASourceThatCannotBeCopiedIsNamedOnceAndTheOthersAreCopied)
{
    QByteArray damaged = testsupport::readAll(path("other.mp3"));
    damaged.insert(damaged.size() / 2, QByteArray(50, 'x'));
    testsupport::writeAll(path("junk.mp3"), damaged);
    const auto r = cli("cut", {"--copy", "--every", "1", "--jobs", "3", "--json", path("tone.wav"),
                               path("junk.mp3"), path("other.mp3")});
    EXPECT_EQ(r.exitCode, 1);
    const QString err = QString::fromUtf8(r.err);
    EXPECT_EQ(err.count(path("tone.wav")), 1) << err.toStdString();
    EXPECT_EQ(err.count(path("junk.mp3")), 1) << err.toStdString();
    EXPECT_TRUE(err.contains(path("tone.wav") + ": not an MP3 file")) << err.toStdString();
    EXPECT_TRUE(err.contains("\"" + path("junk.mp3") + "\": it has bytes that are no MPEG audio"))
        << err.toStdString();

    const QJsonArray errors = jsonArray(r, "errors");
    ASSERT_EQ(errors.size(), 2);
    EXPECT_EQ(errors[0].toObject()["path"].toString(), path("tone.wav"));
    const QJsonArray items = jsonArray(r);
    ASSERT_EQ(items.size(), 3);
    int copied = 0;
    for (const QJsonValue& item : items)
        copied += item.toObject()["copied"].toBool() ? 1 : 0;
    EXPECT_EQ(copied, 3) << "other.mp3: 0-1, 1-2 and 2-3, no empty piece";
    EXPECT_EQ(outputs().size(), 3);
}

TEST_F(CutJoinCommand, AGarbageFileIsReportedAndTheOthersAreCut)
{
    testsupport::writeAll(path("junk.mp3"), QByteArray(3000, '\x55'));
    const auto r = cli("cut", {"--json", "--format", "wav", path("junk.mp3"), path("other.mp3")});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_TRUE(r.err.contains("junk.mp3")) << r.err.toStdString();
    const QJsonArray errors = jsonArray(r, "errors");
    ASSERT_EQ(errors.size(), 1);
    EXPECT_EQ(errors[0].toObject()["path"].toString(), path("junk.mp3"));
    EXPECT_EQ(errors[0].toObject()["message"].toString(), "not an audio file");
    const QJsonArray items = jsonArray(r);
    ASSERT_EQ(items.size(), 1);
    EXPECT_EQ(items[0].toObject()["path"].toString(), path("out/Other.wav"));
}

TEST_F(CutJoinCommand, AMissingOutputFolderIsNeverCreated)
{
    const auto r = cli("cut", {"--out", path("nowhere"), path("tone.wav")});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_TRUE(r.err.contains(path("nowhere").toUtf8())) << r.err.toStdString();
    EXPECT_FALSE(QFile::exists(path("nowhere")));
    const auto j = cli("join", {"-o", path("nowhere/mix.wav"), path("tone.wav")});
    EXPECT_EQ(j.exitCode, 1);
    EXPECT_FALSE(QFile::exists(path("nowhere")));
}

TEST_F(CutJoinCommand, JoinsIntoTheFormatOfTheOutputsExtension)
{
    const auto r =
        cli("join", {"--json", "-o", path("out/Mix.WAV"), path("tone.wav"), path("other.mp3")});
    ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
    const QJsonObject result = jsonArray(r)[0].toObject();
    EXPECT_EQ(result["path"].toString(), path("out/Mix.WAV"));
    EXPECT_EQ(result["parts"].toInt(), 2);
    EXPECT_EQ(result["frames"].toInt(), int(5.5 * 44100) + 3 * 44100);
    EXPECT_EQ(decodedFrames(path("out/Mix.WAV")), int(5.5 * 44100) + 3 * 44100);
    EXPECT_EQ(run("ffprobe", {"-v", "error", "-show_entries", "format=format_name", "-of",
                              "csv=p=0", path("out/Mix.WAV")})
                  .out.trimmed(),
              "wav");
}

TEST_F(CutJoinCommand, AJoinNeverReplacesUnlessAskedAndNeverWritesOntoASource)
{
    testsupport::writeAll(path("out/mix.mp3"), "old");
    auto r = cli("join", {"-o", path("out/mix.mp3"), path("tone.wav")});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(testsupport::readAll(path("out/mix.mp3")), "old");

    ASSERT_TRUE(QFile::link(path("tone.wav"), path("link.wav")));
    for (const QString& target : {path("tone.wav"), dir.path() + "/./tone.wav", path("link.wav")}) {
        r = cli("join", {"--overwrite", "-o", target, path("tone.wav"), path("other.mp3")});
        EXPECT_EQ(r.exitCode, 1) << target.toStdString();
        EXPECT_TRUE(r.err.contains("one of the files")) << r.err.toStdString();
    }
    // Relative to the working folder.
    QProcess p;
    p.setWorkingDirectory(dir.path());
    p.start(VESSIMO_CLI, {"join", "--settings", path("Vessimo.ini"), "--overwrite", "-o",
                          "tone.wav", path("tone.wav")});
    ASSERT_TRUE(p.waitForFinished(60000));
    EXPECT_EQ(p.exitCode(), 1);

    r = cli("join", {"--overwrite", "-o", path("out/mix.mp3"), path("other.mp3")});
    EXPECT_EQ(r.exitCode, 0) << r.err.toStdString();
    EXPECT_EQ(decodedFrames(path("out/mix.mp3")), 3 * 44100);
}

TEST_F(CutJoinCommand, CtrlCKeepsTheCurrentPieceAsAValidPartialFile)
{
    makeAudio(path("long.wav"), {.seconds = 120, .channels = 2, .wave = Sound::Wave::Noise});
    QProcess p;
    p.start(VESSIMO_CLI, {"cut", "--settings", path("Vessimo.ini"), "--out", path("out"),
                          "--format", "mp3", "--jobs", "1", "--json", path("long.wav")});
    ASSERT_TRUE(p.waitForStarted());
    // Interrupted once the piece is being written and some seconds of it lie
    // on the disk (beside it, until it is closed).
    const auto written = [&] {
        qint64 bytes = 0;
        for (const QString& name : outputs())
            bytes += QFileInfo(path("out/" + name)).size();
        return bytes;
    };
    ASSERT_TRUE(waitFor([&] { return written() >= 64 * 1024; }, "the cut to write a few seconds"));
    ::kill(static_cast<pid_t>(p.processId()), SIGINT);
    ASSERT_TRUE(p.waitForFinished(60000));
    EXPECT_EQ(p.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(p.exitCode(), 1);
    EXPECT_TRUE(p.readAllStandardError().contains("stopped"));
    const QJsonArray pieces =
        QJsonDocument::fromJson(p.readAllStandardOutput())["outputs"].toArray();
    ASSERT_EQ(pieces.size(), 1);
    const int64_t frames = pieces[0].toObject()["frames"].toInteger();
    EXPECT_GT(frames, 0);
    EXPECT_LT(frames, 120 * 44100);
    EXPECT_EQ(outputs(), QStringList{"long.mp3"});
    EXPECT_EQ(decodedFrames(path("out/long.mp3")), frames);
}

TEST_F(CutJoinCommand, SegmentsOutOfTimeOrderFitAShorterFileAndWhatLiesPastItsEndIsNamed)
{
    const auto r = cli("cut", {"--segments", "4-5,0-1", "--format", "wav", "--json",
                               path("tone.wav"), path("other.mp3")});
    // Asked for and not cut: a warning, and the status says so.
    EXPECT_EQ(r.exitCode, 1) << r.err.toStdString();
    EXPECT_EQ(QString::fromUtf8(r.err),
              "vessimo-cli cut: warning: " + path("other.mp3") +
                  ": segment 4-5 starts at or past the end (3.000 s); skipped\n");
    EXPECT_EQ(outputs(), (QStringList{"Other_1.wav", "tone_1.wav", "tone_2.wav"}));
    const QJsonArray pieces = jsonArray(r);
    ASSERT_EQ(pieces.size(), 3);
    EXPECT_EQ(pieces[2].toObject()["begin"].toDouble(), 0.0);
    EXPECT_EQ(pieces[2].toObject()["frames"].toInt(), 44100);
    const QJsonArray warnings = jsonArray(r, "warnings");
    ASSERT_EQ(warnings.size(), 1);
    EXPECT_EQ(warnings[0]["path"].toString(), path("other.mp3"));
    EXPECT_EQ(warnings[0]["segment"].toString(), "4-5");
    EXPECT_TRUE(jsonArray(r, "errors").isEmpty());
}

TEST_F(CutJoinCommand, ATitleTooLongForANameFallsBackToTheSourcesName)
{
    // "_1" to "_9" fit beside the title, from "_10" on the name is too long
    // for the file system, and the window's rule names the piece after the
    // source instead.
    makeAudio(path("titled.mp3"), {.seconds = 11, .rate = 8000, .hz = 300},
              {"-metadata", "title=" + QString(249, 't')});
    const auto r = cli(
        "cut", {"--every", "1", "--format", "wav", "--jobs", "3", "--json", path("titled.mp3")});
    ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
    const QJsonArray pieces = jsonArray(r);
    ASSERT_EQ(pieces.size(), 11);
    EXPECT_EQ(pieces[8].toObject()["path"].toString(), path("out/" + QString(249, 't') + "_9.wav"));
    EXPECT_EQ(pieces[9].toObject()["path"].toString(), path("out/titled.wav"));
    EXPECT_EQ(pieces[10].toObject()["path"].toString(), path("out/titled_1.wav"));
    EXPECT_EQ(outputs().size(), 11);
    EXPECT_EQ(decodedFrames(path("out/titled_1.wav")), 44100) << "one second, as CD audio";
}

TEST_F(CutJoinCommand, NeverMoreWorkersThanPiecesAndAFailedStartIsNamed)
{
    const auto r =
        cli("cut", {"--every", "2", "--format", "wav", "--jobs", "40000", path("tone.wav")});
    ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
    EXPECT_EQ(outputs(), (QStringList{"tone_1.wav", "tone_2.wav", "tone_3.wav"}));

#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
    GTEST_SKIP() << "the sanitizers reserve more address space than the limit leaves";
#else
    // Room for the program, not for three hundred threads' stacks.
    makeAudio(path("many.wav"), {.seconds = 300, .rate = 8000, .wave = Sound::Wave::Silence});
    QDir(dir.path()).mkdir("out2");
    QProcess p;
    p.setChildProcessModifier([] {
        const rlimit limit{rlim_t(1) << 30, rlim_t(1) << 30};
        ::setrlimit(RLIMIT_AS, &limit);
    });
    p.start(VESSIMO_CLI, {"cut", "--settings", path("Vessimo.ini"), "--every", "1", "--format",
                          "wav", "--jobs", "300", "--out", path("out2"), path("many.wav")});
    ASSERT_TRUE(p.waitForFinished(120000));
    const QByteArray err = p.readAllStandardError();
    EXPECT_EQ(p.exitStatus(), QProcess::NormalExit) << err.toStdString();
    EXPECT_EQ(p.exitCode(), 1);
    EXPECT_TRUE(err.contains("Cannot start 300 workers")) << err.toStdString();
    EXPECT_TRUE(outputs("out2").isEmpty()) << "nothing is cut by some of the workers";
#endif
}

TEST_F(CutJoinCommand, ASourceThatShrinksFailsItsPiecesInsteadOfWritingThemShort)
{
    // 119.5 seconds: six pieces of up to 20 seconds, none of them empty.
    makeAudio(path("noise.mp3"), {.seconds = 119.5, .channels = 2, .wave = Sound::Wave::Noise});
    const QString source = path("noise.mp3");
    QProcess p;
    p.start(VESSIMO_CLI, {"cut", "--settings", path("Vessimo.ini"), "--out", path("out"), "--every",
                          "20", "--format", "mp3", "--jobs", "1", "--json", source});
    ASSERT_TRUE(p.waitForStarted());
    // Once the first piece is being written the source loses all but its
    // first 30 seconds: the first piece is whole, the second runs dry and
    // the others lie past the new end.
    ASSERT_TRUE(waitFor([&] { return !outputs().isEmpty() || p.state() == QProcess::NotRunning; },
                        "the first piece"));
    ASSERT_FALSE(outputs().isEmpty()) << "the cut never began";
    ASSERT_TRUE(QFile::resize(source, QFileInfo(source).size() / 4));
    ASSERT_TRUE(p.waitForFinished(120000));
    EXPECT_EQ(p.exitCode(), 1);
    const QByteArray err = p.readAllStandardError();
    EXPECT_TRUE(err.contains("noise.mp3")) << err.toStdString();
    const QJsonDocument result = QJsonDocument::fromJson(p.readAllStandardOutput());
    const QJsonArray written = result["outputs"].toArray();
    ASSERT_EQ(written.size(), 1);
    EXPECT_EQ(written[0].toObject()["frames"].toInteger(), 20 * 44100);
    const QJsonArray failed = result["errors"].toArray();
    ASSERT_EQ(failed.size(), 5);
    for (const QJsonValue& item : failed)
        EXPECT_EQ(item.toObject()["path"].toString(), source);
    EXPECT_EQ(outputs(), QStringList{"noise_1.mp3"}) << "nothing of the pieces that failed";
}

} // namespace
