// SPDX-License-Identifier: GPL-3.0-or-later
#include "tags/OggComments.h"
#include "base/SafeFile.h"
#include "tags/TagError.h"
#include "tags/VorbisCommentEditor.h"

#include "TagTestSupport.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <ogg/ogg.h>

using namespace testsupport;
using namespace tagtest;

namespace {

const QString unicodeTitle = QString::fromUtf8("Ärzte – 東京");

TagFields sampleTags()
{
    TagFields t;
    t.album = "Album ♫";
    t.title = unicodeTitle;
    t.artist = "Müller";
    t.comment = "line one\nline two";
    t.genre = "Rock";
    t.year = "1999";
    t.track = "7";
    return t;
}

QList<QByteArray> rawComments(const QString& path)
{
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::ReadOnly));
    VorbisCommentEditor editor(file);
    QList<QByteArray> list;
    const vorbis_comment* vc = editor.comments();
    for (int i = 0; i < vc->comments; ++i)
        list << QByteArray(vc->user_comments[i], vc->comment_lengths[i]);
    return list;
}

// Puts an exact comment list into a file, also names that no tag editor
// would write.
void setRawComments(const QString& path, const QList<QByteArray>& comments)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    VorbisCommentEditor editor(file);
    vorbis_comment_clear(editor.comments());
    vorbis_comment_init(editor.comments());
    for (const QByteArray& c : comments)
        vorbis_comment_add(editor.comments(), c.constData());
    SafeFile out(path, SafeFile::Target::Existing);
    editor.write(out.device());
    out.commit();
}

struct Page {
    int serial;
    long sequence;
    qint64 granule;
    bool eos;
    QByteArray body;
    qsizetype size;
};

// Every page that libogg accepts, that is with a correct checksum.
std::vector<Page> pages(const QString& path)
{
    const QByteArray bytes = readAll(path);
    ogg_sync_state sync;
    ogg_sync_init(&sync);
    char* buffer = ogg_sync_buffer(&sync, bytes.size());
    memcpy(buffer, bytes.constData(), bytes.size());
    ogg_sync_wrote(&sync, bytes.size());
    std::vector<Page> list;
    ogg_page page;
    int result;
    while ((result = ogg_sync_pageout(&sync, &page)) != 0) {
        EXPECT_EQ(result, 1) << "bad page in " << path.toStdString();
        if (result == 1)
            list.push_back({ogg_page_serialno(&page), ogg_page_pageno(&page),
                            ogg_page_granulepos(&page), ogg_page_eos(&page) != 0,
                            QByteArray(reinterpret_cast<char*>(page.body), page.body_len),
                            page.header_len + page.body_len});
    }
    ogg_sync_clear(&sync);
    return list;
}

// The pages that hold audio packets, i.e. whose granule position is past 0.
std::vector<Page> audioPages(const QString& path)
{
    std::vector<Page> list = pages(path);
    std::erase_if(list, [](const Page& p) { return p.granule <= 0; });
    return list;
}

class OggFiles : public ::testing::Test {
protected:
    QString path(const QString& name) const { return dir.filePath(name); }
    QTemporaryDir dir;
};

} // namespace

TEST_F(OggFiles, ReaderTakesNamesWithoutCaseAndTrimsValues)
{
    const QString ogg = untaggedAudio(path("a.ogg"));
    setRawComments(ogg,
                   {"TITLE=Song", "=x", "ARTIST=  First  ", "artist=Second",
                    QByteArray("T\xc3\x8fTLE=not a name"), "album", "Album=A=B", "TrackNumber=3",
                    "DATE=2001", "Genre=\x01Pop\x02", "COMMENT=c", "composer=ignored"});
    TagFields expected;
    expected.title = "Song";
    expected.artist = "Second";
    expected.album = "A=B";
    expected.track = "3";
    expected.year = "2001";
    expected.genre = "Pop";
    expected.comment = "c";
    EXPECT_EQ(ReadOggComments(ogg), expected);
}

TEST_F(OggFiles, WriterNamesInTheirOrderAndLeavesEmptyFieldsOut)
{
    const QString ogg =
        untaggedAudio(path("a.ogg"), {"-metadata", "title=Old", "-metadata", "composer=Gone"});
    TagFields tags = sampleTags();
    ASSERT_NO_THROW(WriteOggComments(ogg, tags));
    EXPECT_EQ(rawComments(ogg),
              (QList<QByteArray>{"Title=" + unicodeTitle.toUtf8(), "Artist=Müller", "Album=Album ♫",
                                 "TrackNumber=7", "Date=1999", "Genre=Rock",
                                 "Comment=line one\nline two"}));
    EXPECT_EQ(ReadOggComments(ogg), tags);

    tags = {};
    tags.genre = "Jazz";
    ASSERT_NO_THROW(WriteOggComments(ogg, tags));
    EXPECT_EQ(rawComments(ogg), QList<QByteArray>{"Genre=Jazz"});
}

TEST_F(OggFiles, MutagenAndFfprobeReadOurComments)
{
    const QString ogg = untaggedAudio(path("a.ogg"));
    ASSERT_NO_THROW(WriteOggComments(ogg, sampleTags()));
    const QString script = R"(
import sys
from mutagen.oggvorbis import OggVorbis
f = OggVorbis(sys.argv[1])
for k in ['title', 'artist', 'album', 'tracknumber', 'date', 'genre', 'comment']:
    print(k + '=' + '|'.join(f[k]))
)";
    const TagFields s = sampleTags();
    EXPECT_EQ(python(script, {ogg}),
              QString("title=%1\nartist=%2\nalbum=%3\ntracknumber=%4\ndate=%5\ngenre=%6\n"
                      "comment=%7\n")
                  .arg(s.title, s.artist, s.album, s.track, s.year, s.genre, s.comment));
    EXPECT_EQ(probeTag(ogg, "title"), s.title);
    EXPECT_EQ(probeTag(ogg, "artist"), s.artist);
    EXPECT_EQ(probeTag(ogg, "album"), s.album);
    EXPECT_EQ(probeTag(ogg, "date"), s.year);
    EXPECT_EQ(probeTag(ogg, "track"), s.track);
}

TEST_F(OggFiles, ReadsCommentsWrittenByMutagenAndFfmpeg)
{
    const QString byFfmpeg = untaggedAudio(
        path("f.ogg"), {"-metadata", "title=" + unicodeTitle, "-metadata", "artist=Band",
                        "-metadata", "album=LP", "-metadata", "date=2010", "-metadata",
                        "genre=Folk", "-metadata", "track=2", "-metadata", "comment=Hi"});
    TagFields expected;
    expected.title = unicodeTitle;
    expected.artist = "Band";
    expected.album = "LP";
    expected.year = "2010";
    expected.genre = "Folk";
    expected.track = "2";
    // ffmpeg stores a comment as DESCRIPTION.
    expected.comment = "Hi";
    ASSERT_TRUE(rawComments(byFfmpeg).contains("DESCRIPTION=Hi"));
    EXPECT_EQ(ReadOggComments(byFfmpeg), expected);

    const QString byMutagen = untaggedAudio(path("m.ogg"));
    python(R"(
import sys
from mutagen.oggvorbis import OggVorbis
f = OggVorbis(sys.argv[1])
f['TITLE'] = 'Ärzte – 東京'
f['Artist'] = 'Band'
f['album'] = 'LP'
f['DATE'] = '2010'
f['genre'] = 'Folk'
f['TRACKNUMBER'] = '2'
f['comment'] = 'Hi'
f.save()
)",
           {byMutagen});
    EXPECT_EQ(ReadOggComments(byMutagen), expected);
}

TEST_F(OggFiles, AudioPagesStayAsTheyWere)
{
    const QString ogg = untaggedAudio(path("a.ogg"));
    const QByteArray audio = decodedAudio(ogg);
    const QByteArray before = readAll(ogg);
    const std::vector<Page> beforePages = pages(ogg);
    const std::vector<Page> beforeAudio = audioPages(ogg);

    // A short comment keeps the header's page count: every later byte stays.
    TagFields tags;
    tags.title = "Song";
    ASSERT_NO_THROW(WriteOggComments(ogg, tags));
    std::vector<Page> after = pages(ogg);
    ASSERT_EQ(after.size(), beforePages.size());
    qsizetype audioBytes = 0;
    for (const Page& p : beforeAudio)
        audioBytes += p.size;
    EXPECT_EQ(readAll(ogg).right(audioBytes), before.right(audioBytes));

    // A long one spreads the header over more pages: the audio pages move
    // up in sequence and get new checksums, their content stays.
    tags.comment = QString(200000, 'c');
    ASSERT_NO_THROW(WriteOggComments(ogg, tags));
    after = pages(ogg);
    ASSERT_GT(after.size(), beforePages.size());
    for (size_t i = 0; i < after.size(); ++i)
        EXPECT_EQ(after[i].sequence, long(i));
    const std::vector<Page> afterAudio = audioPages(ogg);
    ASSERT_EQ(afterAudio.size(), beforeAudio.size());
    for (size_t i = 0; i < afterAudio.size(); ++i) {
        EXPECT_EQ(afterAudio[i].body, beforeAudio[i].body);
        EXPECT_EQ(afterAudio[i].granule, beforeAudio[i].granule);
        EXPECT_EQ(afterAudio[i].eos, beforeAudio[i].eos);
    }
    EXPECT_TRUE(afterAudio.back().eos);
    EXPECT_EQ(ReadOggComments(ogg).comment.size(), 200000);
    EXPECT_EQ(decodedAudio(ogg), audio);

    // And back to a short header.
    ASSERT_NO_THROW(WriteOggComments(ogg, {}));
    EXPECT_EQ(pages(ogg).size(), beforePages.size());
    EXPECT_EQ(decodedAudio(ogg), audio);
    EXPECT_TRUE(rawComments(ogg).isEmpty());
}

TEST_F(OggFiles, OtherStreamsOfTheFileStayAsTheyWere)
{
    const QString ogg = path("two.ogg");
    ffmpeg({"-f",
            "lavfi",
            "-i",
            "sine=frequency=440:duration=1",
            "-f",
            "lavfi",
            "-i",
            "sine=frequency=880:duration=1",
            "-map",
            "0",
            "-map",
            "1",
            "-c:a",
            "libvorbis",
            "-fflags",
            "+bitexact",
            "-map_metadata",
            "-1",
            "-metadata:s:0",
            "title=First",
            "-metadata:s:1",
            "title=Second",
            ogg});
    const auto streamAudio = [&ogg](const char* stream) {
        return run("ffmpeg", {"-v", "error", "-i", ogg, "-map", stream, "-f", "f32le", "-"}).out;
    };
    const QByteArray first = streamAudio("0:0");
    const QByteArray second = streamAudio("0:1");
    ASSERT_FALSE(second.isEmpty());
    const qsizetype pageCount = pages(ogg).size();

    TagFields tags;
    tags.title = "New";
    tags.comment = QString(100000, 'c');
    ASSERT_NO_THROW(WriteOggComments(ogg, tags));
    EXPECT_GT(pages(ogg).size(), size_t(pageCount));
    EXPECT_EQ(ReadOggComments(ogg).title, "New");
    const testsupport::ProcessResult probe = run(
        "ffprobe", {"-v", "error", "-show_entries", "stream_tags=title", "-of", "csv=p=0", ogg});
    EXPECT_EQ(probe.out, "New\nSecond\n");
    EXPECT_EQ(streamAudio("0:0"), first);
    EXPECT_EQ(streamAudio("0:1"), second);
}

TEST_F(OggFiles, ReadOnlyFilesAreReadAndKeepTheirModeWhenWritten)
{
    const QString ogg = untaggedAudio(path("a.ogg"), {"-metadata", "title=Song"});
    setMode(ogg, 0444);
    const QByteArray bytes = readAll(ogg);
    EXPECT_EQ(ReadOggComments(ogg).title, "Song");
    EXPECT_EQ(modeOf(ogg), 0444u);
    EXPECT_EQ(readAll(ogg), bytes);

    ASSERT_NO_THROW(WriteOggComments(ogg, sampleTags()));
    EXPECT_EQ(modeOf(ogg), 0444u);
    EXPECT_EQ(ReadOggComments(ogg), sampleTags());
    EXPECT_EQ(filesIn(dir.path()), QStringList{"a.ogg"});
}

TEST_F(OggFiles, AFailedWriteLeavesTheFileAndNoTemporaryFile)
{
    const QString ogg = untaggedAudio(path("a.ogg"));
    const QByteArray before = readAll(ogg);
    {
        FileSizeLimit limit(2000);
        ExpectTagError([&] { WriteOggComments(ogg, sampleTags()); },
                       "Cannot write comments: " + ogg + ": ");
    }
    EXPECT_EQ(readAll(ogg), before);
    EXPECT_EQ(filesIn(dir.path()), QStringList{"a.ogg"});
}

TEST_F(OggFiles, FilesThatAreNoOggVorbisAreRefusedWithTheirName)
{
    const QString mp3 = untaggedAudio(path("a.mp3"));
    const QString renamed = path("b.ogg");
    ASSERT_TRUE(QFile::copy(mp3, renamed));
    const QByteArray before = readAll(renamed);
    for (const QString& file : {renamed, path("missing.ogg")}) {
        ExpectTagError([&] { ReadOggComments(file); }, "Cannot open " + file + ": ");
        EXPECT_THROW(WriteOggComments(file, sampleTags()), TagError);
    }
    EXPECT_EQ(readAll(renamed), before);
}

TEST_F(OggFiles, AudioSharingTheLastHeaderPageIsReadButNotRewritten)
{
    const QString ogg = path("a.ogg");
    ASSERT_TRUE(QFile::copy(dataFile("vorbis-audio-on-header-page.ogg"), ogg));
    const QByteArray before = readAll(ogg);
    EXPECT_EQ(ReadOggComments(ogg).title, "Song");
    ExpectTagError([&] { WriteOggComments(ogg, sampleTags()); },
                   "Cannot write comments: " + ogg + ": ");
    EXPECT_EQ(readAll(ogg), before);
    EXPECT_EQ(filesIn(dir.path()), QStringList{"a.ogg"});
}

TEST(OggBrokenFiles, AreRefusedWithoutCrashOrHang)
{
    const QDir data(dataFile({}));
    const QStringList names = data.entryList({"ogg-*"}, QDir::Files);
    ASSERT_FALSE(names.isEmpty());
    for (const QString& name : names) {
        const QString file = data.filePath(name);
        try {
            ReadOggComments(file);
            ADD_FAILURE() << name.toStdString() << " was read";
        } catch (const TagError& e) {
            EXPECT_TRUE(e.message().startsWith("Cannot open " + file + ": ")) << e.what();
        }
    }
    try {
        ReadOggComments(data.filePath("ogg-cut-in-comment-header.ogg"));
    } catch (const TagError& e) {
        EXPECT_TRUE(e.message().endsWith("EOF before end of Vorbis headers.")) << e.what();
    }
}

TEST_F(OggFiles, TheNumberOfTracksIsACommentOfItsOwn)
{
    const QString ogg = untaggedAudio(path("a.ogg"), {"-metadata", "MOOD=calm"});
    TagFields tags;
    tags.title = "Song";
    tags.track = "3/12";
    ASSERT_NO_THROW(WriteOggComments(ogg, tags));
    EXPECT_EQ(rawComments(ogg),
              (QList<QByteArray>{"Title=Song", "TrackNumber=3", "TrackTotal=12"}));
    EXPECT_EQ(python(R"(
import sys
from mutagen.oggvorbis import OggVorbis
f = OggVorbis(sys.argv[1])
print(f['tracknumber'][0], f['tracktotal'][0])
)",
                     {ogg}),
              "3 12\n");
    EXPECT_EQ(probeTag(ogg, "track"), "3");
    EXPECT_EQ(ReadOggComments(ogg).track, "3/12");

    const struct {
        QList<QByteArray> comments;
        QString track;
    } cases[] = {
        {{"TRACKNUMBER=5", "TOTALTRACKS=9"}, "5/9"},
        {{"tracktotal=9", "tracknumber=5"}, "5/9"},
        {{"TRACKNUMBER=5/7", "TRACKTOTAL=9"}, "5/7"},
        {{"TRACKTOTAL=9"}, ""},
    };
    for (const auto& c : cases) {
        setRawComments(ogg, c.comments);
        EXPECT_EQ(ReadOggComments(ogg).track, c.track) << c.comments.join(' ').constData();
    }

    // Setting the track replaces the total as well; other comments stay.
    setRawComments(ogg, {"TRACKNUMBER=5", "TOTALTRACKS=9", "MOOD=calm", "TrackTotal=9"});
    ASSERT_NO_THROW(UpdateOggComments(ogg, {.track = "4"}, TagField::Track));
    EXPECT_EQ(rawComments(ogg), (QList<QByteArray>{"MOOD=calm", "TrackNumber=4"}));
}

TEST_F(OggFiles, ChaptersComeFromNumberedComments)
{
    // As ffmpeg writes them, three digits a number; ffprobe reads them too.
    const QString byFfmpeg = untaggedAudio(
        path("f.ogg"), {"-metadata", "CHAPTER001=00:00:00.000", "-metadata", "CHAPTER001NAME=Intro",
                        "-metadata", "CHAPTER002=00:00:12.500", "-metadata",
                        "CHAPTER002NAME=Zwei ☺", "-metadata", "CHAPTER003=00:01:02.250"});
    const TagChapters chapters = ReadOggChapters(byFfmpeg);
    EXPECT_EQ(chapters, (TagChapters{{0, std::nullopt, "Intro"},
                                     {12500, std::nullopt, QString::fromUtf8("Zwei ☺")},
                                     {62250, std::nullopt, {}}}));
    const ProcessResult probe =
        run("ffprobe", {"-v", "error", "-show_chapters", "-of", "csv=p=0", "-show_entries",
                        "chapter=start:chapter_tags=title", byFfmpeg});
    EXPECT_EQ(QString::fromUtf8(probe.out), QString::fromUtf8("0,Intro\n12500,Zwei ☺\n62250\n"));

    // As vorbiscomment writes what a user types: names in any case, numbers
    // of any length and in any order, times rounded to the millisecond, and
    // a time that is none leaves its chapter out.
    const QString ogg = untaggedAudio(path("v.ogg"));
    const ProcessResult written = run("vorbiscomment", {"-w",
                                                        "-t",
                                                        "CHAPTER10=1:00:00.1234567",
                                                        "-t",
                                                        "chapter2=00:00:12.5",
                                                        "-t",
                                                        "Chapter2Name= Zwei ",
                                                        "-t",
                                                        "CHAPTER0001=00:00:00.000",
                                                        "-t",
                                                        "CHAPTER0001NAME=Eins",
                                                        "-t",
                                                        "CHAPTER4=soon",
                                                        "-t",
                                                        "CHAPTER4NAME=Never",
                                                        "-t",
                                                        "CHAPTER3URL=http://example.org",
                                                        "-t",
                                                        "CHAPTER3=00:59:59.9995",
                                                        "-t",
                                                        "TITLE=Book",
                                                        ogg});
    ASSERT_EQ(written.exitCode, 0) << written.err.toStdString();
    EXPECT_EQ(ReadOggChapters(ogg), (TagChapters{{0, std::nullopt, "Eins"},
                                                 {12500, std::nullopt, "Zwei"},
                                                 {3600000, std::nullopt, {}},
                                                 {3600123, std::nullopt, {}}}));
    EXPECT_EQ(ReadOggComments(ogg).title, "Book");
    EXPECT_EQ(ReadOggChapters(untaggedAudio(path("none.ogg"))), TagChapters{});
    ExpectTagError([&] { ReadOggChapters(path("missing.ogg")); },
                   "Cannot open " + path("missing.ogg") + ": ");
}

TEST_F(OggFiles, ADescriptionIsTheCommentWhenThereIsNone)
{
    const QString ogg = untaggedAudio(path("a.ogg"));
    setRawComments(ogg, {"DESCRIPTION=Described", "TITLE=Song"});
    EXPECT_EQ(ReadOggComments(ogg).comment, "Described");
    setRawComments(ogg, {"DESCRIPTION=Described", "COMMENT=Commented"});
    EXPECT_EQ(ReadOggComments(ogg).comment, "Commented");
    // Setting the comment replaces both; clearing it leaves neither.
    ASSERT_NO_THROW(UpdateOggComments(ogg, {.comment = "New"}, TagField::Comment));
    EXPECT_EQ(rawComments(ogg), QList<QByteArray>{"Comment=New"});
    ASSERT_NO_THROW(UpdateOggComments(ogg, {}, TagField::Comment));
    EXPECT_EQ(ReadOggComments(ogg).comment, "");
}
