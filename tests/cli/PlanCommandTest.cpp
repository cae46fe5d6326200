// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/Media.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>

using testsupport::makeAudio;
using testsupport::run;

namespace {

class PlanCommand : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        dir = new QTemporaryDir;
        using testsupport::Sound;
        makeAudio(path("long.wav"), {.seconds = 125, .rate = 8000, .wave = Sound::Wave::Silence});
        makeAudio(path("song.mp3"), {.seconds = 90, .rate = 22050},
                  {"-b:a", "32k", "-metadata", "title=My: Song"});
        makeAudio(path("short.wav"), {.seconds = 0.4, .rate = 8000, .wave = Sound::Wave::Silence});
        testsupport::writeAll(path("notes.mp3"), "not audio\n");
        QDir(dir->path()).mkdir("album");
        for (const char* name : {"long.wav", "song.mp3", "notes.mp3", "short.wav"})
            QFile::copy(path(name), path(QString("album/") + name));
        testsupport::writeAll(path("album/cover.txt"), "skipped");
    }
    static void TearDownTestSuite() { delete dir; }
    static QString path(const QString& name) { return dir->filePath(name); }
    static testsupport::ProcessResult plan(const QStringList& args)
    {
        return run(VESSIMO_CLI, QStringList{"plan"} + args);
    }
    static QJsonObject json(const testsupport::ProcessResult& r)
    {
        QJsonParseError error;
        const QJsonDocument doc = QJsonDocument::fromJson(r.out, &error);
        EXPECT_EQ(error.error, QJsonParseError::NoError) << r.out.toStdString();
        return doc.object();
    }
    static QTemporaryDir* dir;
};

QTemporaryDir* PlanCommand::dir = nullptr;

} // namespace

TEST_F(PlanCommand, PlainOutputListsEachFilesRowsAndTheTotal)
{
    const auto r = plan({"--every", "60", path("long.wav"), path("notes.mp3"), path("song.mp3")});
    EXPECT_EQ(r.exitCode, 1) << "one path was refused";
    EXPECT_EQ(QString::fromUtf8(r.out), "long.wav  00:02:05\n"
                                        "  00:00:00 - 00:01:00  00:01:00\n"
                                        "  00:01:00 - 00:02:00  00:01:00\n"
                                        "  00:02:00 - 00:02:05  00:00:05\n"
                                        "My Song  00:01:30\n"
                                        "  00:00:00 - 00:01:00  00:01:00\n"
                                        "  00:01:00 - 00:01:30  00:00:30\n"
                                        "Total 00:03:35\n");
    EXPECT_EQ(QString::fromUtf8(r.err),
              "vessimo-cli plan: " + path("notes.mp3") + ": not an audio file\n");
}

TEST_F(PlanCommand, WithoutAPlanEveryFileIsOnePieceOfEverySample)
{
    const auto r = plan({path("song.mp3"), path("long.wav")});
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_TRUE(r.err.isEmpty()) << r.err.toStdString();
    EXPECT_TRUE(r.out.endsWith("  00:00:00 - 00:02:05  00:02:05\nTotal 00:03:35\n"))
        << r.out.toStdString();
}

TEST_F(PlanCommand, SegmentsApplyToEveryFileAndAreClippedToItsEnd)
{
    const auto r =
        plan({"--json", "--segments", "10-0:20,1:00-00:02:00", path("long.wav"), path("song.mp3")});
    EXPECT_EQ(r.exitCode, 0) << "a clipped segment is a note, not a failure";
    const QJsonObject o = json(r);
    const QJsonArray files = o["files"].toArray();
    ASSERT_EQ(files.size(), 2);
    const auto bounds = [](const QJsonValue& file) {
        QList<std::pair<double, double>> list;
        for (const QJsonValue& p : file["pieces"].toArray())
            list.append({p["begin"].toDouble(), p["end"].toDouble()});
        return list;
    };
    EXPECT_EQ(bounds(files[0]), (QList<std::pair<double, double>>{{10, 20}, {60, 120}}));
    EXPECT_EQ(bounds(files[1]), (QList<std::pair<double, double>>{{10, 20}, {60, 90}}));
    const QJsonObject first = files[0].toObject();
    EXPECT_EQ(first["name"].toString(), "long.wav");
    EXPECT_EQ(first["path"].toString(), path("long.wav"));
    EXPECT_EQ(first["seconds"].toDouble(), 125.0);
    EXPECT_EQ(first["rate"].toInt(), 8000);
    EXPECT_EQ(first["frames"].toInteger(), 125 * 8000);
    const QJsonObject row = first["pieces"].toArray()[0].toObject();
    EXPECT_EQ(row["begin_frame"].toInteger(), 10 * 8000);
    EXPECT_EQ(row["end_frame"].toInteger(), 20 * 8000);
    EXPECT_EQ(row["frames"].toInteger(), 10 * 8000);
    EXPECT_EQ(files[1]["name"].toString(), "My Song");
    const QJsonArray warnings = o["warnings"].toArray();
    ASSERT_EQ(warnings.size(), 1);
    EXPECT_EQ(warnings[0]["path"].toString(), path("song.mp3"));
    EXPECT_EQ(warnings[0]["segment"].toString(), "1:00-00:02:00");
    EXPECT_EQ(warnings[0]["message"].toString(),
              "segment 1:00-00:02:00 runs past the end; clipped to 90.000 s");
    EXPECT_TRUE(o["errors"].toArray().isEmpty());
    EXPECT_TRUE(o["outputs"].toArray().isEmpty());
}

TEST_F(PlanCommand, FoldersAddTheirSupportedFilesWithTheirRefusalsInTheErrors)
{
    const auto r = plan({"--json", "--pieces", "4", path("album"), path("short.wav")});
    EXPECT_EQ(r.exitCode, 1);
    const QJsonObject o = json(r);
    QStringList names;
    for (const QJsonValue& f : o["files"].toArray())
        names << f["name"].toString();
    // A folder keeps titles as read and lists short files; the file dialog refuses them.
    EXPECT_EQ(names, (QStringList{"long.wav", "short.wav", "My: Song"}));
    const QJsonArray errors = o["errors"].toArray();
    ASSERT_EQ(errors.size(), 2);
    EXPECT_EQ(errors[0]["path"].toString(), QDir(path("album")).filePath("notes.mp3"));
    EXPECT_EQ(errors[0]["message"].toString(), "not an audio file");
    EXPECT_EQ(errors[1]["path"].toString(), path("short.wav"));
    EXPECT_EQ(errors[1]["message"].toString(), "shorter than one second");
    for (const QJsonValue& f : o["files"].toArray()) {
        const QJsonArray pieces = f["pieces"].toArray();
        ASSERT_EQ(pieces.size(), 4);
        EXPECT_EQ(pieces[3]["end_frame"].toInteger(), f["frames"].toInteger());
    }
    EXPECT_TRUE(r.err.contains("notes.mp3: not an audio file"));
}

TEST_F(PlanCommand, UsageErrorsNameTheProblemAndListNothing)
{
    const QList<std::pair<QStringList, QString>> cases{
        {{"--every", "10", "--pieces", "2", path("long.wav")}, "only one of"},
        {{"--segments", "1:00", path("long.wav")}, "bad segment \"1:00\""},
        {{"--segments", "0:70-1:00", path("long.wav")}, "seconds must be below 60"},
        {{"--segments", "20-10", path("long.wav")}, "ends before it begins"},
        {{"--segments", "a-b", path("long.wav")}, "bad time \"a\""},
        {{"--every", "0", path("long.wav")}, "--every needs a time above 0"},
        {{"--every", "1:5x", path("long.wav")}, "bad time \"1:5x\" in --every"},
        {{"--pieces", "-3", path("long.wav")}, "--pieces needs a whole number"},
        {{"--every", "2147483648", path("long.wav")}, "in --every: too long"},
        {{"--segments", "5-5", path("long.wav")}, "bad segment \"5-5\": it is empty"},
        {{"--segments", "-5", path("long.wav")}, "bad segment \"-5\""},
        {{"--pieces", "99999999999999999999", path("long.wav")}, "is too large"},
        {{"--every", "10"}, "no file or folder given"},
        {{"--bogus", path("long.wav")}, "bogus"},
        {{"--settings", path("missing.ini"), path("long.wav")}, "no settings file"},
    };
    for (const auto& [args, problem] : cases) {
        const auto r = plan(args);
        EXPECT_EQ(r.exitCode, 2) << args.join(' ').toStdString();
        EXPECT_TRUE(r.out.isEmpty()) << args.join(' ').toStdString();
        EXPECT_TRUE(QString::fromUtf8(r.err).contains(problem))
            << r.err.toStdString() << " lacks " << problem.toStdString();
        EXPECT_TRUE(r.err.contains("usage: vessimo-cli plan"));
    }
}

TEST_F(PlanCommand, TheLargestWholeNumberIsAPlan)
{
    const auto r = plan({"--every", "2147483647", path("long.wav")});
    EXPECT_EQ(r.exitCode, 0) << r.err.toStdString();
    EXPECT_TRUE(r.out.contains("00:00:00 - 00:02:05")) << r.out.toStdString();
}

TEST_F(PlanCommand, ControlCharactersInNamesReachTheTerminalEscaped)
{
    // Crafted file names that would clear the screen and end the line: one
    // listed (on standard output), one refused (on standard error).
    const QString listed = path(QString::fromUtf8("clear\x1b[2J\nme.wav"));
    const QString refused = path(QString::fromUtf8("bell\a.wav"));
    ASSERT_TRUE(QFile::copy(path("long.wav"), listed));
    ASSERT_TRUE(QFile::copy(path("short.wav"), refused));
    const auto r = plan({listed, refused});
    QFile::remove(listed);
    QFile::remove(refused);
    EXPECT_EQ(r.exitCode, 1);
    for (const char c : {'\x1b', '\a'})
        EXPECT_FALSE(r.out.contains(c) || r.err.contains(c)) << int(c);
    // The name and its time on one line, its line break shown, not made.
    EXPECT_TRUE(r.out.contains("clear\\x1b[2J\\x0ame.wav  00:02:05")) << r.out.toStdString();
    EXPECT_TRUE(r.err.contains("bell\\x07.wav")) << r.err.toStdString();
}

TEST_F(PlanCommand, TheSettingsFileIsReadAndNeverWritten)
{
    const QString ini = path("Vessimo.ini");
    const QByteArray text = "; mine\r\n[Function]\r\nChoice=2\r\n[Choice]\r\nCount=0\r\n";
    testsupport::writeAll(ini, text);
    const auto r = plan({"--settings", ini, path("long.wav")});
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_TRUE(r.out.contains("  00:00:00 - 00:02:05  00:02:05\n"))
        << "the command line decides the pieces, not the file's function choice";
    EXPECT_EQ(testsupport::readAll(ini), text);
}
