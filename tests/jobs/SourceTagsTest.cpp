// SPDX-License-Identifier: GPL-3.0-or-later
#include "jobs/SourceTags.h"

#include "JobTestFiles.h"
#include "support/TestSupport.h"
#include "tags/TagError.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>
#include <sys/stat.h>

namespace {

class SourceTagsTest : public ::testing::Test {
protected:
    QString path(const QString& name) const { return dir.filePath(name); }
    QTemporaryDir dir;
};

} // namespace

// Found by gtest through the record's namespace.
inline void PrintTo(const TagFields& t, std::ostream* os)
{
    for (const TagField field : allTagFields)
        *os << tagFieldName(field).toStdString() << '=' << t[field].toStdString() << "; ";
}

TEST_F(SourceTagsTest, TheYearAndTheCommentAreReadFromEverySource)
{
    const QStringList fields{"-metadata", "title=Song: One", "-metadata", "artist=Band",
                             "-metadata", "album=LP",        "-metadata", "genre=Rock",
                             "-metadata", "comment=Fine",    "-metadata", "track=3/12"};
    // The year as each format keeps it: TYER in ID3 version 2.3, TDRC in
    // 2.4, DATE in Vorbis comments, WM/Year in WMA.
    jobtest::makeMp3(path("v3.mp3"), 1,
                     fields + QStringList{"-id3v2_version", "3", "-metadata", "date=1999"});
    jobtest::makeMp3(path("v4.mp3"), 1,
                     fields + QStringList{"-id3v2_version", "4", "-metadata", "date=1999"});
    jobtest::makeOgg(path("a.ogg"), 1, fields + QStringList{"-metadata", "date=1999"});
    testsupport::ffmpeg(QStringList{"-f", "lavfi", "-i", "sine=duration=1", "-c:a", "wmav2"} +
                        fields + QStringList{"-metadata", "WM/Year=1999", path("a.wma")});
    for (const char* name : {"v3.mp3", "v4.mp3", "a.ogg", "a.wma"}) {
        const TagFields cleaned = ReadSourceTags(path(name), TitleReading::Cleaned);
        EXPECT_EQ(cleaned.year, "1999") << name;
        EXPECT_EQ(cleaned.comment, "Fine") << name;
        EXPECT_EQ(cleaned.artist, "Band") << name;
        EXPECT_EQ(cleaned.album, "LP") << name;
        EXPECT_EQ(cleaned.genre, "Rock") << name;
        EXPECT_EQ(cleaned.track, "") << name << ": the source's number is not its pieces'";
        EXPECT_EQ(SourceCaption(path(name), cleaned, TitleReading::Cleaned), "Song One") << name;
        // The WMA title stays as read in the record; the others are cleaned.
        EXPECT_EQ(cleaned.title, QString(name).endsWith("wma") ? "Song: One" : "Song One") << name;
        const TagFields asRead = ReadSourceTags(path(name), TitleReading::AsRead);
        EXPECT_EQ(asRead.title, "Song: One") << name;
        EXPECT_EQ(SourceCaption(path(name), asRead, TitleReading::AsRead), "Song: One") << name;
    }
    jobtest::makeWav(path("a.wav"), 1);
    EXPECT_EQ(ReadSourceTags(path("a.wav"), TitleReading::Cleaned), TagFields{});
    EXPECT_EQ(SourceCaption(path("a.wav"), {}, TitleReading::Cleaned), "");
}

TEST_F(SourceTagsTest, TheVersionOneTitleNamesAnMp3WithoutAVersionTwoTitle)
{
    jobtest::makeMp3(path("v1.mp3"), 1, {"-id3v2_version", "0"});
    QFile mp3(path("v1.mp3"));
    ASSERT_TRUE(mp3.open(QIODevice::Append));
    mp3.write(QByteArray("TAGA/B").leftJustified(128, '\0'));
    mp3.close();
    const TagFields cleaned = ReadSourceTags(path("v1.mp3"), TitleReading::Cleaned);
    EXPECT_EQ(cleaned.title, "");
    EXPECT_EQ(SourceCaption(path("v1.mp3"), cleaned, TitleReading::Cleaned), "AB");
    EXPECT_EQ(SourceCaption(path("v1.mp3"), cleaned, TitleReading::AsRead), "");
}

TEST_F(SourceTagsTest, AFifoIsRefusedWithoutWaitingForAWriter)
{
    const QString fifo = path("song.mp3");
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    EXPECT_THROW(ReadSourceTags(fifo, TitleReading::Cleaned), TagError);
    EXPECT_THROW(ReadSourceTags(path("missing.ogg"), TitleReading::AsRead), TagError);
}
