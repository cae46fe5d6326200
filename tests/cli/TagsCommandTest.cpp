// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/Media.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>

using namespace testsupport;

namespace {

ProcessResult cli(const QStringList& args)
{
    return run(QStringLiteral(VESSIMO_CLI_PATH), QStringList{"tags"} + args);
}

// A second of tone with no tags of its own but `extra`.
QString tone(const QString& path, const QStringList& extra = {})
{
    return makeAudio(path, {.bare = true}, extra);
}

QJsonObject readJson(const QString& path)
{
    const ProcessResult r = cli({"--json", path});
    EXPECT_EQ(r.exitCode, 0) << r.err.toStdString();
    // {"files": [{"path": ..., "tags": {...}}], ...}: the tags with the path.
    const QJsonObject file = QJsonDocument::fromJson(r.out)["files"].toArray().at(0).toObject();
    QJsonObject tags = file["tags"].toObject();
    tags.insert("path", file["path"]);
    return tags;
}

class TagsCommand : public ::testing::Test {
protected:
    QString path(const QString& name) const { return dir.filePath(name); }
    QTemporaryDir dir;
};

} // namespace

TEST_F(TagsCommand, PrintsTheFieldsOfEachFile)
{
    const QString ogg =
        tone(path("a.ogg"), {"-metadata", "title=Song", "-metadata", "artist=Band", "-metadata",
                             "date=2001", "-metadata", "tracknumber=4"});
    const QString wav = tone(path("b.wav"), {"-metadata", "title=Ignored"});
    const ProcessResult r = cli({ogg, wav});
    EXPECT_EQ(r.exitCode, 0) << r.err.toStdString();
    EXPECT_EQ(QString::fromUtf8(r.out),
              ogg +
                  "\n  title: Song\n  artist: Band\n  album: \n  year: 2001\n  comment: \n"
                  "  genre: \n  track: 4\n" +
                  wav +
                  "\n  title: \n  artist: \n  album: \n  year: \n  comment: \n  genre: \n"
                  "  track: \n");
}

TEST_F(TagsCommand, Mp3TitleComesFromVersion2ElseVersion1)
{
    const QString mp3 = tone(path("a.mp3"));
    QFile f(mp3);
    ASSERT_TRUE(f.open(QIODevice::Append));
    f.write(QByteArray("TAG") + QByteArray("Old/Title").leftJustified(125, '\0'));
    f.close();
    EXPECT_EQ(readJson(mp3)["title"].toString(), "Old/Title");

    const ProcessResult set = cli({mp3, "--set", "title=New", "--set", "artist=Me"});
    EXPECT_EQ(set.exitCode, 0) << set.err.toStdString();
    QJsonObject o = readJson(mp3);
    EXPECT_EQ(o["title"].toString(), "New");
    EXPECT_EQ(o["artist"].toString(), "Me");
    EXPECT_EQ(o["path"].toString(), mp3);

    // A version 2 title that cleaning empties gives way to the version 1 title.
    ASSERT_EQ(cli({mp3, "--set", "title=/:*"}).exitCode, 0);
    EXPECT_EQ(readJson(mp3)["title"].toString(), "Old/Title");
}

TEST_F(TagsCommand, SetChangesOnlyTheNamedFields)
{
    const QString title = QString::fromUtf8("Ärzte – 東京");
    for (const QString& name : QStringList{"a.mp3", "a.ogg", "a.wma"}) {
        const QString file = tone(path(name), {"-metadata", "album=Old album"});
        const QString album = readJson(file)["album"].toString();
        ProcessResult r =
            cli({file, "--set", "title=" + title, "--set", "ARTIST=Band", "--set", "year=1999",
                 "--set", "comment=x=y", "--set", "genre=Pop", "--set", "track=3"});
        ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
        QJsonObject o = readJson(file);
        EXPECT_EQ(o["title"].toString(), title) << name.toStdString();
        EXPECT_EQ(o["artist"].toString(), "Band");
        EXPECT_EQ(o["album"].toString(), album) << "a field not named stays";
        EXPECT_EQ(o["year"].toString(), "1999");
        EXPECT_EQ(o["comment"].toString(), "x=y");
        EXPECT_EQ(o["genre"].toString(), "Pop");
        EXPECT_EQ(o["track"].toString(), "3");

        // A second set of one field leaves the others; an empty value clears.
        r = cli({file, "--set", "artist=Other", "--set", "genre="});
        ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
        o = readJson(file);
        EXPECT_EQ(o["title"].toString(), title) << name.toStdString();
        EXPECT_EQ(o["artist"].toString(), "Other");
        EXPECT_EQ(o["genre"].toString(), "");
        EXPECT_EQ(o["track"].toString(), "3");
    }
}

TEST_F(TagsCommand, TheTrackMayCarryTheNumberOfTracks)
{
    for (const QString& name : QStringList{"n.mp3", "n.ogg", "n.wma"}) {
        const QString file = tone(path(name));
        ASSERT_EQ(cli({file, "--set", "track=3/12"}).exitCode, 0) << name.toStdString();
        EXPECT_EQ(readJson(file)["track"].toString(), "3/12") << name.toStdString();
        ASSERT_EQ(cli({file, "--set", "track=4"}).exitCode, 0);
        EXPECT_EQ(readJson(file)["track"].toString(), "4") << name.toStdString();
    }
}

TEST_F(TagsCommand, SetKeepsTheTagsItDoesNotKnow)
{
    for (const QString& name : QStringList{"k.mp3", "k.ogg", "k.wma"}) {
        const QString file = path(name);
        makeAudio(file, {},
                  {"-metadata", "mood=calm", "-metadata", "title=Old", "-id3v2_version", "3"});
        const ProcessResult r = cli({file, "--set", "title=New"});
        ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
        const ProcessResult probe =
            run("ffprobe",
                {"-v", "error", "-show_entries", "format_tags:stream_tags", "-of", "json", file});
        // Ogg keeps its comments with the stream, the others with the file.
        const QJsonObject root = QJsonDocument::fromJson(probe.out).object();
        QJsonObject tags = root["format"].toObject()["tags"].toObject();
        if (name.endsWith(".ogg"))
            tags = root["streams"].toArray().at(0).toObject()["tags"].toObject();
        QJsonObject lower;
        for (auto it = tags.begin(); it != tags.end(); ++it)
            lower.insert(it.key().toLower(), it.value());
        EXPECT_EQ(lower["title"].toString(), "New") << name.toStdString();
        EXPECT_EQ(lower["mood"].toString(), "calm") << name.toStdString();
    }
}

TEST_F(TagsCommand, ErrorsNameTheFileAndTheCause)
{
    const QString missing = path("missing.mp3");
    const QString ogg = tone(path("a.ogg"), {"-metadata", "title=Song"});
    ProcessResult r = cli({missing, ogg});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_TRUE(r.err.contains(missing.toUtf8())) << r.err.toStdString();
    EXPECT_TRUE(r.out.contains("title: Song"));

    const QString fake = path("fake.ogg");
    QFile::copy(tone(path("b.mp3")), fake);
    r = cli({fake});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_TRUE(r.err.startsWith("vessimo-cli tags: Cannot open " + fake.toUtf8() + ": "))
        << r.err.toStdString();
    const QByteArray before = readAll(fake);
    r = cli({fake, "--set", "title=x"});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(readAll(fake), before);

    const QString wav = tone(path("c.wav"));
    r = cli({wav, "--set", "title=x"});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_TRUE(r.err.contains(wav.toUtf8())) << r.err.toStdString();

    const QString wma = tone(path("d.wma"));
    r = cli({wma, "--set", "track=seven"});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_TRUE(r.err.contains(wma.toUtf8())) << r.err.toStdString();

    EXPECT_EQ(cli({ogg, "--set", "composer=x"}).exitCode, 2);
    EXPECT_EQ(cli({ogg, "--set"}).exitCode, 2);
    EXPECT_EQ(cli({ogg, wma, "--set", "title=x"}).exitCode, 2);
    EXPECT_EQ(cli({}).exitCode, 2);
}
