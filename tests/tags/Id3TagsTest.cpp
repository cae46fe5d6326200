// SPDX-License-Identifier: GPL-3.0-or-later
#include "tags/Id3Tags.h"
#include "tags/TagError.h"

#include "TagTestSupport.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <unistd.h>

using namespace testsupport;
using namespace tagtest;

namespace {

QByteArray be32(quint32 v)
{
    const char bytes[] = {char(v >> 24), char(v >> 16), char(v >> 8), char(v)};
    return QByteArray(bytes, 4);
}

QByteArray syncsafe(quint32 v)
{
    const char bytes[] = {char((v >> 21) & 0x7f), char((v >> 14) & 0x7f), char((v >> 7) & 0x7f),
                          char(v & 0x7f)};
    return QByteArray(bytes, 4);
}

QByteArray frame(const char* id, const QByteArray& content)
{
    return QByteArray(id, 4) + be32(quint32(content.size())) + QByteArray(2, '\0') + content;
}

// A version 2.4 frame: its size in seven-bit bytes, and its format flags.
QByteArray frame24(const char* id, const QByteArray& content, char formatFlags = 0)
{
    return QByteArray(id, 4) + syncsafe(quint32(content.size())) + '\0' + formatFlags + content;
}

QByteArray tag(const QByteArray& frames, char version = 3)
{
    return QByteArray("ID3") + version + QByteArray(2, '\0') + syncsafe(quint32(frames.size())) +
           frames;
}

TagFields readBytes(const QByteArray& bytes)
{
    QByteArray copy = bytes;
    QBuffer buffer(&copy);
    buffer.open(QIODevice::ReadOnly);
    return ReadId3v2(buffer);
}

const QString unicodeTitle = QString::fromUtf8("Ärzte – 東京");

// What mutagen-inspect, an independent reader, lists of the file's tag.
QString inspected(const QString& path)
{
    const ProcessResult r = run("mutagen-inspect", {path});
    EXPECT_EQ(r.exitCode, 0) << r.err.toStdString();
    return QString::fromUtf8(r.out);
}

class Id3Files : public ::testing::Test {
protected:
    QString path(const QString& name) const { return dir.filePath(name); }
    QTemporaryDir dir;
};

TagFields sampleTags()
{
    return {.title = unicodeTitle,
            .artist = "Müller & Söhne",
            .album = "Album ♫",
            .year = "1999",
            .comment = "a comment ☺",
            .genre = "Rock",
            .track = "7/12"};
}

} // namespace

TEST(ReadId3v2, ReadsTheSevenFramesAndTrimsThem)
{
    const QByteArray frames =
        frame("TIT2", QByteArray("\0  Title \0", 10)) + frame("TPE1", QByteArray("\0Artist", 7)) +
        frame("TALB", QByteArray("\0Album", 6)) + frame("TRCK", QByteArray("\0003", 2)) +
        frame("TYER", QByteArray("\0"
                                 "2001",
                                 5)) +
        frame("TCON", QByteArray("\0Jazz\r\n", 7)) + frame("TXXX", QByteArray("\0ignored\0x", 10)) +
        frame("COMM", QByteArray("\0eng\0abc", 8));
    const TagFields t = readBytes(tag(frames) + QByteArray(100, '\xff'));
    EXPECT_EQ(t, (TagFields{.title = "Title",
                            .artist = "Artist",
                            .album = "Album",
                            .year = "2001",
                            .comment = "abc",
                            .genre = "Jazz",
                            .track = "3"}));
}

TEST(ReadId3v2, CommentWithLanguageAndEmptyDescription)
{
    EXPECT_EQ(readBytes(tag(frame("COMM", QByteArray("\0eng\0abc", 8)))).comment, "abc");
    // A description is not part of the comment.
    EXPECT_EQ(readBytes(tag(frame("COMM", QByteArray("\0engdesc\0abc", 12)))).comment, "abc");
    EXPECT_EQ(readBytes(tag(frame("COMM", QByteArray("\1eng\xff\xfe\0\0\xff\xfe"
                                                     "a\0b\0",
                                                     14))))
                  .comment,
              "ab");
    // Without a terminated description, the text follows the language.
    EXPECT_EQ(readBytes(tag(frame("COMM", QByteArray("\0eng abc ", 9)))).comment, "abc");
    EXPECT_EQ(readBytes(tag(frame("COMM", QByteArray("\1eng\xff\xfe"
                                                     "a\0b\0",
                                                     10))))
                  .comment,
              "ab");
}

TEST(ReadId3v2, KeepsTheFirst250BytesOfALongFrameAndReadsTheFramesAfterIt)
{
    const QByteArray text = QByteArray(299, 'x').replace(249, 50, QByteArray(50, 'y'));
    const QByteArray frames = frame("TIT2", '\0' + text) + frame("TPE1", QByteArray("\0After", 6));
    const TagFields t = readBytes(tag(frames));
    EXPECT_EQ(t.title, QString(249, 'x'));
    EXPECT_EQ(t.artist, "After");
}

TEST(ReadId3v2, LaterFrameOfTheSameNameWins)
{
    const TagFields t = readBytes(
        tag(frame("TIT2", QByteArray("\0One", 4)) + frame("TIT2", QByteArray("\0Two", 4))));
    EXPECT_EQ(t.title, "Two");
}

TEST(ReadId3v2, DecodesEveryTextEncoding)
{
    const QString expected = QString::fromUtf8("Ärzte ☃");
    QByteArray le("\1\xff\xfe", 3);
    QByteArray be("\2", 1);
    for (const QChar c : expected) {
        le += char(c.unicode() & 0xff);
        le += char(c.unicode() >> 8);
        be += char(c.unicode() >> 8);
        be += char(c.unicode() & 0xff);
    }
    EXPECT_EQ(readBytes(tag(frame("TIT2", le + QByteArray(2, '\0')))).title, expected);
    EXPECT_EQ(readBytes(tag(frame("TIT2", be), 4)).title, expected);
    EXPECT_EQ(readBytes(tag(frame("TIT2", '\3' + expected.toUtf8()), 4)).title, expected);
    EXPECT_EQ(readBytes(tag(frame("TIT2", QByteArray("\0\xc4rzte", 6)))).title,
              QString::fromUtf8("Ärzte"));
}

TEST(ReadId3v2, Version24FrameSizesAreSyncsafe)
{
    // 200 bytes: as a plain number the size bytes would read 0x148.
    const QByteArray text = '\0' + QByteArray(199, 'a');
    const QByteArray frames = QByteArray("TIT2") + syncsafe(200) + QByteArray(2, '\0') + text +
                              QByteArray("TPE1") + syncsafe(3) + QByteArray(2, '\0') +
                              QByteArray("\0Me", 3) + QByteArray("TDRC") + syncsafe(5) +
                              QByteArray(2, '\0') +
                              QByteArray("\0"
                                         "2024",
                                         5);
    const TagFields t = readBytes(tag(frames, 4));
    EXPECT_EQ(t.title, QString(199, 'a'));
    EXPECT_EQ(t.artist, "Me");
    EXPECT_EQ(t.year, "2024");
}

TEST(ReadId3v2, WithoutTheIdentifierNoFramesAreRead)
{
    // Audio bytes whose header would announce a small tag holding a title.
    QByteArray bytes = tag(frame("TIT2", QByteArray("\0Garbage", 8)));
    bytes[0] = '\xff';
    bytes[1] = '\xfb';
    EXPECT_EQ(readBytes(bytes), TagFields{});
}

TEST(ReadId3v2, TagEndBeyondTheFileGivesEmptyFields)
{
    QByteArray bytes = tag(frame("TIT2", QByteArray("\0Title", 6)));
    bytes.replace(6, 4, QByteArray("\x7f\x7f\x7f\x7f", 4));
    EXPECT_EQ(readBytes(bytes), TagFields{});
    EXPECT_EQ(readBytes(QByteArray("ID3\3\0")), TagFields{});
    EXPECT_EQ(readBytes({}), TagFields{});
}

TEST(ReadId3v2, AFrameRunningPastTheFileDiscardsEverything)
{
    QByteArray frames = frame("TIT2", QByteArray("\0Title", 6)) + QByteArray("TPE1") + be32(100) +
                        QByteArray(2, '\0') + QByteArray("\0abc", 4);
    EXPECT_EQ(readBytes(tag(frames)), TagFields{});
}

TEST(ReadId3v2, ZeroSizeFramesAndPaddingEndTheLoop)
{
    const QByteArray frames =
        frame("TIT2", {}) + frame("TPE1", QByteArray("\0Me", 3)) + QByteArray(40, '\0');
    const TagFields t = readBytes(tag(frames));
    EXPECT_EQ(t.title, "");
    EXPECT_EQ(t.artist, "Me");
}

TEST(ReadId3v2, NothingAfterThePaddingIsTakenForAFrame)
{
    // Bytes behind the padding are not frames, even when they look like one
    // that runs past the end of the file.
    const QByteArray frames = frame("TPE1", QByteArray("\0Me", 3)) + QByteArray(10, '\0') +
                              QByteArray("TIT2") + be32(5000) + QByteArray(2, '\0');
    const TagFields t = readBytes(tag(frames));
    EXPECT_EQ(t.artist, "Me");
    EXPECT_EQ(t.title, "");
}

TEST(ReadId3v2, AnExtendedHeaderIsSkipped)
{
    const QByteArray frames =
        frame("TIT2", QByteArray("\0Title", 6)) + frame("TPE1", QByteArray("\0Me", 3));
    // Version 2.3 counts the extended header without its size bytes (6, or
    // 10 with a checksum); 2.4 with them, in seven-bit bytes.
    const QByteArray headers[][2] = {
        {"\3", be32(6) + QByteArray(6, '\0')},
        {"\3", be32(10) + QByteArray("\x80\0", 2) + QByteArray(4, '\0') + be32(0x12345678)},
        {"\4", syncsafe(6) + QByteArray("\x01\0", 2)},
        {"\4",
         syncsafe(12) + QByteArray("\x01\x20", 2) + QByteArray("\x05\x01\x02\x03\x04\x05", 6)},
    };
    for (const auto& [version, extended] : headers) {
        QByteArray bytes = tag(extended + frames, version[0]);
        bytes[5] = '\x40';
        const TagFields t = readBytes(bytes);
        EXPECT_EQ(t.title, "Title") << int(version[0]) << " " << extended.toHex().constData();
        EXPECT_EQ(t.artist, "Me");
    }
    // One that claims more than the tag holds leaves the tag unread.
    QByteArray bytes = tag(be32(500) + QByteArray(6, '\0') + frames);
    bytes[5] = '\x40';
    EXPECT_EQ(readBytes(bytes), TagFields{});
}

TEST(ReadId3v2, ALongTextIsCutBetweenCharacters)
{
    // The first 250 bytes of a frame are read: the encoding byte and 249
    // bytes of text, which may end inside a character.
    const QString e = QString::fromUtf8("é");      // two bytes in UTF-8
    const QString kanji = QString::fromUtf8("東"); // three
    const QString smiley = QString::fromUtf8("😀"); // four; two UTF-16 units
    const auto utf16 = [](const QString& text) {
        QByteArray bytes("\xff\xfe", 2);
        for (const QChar c : text)
            bytes += QByteArray(1, char(c.unicode() & 0xff)) + char(c.unicode() >> 8);
        return bytes;
    };
    const struct {
        QByteArray content;
        QString expected;
    } cases[] = {
        {'\3' + e.repeated(200).toUtf8(), e.repeated(124)},
        {"\3a" + kanji.repeated(100).toUtf8(), 'a' + kanji.repeated(82)},
        {'\3' + smiley.repeated(100).toUtf8(), smiley.repeated(62)},
        {'\3' + QByteArray(248, 'a') + e.toUtf8(), QString(248, 'a')},
        // 247 bytes after the byte order mark: 61 pairs and a lone half.
        {'\1' + utf16(smiley.repeated(100)), smiley.repeated(61)},
        {'\1' + utf16(QString(122, 'a') + smiley), QString(122, 'a')},
    };
    for (const auto& c : cases) {
        const TagFields t = readBytes(tag(frame24("TIT2", c.content) + frame24("TPE1", "\3Me"), 4));
        EXPECT_EQ(t.title, c.expected) << c.content.left(8).toHex().constData();
        EXPECT_FALSE(t.title.contains(QChar::ReplacementCharacter));
        EXPECT_EQ(t.artist, "Me");
    }
    // A text that fits keeps its last character.
    EXPECT_EQ(readBytes(tag(frame24("TIT2", '\3' + e.repeated(124).toUtf8()), 4)).title,
              e.repeated(124));
}

TEST(ReadId3v2, TheYearComesFromTyerOrTdrcTheTagsOwnVersionFirst)
{
    const QByteArray tyer = frame("TYER", QByteArray("\0"
                                                     "1999",
                                                     5));
    const QByteArray tdrc = frame("TDRC", QByteArray("\0"
                                                     "2001-05-03",
                                                     11));
    EXPECT_EQ(readBytes(tag(tdrc)).year, "2001-05-03") << "a version 2.4 frame in a 2.3 tag";
    EXPECT_EQ(readBytes(tag(tyer + tdrc)).year, "1999");
    EXPECT_EQ(readBytes(tag(tdrc + tyer)).year, "1999");
    EXPECT_EQ(readBytes(tag(tyer, 4)).year, "1999") << "a version 2.3 frame in a 2.4 tag";
    EXPECT_EQ(readBytes(tag(tdrc + tyer, 4)).year, "2001-05-03");
}

TEST(ReadId3v2, Version22HasThreeLetterFramesWithThreeSizeBytes)
{
    const auto frame22 = [](const char* id, const QByteArray& content) {
        const auto size = quint32(content.size());
        return QByteArray(id, 3) + char(size >> 16) + char(size >> 8) + char(size) + content;
    };
    const QByteArray frames =
        frame22("TT2", QByteArray("\0Old song", 9)) + frame22("TP1", QByteArray("\0Band", 5)) +
        frame22("TAL", QByteArray("\0LP", 3)) +
        frame22("TRK", QByteArray("\0"
                                  "2/9",
                                  4)) +
        frame22("TYE", QByteArray("\0"
                                  "1971",
                                  5)) +
        frame22("TCO", QByteArray("\0Folk", 5)) + frame22("COM", QByteArray("\0eng\0Hi", 8)) +
        frame22("PIC", QByteArray(300, '\xff'));
    EXPECT_EQ(readBytes(tag(frames, 2)), (TagFields{.title = "Old song",
                                                    .artist = "Band",
                                                    .album = "LP",
                                                    .year = "1971",
                                                    .comment = "Hi",
                                                    .genre = "Folk",
                                                    .track = "2/9"}));
}

TEST(ReadId3v2, FrameFlagsOfVersion24AreHonoured)
{
    // Unsynchronised: a zero after every 0xff that the reader must drop.
    const QByteArray unsynchronised("\1\xff\0\xfeM\0\xff\0\0", 9); // "M\u00ff"
    // A data length indicator and a group byte come before the content.
    const QByteArray withLength = syncsafe(4) + QByteArray("\0Art", 4);
    const QByteArray grouped = QByteArray(1, '\x07') + QByteArray("\0LP", 3);
    const QByteArray frames = frame24("TIT2", unsynchronised, 0x02) +
                              frame24("TPE1", withLength, 0x01) + frame24("TALB", grouped, 0x40) +
                              frame24("TCON", QByteArray("\x78\x9c", 2), 0x09); // compressed
    const TagFields t = readBytes(tag(frames, 4));
    EXPECT_EQ(t.title, QString("M") + QChar(0xff));
    EXPECT_EQ(t.artist, "Art");
    EXPECT_EQ(t.album, "LP");
    EXPECT_EQ(t.genre, "") << "a compressed frame is not read as text";

    // The tag's own flag makes every frame unsynchronised.
    QByteArray whole = tag(frame24("TIT2", unsynchronised), 4);
    whole[5] = '\x80';
    EXPECT_EQ(readBytes(whole).title, QString("M") + QChar(0xff));
}

// Counts the reads that reach the data.
class CountingBuffer : public QBuffer {
public:
    int reads = 0;

protected:
    qint64 readData(char* data, qint64 maxSize) override
    {
        ++reads;
        return QBuffer::readData(data, maxSize);
    }
};

TEST(ReadId3v2, ATagOfCountlessTinyFramesIsReadInOneGo)
{
    QByteArray frames;
    const QByteArray empty = frame("XXXX", {});
    for (int i = 0; i < 100000; ++i)
        frames += empty;
    frames += frame("TIT2", QByteArray("\0Last", 5));
    CountingBuffer buffer;
    buffer.setData(tag(frames));
    buffer.open(QIODevice::ReadOnly | QIODevice::Unbuffered);
    EXPECT_EQ(ReadId3v2(buffer).title, "Last");
    EXPECT_LE(buffer.reads, 3) << "the header, then the tag";
}

TEST(ReadId3v1Title, TitleUpToTheFirstZero)
{
    QByteArray block = QByteArray("TAG") + QByteArray("A/B\0junk", 8) + QByteArray(117, '\0');
    QByteArray bytes = QByteArray(500, '\x55') + block;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::ReadOnly);
    EXPECT_EQ(ReadId3v1Title(buffer), "A/B");

    QByteArray full = QByteArray("TAG") + QByteArray(30, 'T') + QByteArray(95, '\0');
    QBuffer fullBuffer(&full);
    fullBuffer.open(QIODevice::ReadOnly);
    EXPECT_EQ(ReadId3v1Title(fullBuffer), QString(30, 'T'));

    QByteArray shortFile = block.left(127);
    QBuffer shortBuffer(&shortFile);
    shortBuffer.open(QIODevice::ReadOnly);
    EXPECT_EQ(ReadId3v1Title(shortBuffer), "");
    EXPECT_EQ(ReadId3v1Title(QStringLiteral("/nonexistent/file.mp3")), "");
}

TEST_F(Id3Files, AllEmptyFieldsGiveATagOfSize91)
{
    const QString mp3 = untaggedAudio(path("a.mp3"));
    const QByteArray before = readAll(mp3);
    WriteId3v2(mp3, {});
    const QByteArray after = readAll(mp3);
    ASSERT_EQ(after.size(), before.size() + 101);
    EXPECT_EQ(after.left(10), QByteArray("ID3\3\0\0\0\0\0\x5b", 10));
    const QByteArray empty("\0\0\0\1\0\0\0", 7);
    EXPECT_EQ(after.mid(10, 81), QByteArray("TIT2") + empty + "TPE1" + empty + "TALB" + empty +
                                     "TRCK" + empty + "TYER" + empty + "TCON" + empty + "COMM" +
                                     QByteArray("\0\0\0\5\0\0\0eng\0", 11));
    EXPECT_EQ(after.mid(91, 10), QByteArray(10, '\0'));
    EXPECT_EQ(after.mid(101), before);
}

TEST_F(Id3Files, Latin1TextsKeepTheirClassicSize)
{
    const QString mp3 = untaggedAudio(path("a.mp3"));
    const qint64 before = QFileInfo(mp3).size();
    const TagFields tags{.title = "Müller",
                         .artist = "b",
                         .album = "c",
                         .year = "d",
                         .comment = "f",
                         .genre = "g",
                         .track = "e"};
    WriteId3v2(mp3, tags);
    // 91 + the seven texts, one byte per character.
    EXPECT_EQ(QFileInfo(mp3).size(), before + 101 + 12);
    EXPECT_EQ(ReadId3v2(mp3), tags);
}

TEST_F(Id3Files, UnicodeSurvivesAndAnotherWriteReplacesTheTag)
{
    const QString mp3 = untaggedAudio(path("a.mp3"));
    const QByteArray before = readAll(mp3);
    WriteId3v2(mp3, sampleTags());
    EXPECT_EQ(ReadId3v2(mp3), sampleTags());
    WriteId3v2(mp3, {.title = "Second"});
    EXPECT_EQ(ReadId3v2(mp3).title, "Second");
    const QByteArray after = readAll(mp3);
    EXPECT_EQ(after.size(), before.size() + 101 + 6);
    EXPECT_EQ(after.mid(107), before);
}

TEST_F(Id3Files, MutagenAndFfprobeReadOurTags)
{
    const QString mp3 = untaggedAudio(path("a.mp3"));
    const QByteArray audio = decodedAudio(mp3);
    WriteId3v2(mp3, sampleTags());
    const QString script = R"(
import sys
from mutagen.id3 import ID3
t = ID3(sys.argv[1], translate=False)
assert t.version == (2, 3, 0), t.version
for k in ['TIT2', 'TPE1', 'TALB', 'TYER', 'TRCK', 'TCON']:
    print(k + str(int(t[k].encoding)) + '=' + str(t[k].text[0]))
c = t.getall('COMM')[0]
print('COMM' + str(int(c.encoding)) + '=' + c.lang + '|' + c.desc + '|' + c.text[0])
)";
    // Encoding 0 (ISO-8859-1) where the text fits it, else 1 (UTF-16 with a
    // byte order mark).
    const TagFields s = sampleTags();
    EXPECT_EQ(python(script, {mp3}),
              QString("TIT21=%1\nTPE10=%2\nTALB1=%3\nTYER0=%4\nTRCK0=%5\nTCON0=%6\n"
                      "COMM1=eng||%7\n")
                  .arg(s.title, s.artist, s.album, s.year, s.track, s.genre, s.comment));
    EXPECT_EQ(probeTag(mp3, "title"), s.title);
    EXPECT_EQ(probeTag(mp3, "artist"), s.artist);
    EXPECT_EQ(probeTag(mp3, "album"), s.album);
    EXPECT_EQ(probeTag(mp3, "comment"), s.comment);
    EXPECT_EQ(probeTag(mp3, "track"), s.track);
    EXPECT_EQ(decodedAudio(mp3), audio);
}

TEST_F(Id3Files, ReadsTagsWrittenByMutagenInEveryEncoding)
{
    const QString script = R"(
import sys
from mutagen.id3 import ID3, TIT2, TPE1, TALB, TRCK, TYER, TDRC, TCON, COMM
path, version, enc = sys.argv[1], int(sys.argv[2]), int(sys.argv[3])
t = ID3()
t.add(TIT2(encoding=enc, text='Ärzte – 東京' if enc else 'Ärzte'))
t.add(TPE1(encoding=enc, text='Artist'))
t.add(TALB(encoding=enc, text='Album'))
t.add(TRCK(encoding=enc, text='4'))
t.add((TYER if version == 3 else TDRC)(encoding=enc, text='1987'))
t.add(TCON(encoding=enc, text='Pop'))
t.add(COMM(encoding=enc, lang='eng', desc='', text='Nice'))
t.save(path, v2_version=version)
)";
    const struct {
        int version;
        int encoding;
    } cases[] = {{3, 0}, {3, 1}, {4, 0}, {4, 1}, {4, 2}, {4, 3}};
    for (const auto& c : cases) {
        const QString mp3 =
            untaggedAudio(path(QString("m%1%2.mp3").arg(c.version).arg(c.encoding)));
        python(script, {mp3, QString::number(c.version), QString::number(c.encoding)});
        const QString title = c.encoding ? unicodeTitle : QString::fromUtf8("Ärzte");
        EXPECT_EQ(ReadId3v2(mp3), (TagFields{.title = title,
                                             .artist = "Artist",
                                             .album = "Album",
                                             .year = "1987",
                                             .comment = "Nice",
                                             .genre = "Pop",
                                             .track = "4"}))
            << "version 2." << c.version << " encoding " << c.encoding;
    }
}

TEST_F(Id3Files, ReadsTagsWrittenByFfmpeg)
{
    for (const char* version : {"3", "4"}) {
        const QString mp3 = untaggedAudio(path(QString("f%1.mp3").arg(version)));
        const QString tagged = path(QString("t%1.mp3").arg(version));
        ffmpeg({"-i",
                mp3,
                "-c",
                "copy",
                "-id3v2_version",
                version,
                "-metadata",
                "title=" + unicodeTitle,
                "-metadata",
                "artist=Band",
                "-metadata",
                "album=LP",
                "-metadata",
                "track=2",
                "-metadata",
                "genre=Folk",
                "-metadata",
                "date=2010",
                "-metadata",
                "comment=Hi",
                tagged});
        const TagFields t = ReadId3v2(tagged);
        EXPECT_EQ(t.title, unicodeTitle) << version;
        EXPECT_EQ(t.artist, "Band");
        EXPECT_EQ(t.album, "LP");
        EXPECT_EQ(t.track, "2");
        EXPECT_EQ(t.genre, "Folk");
        EXPECT_EQ(t.year, "2010");
        // ffmpeg writes the comment as a user text frame described "comment".
        EXPECT_EQ(t.comment, "Hi");
        EXPECT_TRUE(inspected(tagged).contains("TXXX=comment=Hi"));

        // Setting the comment replaces that frame too; clearing it leaves none.
        UpdateId3v2(tagged, {.comment = "New"}, TagField::Comment);
        EXPECT_EQ(ReadId3v2(tagged).comment, "New");
        EXPECT_FALSE(inspected(tagged).contains("TXXX=comment"));
        UpdateId3v2(tagged, {}, TagField::Comment);
        EXPECT_EQ(ReadId3v2(tagged).comment, "");
        EXPECT_EQ(ReadId3v2(tagged).title, unicodeTitle);
    }
}

TEST_F(Id3Files, ReadOnlyFilesAreReadAndStayAsTheyWere)
{
    const QString mp3 = untaggedAudio(path("a.mp3"));
    WriteId3v2(mp3, sampleTags());
    QFile f(mp3);
    ASSERT_TRUE(f.open(QIODevice::Append));
    f.write(QByteArray("TAG") + QByteArray("Old title").leftJustified(125, '\0'));
    f.close();
    setMode(mp3, 0444);
    const QByteArray bytes = readAll(mp3);
    EXPECT_EQ(ReadId3v2(mp3), sampleTags());
    EXPECT_EQ(ReadId3v1Title(mp3), "Old title");
    EXPECT_EQ(modeOf(mp3), 0444u);
    EXPECT_EQ(readAll(mp3), bytes);
}

TEST_F(Id3Files, WritingKeepsTheModeBitsOfAReadOnlyFile)
{
    const QString mp3 = untaggedAudio(path("a.mp3"));
    setMode(mp3, 0440);
    WriteId3v2(mp3, sampleTags());
    EXPECT_EQ(modeOf(mp3), 0440u);
    EXPECT_EQ(ReadId3v2(mp3), sampleTags());
    EXPECT_EQ(filesIn(dir.path()), QStringList{"a.mp3"});
}

TEST_F(Id3Files, WritingThroughASymbolicLinkReplacesTheFileItPointsTo)
{
    ASSERT_TRUE(QDir(dir.path()).mkdir("real"));
    const QString mp3 = untaggedAudio(path("real/a.mp3"));
    const QString link = path("link.mp3");
    ASSERT_TRUE(QFile::link(mp3, link));
    WriteId3v2(link, sampleTags());
    EXPECT_TRUE(QFileInfo(link).isSymLink());
    EXPECT_EQ(ReadId3v2(mp3), sampleTags());
    EXPECT_EQ(filesIn(path("real")), QStringList{"a.mp3"});
}

TEST_F(Id3Files, HardLinksStayLinked)
{
    const QString mp3 = untaggedAudio(path("a.mp3"));
    const QString other = path("b.mp3");
    ASSERT_EQ(::link(QFile::encodeName(mp3).constData(), QFile::encodeName(other).constData()), 0);
    WriteId3v2(mp3, sampleTags());
    EXPECT_EQ(ReadId3v2(other), sampleTags());
    EXPECT_EQ(filesIn(dir.path()), (QStringList{"a.mp3", "b.mp3"}));
}

TEST_F(Id3Files, AFileInAReadOnlyFolderIsWrittenInPlace)
{
    // As a user who may write the file but not its folder.
    ASSERT_TRUE(QDir(dir.path()).mkdir("ro"));
    const QString mp3 = untaggedAudio(path("ro/a.mp3"));
    const QByteArray audio = decodedAudio(mp3);
    if (::geteuid() == 0) { // the file belongs to whoever runs the check
        ASSERT_EQ(::chown(QFile::encodeName(mp3).constData(), 65534, 65534), 0);
    }
    setMode(dir.path(), 0755);
    setMode(path("ro"), 0555);
    asUnprivileged([&] {
        WriteId3v2(mp3, sampleTags());
        return ReadId3v2(mp3) == sampleTags();
    });
    setMode(path("ro"), 0755);
    EXPECT_EQ(ReadId3v2(mp3), sampleTags());
    EXPECT_EQ(decodedAudio(mp3), audio);
    EXPECT_EQ(filesIn(path("ro")), QStringList{"a.mp3"});
}

TEST_F(Id3Files, AFailedWriteLeavesTheFileAndNoTemporaryFile)
{
    const QString mp3 = untaggedAudio(path("a.mp3"));
    const QByteArray before = readAll(mp3);
    {
        FileSizeLimit limit(4096);
        EXPECT_THROW(WriteId3v2(mp3, sampleTags()), TagError);
    }
    EXPECT_EQ(readAll(mp3), before);
    EXPECT_EQ(filesIn(dir.path()), QStringList{"a.mp3"});

    // A name at the file system's limit: the file beside it gets a
    // shortened name, and the rewrite succeeds.
    const QString longName = path(QString(251, 'n') + ".mp3");
    ASSERT_TRUE(QFile::copy(mp3, longName));
    WriteId3v2(longName, sampleTags());
    EXPECT_EQ(ReadId3v2(longName), sampleTags());
    EXPECT_EQ(filesIn(dir.path()).size(), 2);

    EXPECT_THROW(WriteId3v2(path("missing.mp3"), sampleTags()), TagError);
}

TEST(Id3BrokenFiles, NeverCrashOrHang)
{
    const QDir data(dataFile({}));
    const QStringList names = data.entryList({"id3-*"}, QDir::Files);
    ASSERT_FALSE(names.isEmpty());
    for (const QString& name : names) {
        const TagFields t = ReadId3v2(data.filePath(name));
        EXPECT_EQ(ReadId3v1Title(data.filePath(name)), "") << name.toStdString();
        const TagFields expected =
            name == "id3-odd-utf16.mp3" ? TagFields{.title = "A", .genre = "x"} : TagFields{};
        EXPECT_EQ(t, expected) << name.toStdString();
    }
}

namespace {

// Python that unsynchronises the version 2 tag of the file named by the last
// argument as a writer may: a zero after every 0xff that is followed by a
// zero, by a byte of 0xe0 or more, or by nothing; the header flag set.
// Prints how many zeros went in.
const char* const unsynchroniseScript = R"(
def unsynchronise(path):
    data = open(path, 'rb').read()
    size = (data[6] << 21) | (data[7] << 14) | (data[8] << 7) | data[9]
    body, audio = data[10:10 + size], data[10 + size:]
    out = bytearray()
    for i, b in enumerate(body):
        out.append(b)
        if b == 0xff and (i + 1 == len(body) or body[i + 1] == 0 or body[i + 1] >= 0xe0):
            out.append(0)
    n = len(out)
    header = data[:5] + bytes([data[5] | 0x80]) + bytes([(n >> s) & 0x7f for s in (21, 14, 7, 0)])
    open(path, 'wb').write(header + bytes(out) + audio)
    print(n - len(body))
)";

} // namespace

TEST_F(Id3Files, AnUnsynchronisedVersion23TagIsReadAndUpdated)
{
    const QString mp3 = untaggedAudio(path("u.mp3"));
    const QByteArray audio = decodedAudio(mp3);
    // UTF-16 texts begin with 0xff 0xfe, Latin-1 "ÿ" is 0xff: plenty to
    // unsynchronise.
    const QString inserted = python(QString(unsynchroniseScript) + R"(
import sys
from mutagen.id3 import ID3, TIT2, TPE1, TALB, TRCK, TYER, TCON, COMM
path = sys.argv[1]
t = ID3()
t.add(TIT2(encoding=1, text='Ärzte – 東京'))
t.add(TPE1(encoding=0, text='ÿÿ Band ÿ'))
t.add(TALB(encoding=1, text='LP'))
t.add(TRCK(encoding=0, text='3/12'))
t.add(TYER(encoding=0, text='1987'))
t.add(TCON(encoding=0, text='Pop'))
t.add(COMM(encoding=1, lang='eng', desc='', text='Nice ÿ'))
t.save(path, v2_version=3)
unsynchronise(path)
)",
                                    {mp3});
    ASSERT_GT(inserted.trimmed().toInt(), 4);
    ASSERT_EQ(readAll(mp3).at(5), '\x80');
    const QString judged = inspected(mp3);
    for (const QString& line :
         {QString("TIT2=") + unicodeTitle, QString::fromUtf8("TPE1=ÿÿ Band ÿ"),
          QString("TRCK=3/12"), QString::fromUtf8("COMM==eng=Nice ÿ")})
        EXPECT_TRUE(judged.contains(line)) << judged.toStdString();

    const TagFields expected{.title = unicodeTitle,
                             .artist = QString::fromUtf8("ÿÿ Band ÿ"),
                             .album = "LP",
                             .year = "1987",
                             .comment = QString::fromUtf8("Nice ÿ"),
                             .genre = "Pop",
                             .track = "3/12"};
    EXPECT_EQ(ReadId3v2(mp3), expected);

    // An update keeps every other frame, undone, under a header without
    // the flag.
    UpdateId3v2(mp3, {.title = "New"}, TagField::Title);
    EXPECT_EQ(readAll(mp3).at(5), '\0');
    TagFields updated = expected;
    updated.title = "New";
    EXPECT_EQ(ReadId3v2(mp3), updated);
    const QString after = inspected(mp3);
    EXPECT_TRUE(after.contains("TIT2=New")) << after.toStdString();
    EXPECT_TRUE(after.contains(QString::fromUtf8("TPE1=ÿÿ Band ÿ"))) << after.toStdString();
    EXPECT_EQ(decodedAudio(mp3), audio);
}

TEST_F(Id3Files, AnUnsynchronisedVersion24TagIsReadFrameByFrame)
{
    // Version 2.4 unsynchronises frames, not the tag: each frame is redone
    // by hand with its own flag (mutagen writes no unsynchronised tags), and
    // the tag's flag says so too.
    const QString mp3 = untaggedAudio(path("u4.mp3"));
    python(R"(
import sys
from mutagen.id3 import ID3, TIT2, TPE1
path = sys.argv[1]
t = ID3()
t.add(TIT2(encoding=1, text='Ärzte – 東京'))
t.add(TPE1(encoding=0, text='ÿÿ'))
t.save(path, v2_version=4)
data = open(path, 'rb').read()
size = (data[6] << 21) | (data[7] << 14) | (data[8] << 7) | data[9]
def syncsafe(n):
    return bytes([(n >> s) & 0x7f for s in (21, 14, 7, 0)])
pos, frames = 10, b''
while pos + 10 <= 10 + size and data[pos] != 0:
    fsize = (data[pos + 4] << 21) | (data[pos + 5] << 14) | (data[pos + 6] << 7) | data[pos + 7]
    content = data[pos + 10:pos + 10 + fsize]
    out = bytearray()
    for i, b in enumerate(content):
        out.append(b)
        if b == 0xff and (i + 1 == len(content) or content[i + 1] == 0 or content[i + 1] >= 0xe0):
            out.append(0)
    flags = bytes([data[pos + 8], data[pos + 9] | 0x02])
    frames += data[pos:pos + 4] + syncsafe(len(out)) + flags + out
    pos += 10 + fsize
open(path, 'wb').write(b'ID3\x04\x00\x80' + syncsafe(len(frames)) + frames + data[10 + size:])
)",
           {mp3});
    const QString judged = inspected(mp3);
    EXPECT_TRUE(judged.contains(QString("TIT2=") + unicodeTitle)) << judged.toStdString();
    EXPECT_TRUE(judged.contains(QString::fromUtf8("TPE1=ÿÿ"))) << judged.toStdString();
    const TagFields t = ReadId3v2(mp3);
    EXPECT_EQ(t.title, unicodeTitle);
    EXPECT_EQ(t.artist, QString::fromUtf8("ÿÿ"));
    UpdateId3v2(mp3, {.album = "LP"}, TagField::Album);
    EXPECT_EQ(ReadId3v2(mp3),
              (TagFields{.title = unicodeTitle, .artist = QString::fromUtf8("ÿÿ"), .album = "LP"}));
    const QString after = inspected(mp3);
    EXPECT_TRUE(after.contains(QString("TIT2=") + unicodeTitle)) << after.toStdString();
    EXPECT_TRUE(after.contains("TALB=LP")) << after.toStdString();
}

TEST_F(Id3Files, ChaptersWrittenByMutagenAreReadInTheOrderOfTheirTable)
{
    const QString script = QString(unsynchroniseScript) + R"(
import sys
from mutagen.id3 import ID3, CHAP, CTOC, CTOCFlags, TIT2, TPE1
path, version, toc, unsync = sys.argv[1], int(sys.argv[2]), sys.argv[3], sys.argv[4] == '1'
t = ID3()
t.add(TPE1(encoding=3, text='Narrator'))
t.add(CHAP(element_id='c2', start_time=30000, end_time=45250,
           sub_frames=[TIT2(encoding=3, text='Ende')]))
t.add(CHAP(element_id='c0', start_time=0, end_time=12500,
           sub_frames=[TIT2(encoding=3, text='Anfang – 東京')]))
t.add(CHAP(element_id='c1', start_time=12500, end_time=30000, sub_frames=[]))
if toc:
    t.add(CTOC(element_id='toc', flags=CTOCFlags.TOP_LEVEL | CTOCFlags.ORDERED,
               child_element_ids=toc.split(','), sub_frames=[TIT2(encoding=3, text='Inhalt')]))
t.save(path, v2_version=version)
if unsync:
    unsynchronise(path)
)";
    const TagChapter c0{0, 12500, QString::fromUtf8("Anfang – 東京")};
    const TagChapter c1{12500, 30000, {}};
    const TagChapter c2{30000, 45250, "Ende"};
    const struct {
        int version;
        QString toc;
        bool unsynchronised;
        TagChapters expected;
    } cases[] = {
        {3, "", false, {c0, c1, c2}},         {4, "", false, {c0, c1, c2}},
        {4, "c0,c2,c1", false, {c0, c2, c1}}, {3, "c2,c0", false, {c2, c0, c1}},
        {3, "c0,c1,c2", true, {c0, c1, c2}},
    };
    int n = 0;
    for (const auto& c : cases) {
        const QString mp3 = untaggedAudio(path(QString("c%1.mp3").arg(n++)));
        python(script, {mp3, QString::number(c.version), c.toc, c.unsynchronised ? "1" : "0"});
        const TagChapters chapters = ReadId3v2Chapters(mp3);
        EXPECT_EQ(chapters, c.expected)
            << "version 2." << c.version << " table " << c.toc.toStdString();
        // The titles inside chapters are not the file's title.
        const TagFields fields = ReadId3v2(mp3);
        EXPECT_EQ(fields.title, "");
        EXPECT_EQ(fields.artist, "Narrator");

        // mutagen and ffprobe find the same chapters (in their own order,
        // naming an untitled one by its element); ffprobe reads no chapters
        // from an unsynchronised tag.
        QStringList ours;
        for (const TagChapter& chapter : chapters)
            ours << QString("%1-%2 %3")
                        .arg(chapter.startMs)
                        .arg(chapter.endMs.value_or(-1))
                        .arg(chapter.title.isEmpty() ? "c1" : chapter.title);
        ours.sort();
        QStringList byMutagen = python(R"(
import sys
from mutagen.id3 import ID3
for c in ID3(sys.argv[1]).getall('CHAP'):
    title = c.sub_frames['TIT2'].text[0] if 'TIT2' in c.sub_frames else c.element_id
    print('%d-%d %s' % (c.start_time, c.end_time, title))
)",
                                       {mp3})
                                    .split('\n', Qt::SkipEmptyParts);
        byMutagen.sort();
        EXPECT_EQ(ours, byMutagen);
        if (c.unsynchronised)
            continue;
        const ProcessResult probe =
            run("ffprobe", {"-v", "error", "-show_chapters", "-of", "json", mp3});
        QStringList byFfprobe;
        for (const auto value : QJsonDocument::fromJson(probe.out).object()["chapters"].toArray()) {
            const QJsonObject o = value.toObject();
            byFfprobe << QString("%1-%2 %3")
                             .arg(o["start"].toInteger())
                             .arg(o["end"].toInteger())
                             .arg(o["tags"].toObject()["title"].toString());
        }
        byFfprobe.sort();
        EXPECT_EQ(ours, byFfprobe);
    }
    EXPECT_EQ(ReadId3v2Chapters(untaggedAudio(path("none.mp3"))), TagChapters{});
}

TEST(ReadId3v2Chapters, DamagedFramesAreLeftOut)
{
    const auto chap = [](const QByteArray& element, quint32 start, quint32 end,
                         const QByteArray& subFrames = {}) {
        return frame("CHAP", element + '\0' + be32(start) + be32(end) + be32(0xffffffff) +
                                 be32(0xffffffff) + subFrames);
    };
    const QByteArray frames =
        chap("a", 5000, 9000, frame("TIT2", QByteArray("\0One", 4))) +
        frame("CHAP", QByteArray("b\0\0\0", 4)) + // too short for its times
        frame("CHAP", QByteArray("no terminator")) +
        chap("c", 9000, 9000) +                                 // an end that is no end
        frame("CTOC", QByteArray("t\0\3\5c\0missing\0a", 17)) + // claims five entries
        chap("d", 1000, 2000, frame("TIT2", QByteArray("\0Cut", 4)).left(12));
    QByteArray bytes = tag(frames);
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::ReadOnly);
    EXPECT_EQ(ReadId3v2Chapters(buffer),
              (TagChapters{{9000, std::nullopt, {}}, {5000, 9000, "One"}, {1000, 2000, {}}}));
}
