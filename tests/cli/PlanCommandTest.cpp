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
    static QStringList ranges(const QJsonObject& file)
    {
        QStringList list;
        for (const QJsonValue& s : file["segments"].toArray())
            list << s["range"].toString();
        return list;
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
                                        "  00:00:00 - 00:01:00  00:01:00  Unconvert\n"
                                        "  00:01:00 - 00:02:00  00:01:00  Unconvert\n"
                                        "  00:02:00 - 00:02:05  00:00:05  Unconvert\n"
                                        "My Song  00:01:30\n"
                                        "  00:00:00 - 00:01:00  00:01:00  Unconvert\n"
                                        "  00:01:00 - 00:01:30  00:00:30  Unconvert\n"
                                        "Total 00:03:35\n");
    EXPECT_EQ(QString::fromUtf8(r.err), "notes.mp3 this File is not supported.\n");
}

TEST_F(PlanCommand, WithoutAPlanEveryFileHasItsOpenSegment)
{
    const auto r = plan({path("song.mp3"), path("long.wav")});
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_TRUE(r.err.isEmpty()) << r.err.toStdString();
    EXPECT_TRUE(r.out.endsWith("  00:00:00 - 00:02:05  00:02:05  Uncertain\nTotal 00:03:35\n"))
        << r.out.toStdString();
}

TEST_F(PlanCommand, SegmentsAreTheFirstFilesAndClipEveryFile)
{
    const auto r =
        plan({"--json", "--segments", "10-0:20,1:00-00:02:00", path("long.wav"), path("song.mp3")});
    EXPECT_EQ(r.exitCode, 0);
    const QJsonObject o = json(r);
    const QJsonArray files = o["files"].toArray();
    ASSERT_EQ(files.size(), 2);
    const QStringList shared{"00:00:10 - 00:00:20", "00:01:00 - 00:02:00", "00:00:00 - 00:02:05"};
    EXPECT_EQ(ranges(files[0].toObject()), shared);
    EXPECT_EQ(ranges(files[1].toObject()), shared) << "every file shows the first file's list";
    const QJsonObject first = files[0].toObject();
    EXPECT_EQ(first["name"].toString(), "long.wav");
    EXPECT_EQ(first["path"].toString(), path("long.wav"));
    EXPECT_EQ(first["time"].toString(), "00:02:05");
    EXPECT_EQ(first["duration"].toInt(), 125);
    EXPECT_EQ(first["frames"].toInteger(), 125 * 8000);
    const QJsonArray rows = first["segments"].toArray();
    EXPECT_EQ(rows[0]["length"].toString(), "00:00:10");
    EXPECT_EQ(rows[0]["status"].toString(), "OK");
    EXPECT_EQ(rows[2]["status"].toString(), "Uncertain");
    EXPECT_EQ(files[1]["name"].toString(), "My Song");
    // 10 + 60 from the first file, 10 + 30 from the 90 s one.
    EXPECT_EQ(o["total"].toString(), "00:01:50");
    EXPECT_TRUE(o["errors"].toArray().isEmpty());
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
    EXPECT_EQ(errors[0]["error"].toString(), "notes.mp3 this File is not supported.");
    EXPECT_EQ(errors[1]["path"].toString(), path("short.wav"));
    EXPECT_EQ(errors[1]["error"].toString(), "short.wav this File is Error or not supported.");
    EXPECT_EQ(o["files"].toArray()[0].toObject()["segments"].toArray().size(), 4);
    EXPECT_EQ(o["total"].toString(), "00:03:35");
    EXPECT_TRUE(r.err.contains("notes.mp3 this File is not supported."));
}

TEST_F(PlanCommand, UsageErrorsNameTheProblemAndListNothing)
{
    const QList<std::pair<QStringList, QString>> cases{
        {{"--every", "10", "--pieces", "2", path("long.wav")}, "only one of"},
        {{"--segments", "1:00", path("long.wav")}, "bad segment \"1:00\""},
        {{"--segments", "0:70-1:00", path("long.wav")}, "seconds must be below 60"},
        {{"--segments", "20-10", path("long.wav")}, "ends before it begins"},
        {{"--segments", "a-b", path("long.wav")}, "bad time \"a\""},
        {{"--every", "0", path("long.wav")}, "--every needs a whole number"},
        {{"--pieces", "-3", path("long.wav")}, "--pieces needs a whole number"},
        {{"--every", "2147483648", path("long.wav")}, "--every 2147483648 is too large"},
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
    EXPECT_TRUE(r.out.contains("Uncertain")) << "the plan option decides, not the file";
    EXPECT_EQ(testsupport::readAll(ini), text);
}
