#include "tags/Id3Tags.h"
#include "tags/TagError.h"

#include "TagTestSupport.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <QBuffer>
#include <QDir>
#include <QFile>
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

QByteArray tag(const QByteArray& frames, char version = 3)
{
    return QByteArray("ID3") + version + QByteArray(2, '\0') + syncsafe(quint32(frames.size())) +
           frames;
}

Mp3Tags readBytes(const QByteArray& bytes)
{
    QByteArray copy = bytes;
    QBuffer buffer(&copy);
    buffer.open(QIODevice::ReadOnly);
    return ReadId3v2(buffer);
}

const QString unicodeTitle = QString::fromUtf8("Ärzte – 東京");

class Id3Files : public ::testing::Test {
protected:
    QString path(const QString& name) const { return dir.filePath(name); }
    QTemporaryDir dir;
};

Mp3Tags sampleTags()
{
    return {unicodeTitle, "Müller & Söhne", "Album ♫", "1999", "7/12", "a comment ☺", "Rock"};
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
    const Mp3Tags t = readBytes(tag(frames) + QByteArray(100, '\xff'));
    EXPECT_EQ(t, (Mp3Tags{"Title", "Artist", "Album", "2001", "3", "abc", "Jazz"}));
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
    const Mp3Tags t = readBytes(tag(frames));
    EXPECT_EQ(t.title, QString(249, 'x'));
    EXPECT_EQ(t.artist, "After");
}

TEST(ReadId3v2, LaterFrameOfTheSameNameWins)
{
    const Mp3Tags t = readBytes(
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
    const Mp3Tags t = readBytes(tag(frames, 4));
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
    EXPECT_EQ(readBytes(bytes), Mp3Tags{});
}

TEST(ReadId3v2, TagEndBeyondTheFileGivesEmptyFields)
{
    QByteArray bytes = tag(frame("TIT2", QByteArray("\0Title", 6)));
    bytes.replace(6, 4, QByteArray("\x7f\x7f\x7f\x7f", 4));
    EXPECT_EQ(readBytes(bytes), Mp3Tags{});
    EXPECT_EQ(readBytes(QByteArray("ID3\3\0")), Mp3Tags{});
    EXPECT_EQ(readBytes({}), Mp3Tags{});
}

TEST(ReadId3v2, AFrameRunningPastTheFileDiscardsEverything)
{
    QByteArray frames = frame("TIT2", QByteArray("\0Title", 6)) + QByteArray("TPE1") + be32(100) +
                        QByteArray(2, '\0') + QByteArray("\0abc", 4);
    EXPECT_EQ(readBytes(tag(frames)), Mp3Tags{});
}

TEST(ReadId3v2, ZeroSizeFramesAndPaddingEndTheLoop)
{
    const QByteArray frames =
        frame("TIT2", {}) + frame("TPE1", QByteArray("\0Me", 3)) + QByteArray(40, '\0');
    const Mp3Tags t = readBytes(tag(frames));
    EXPECT_EQ(t.title, "");
    EXPECT_EQ(t.artist, "Me");
}

TEST(ReadId3v2, NothingAfterThePaddingIsTakenForAFrame)
{
    // Bytes behind the padding are not frames, even when they look like one
    // that runs past the end of the file.
    const QByteArray frames = frame("TPE1", QByteArray("\0Me", 3)) + QByteArray(10, '\0') +
                              QByteArray("TIT2") + be32(5000) + QByteArray(2, '\0');
    const Mp3Tags t = readBytes(tag(frames));
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
        const Mp3Tags t = readBytes(bytes);
        EXPECT_EQ(t.title, "Title") << int(version[0]) << " " << extended.toHex().constData();
        EXPECT_EQ(t.artist, "Me");
    }
    // One that claims more than the tag holds leaves the tag unread.
    QByteArray bytes = tag(be32(500) + QByteArray(6, '\0') + frames);
    bytes[5] = '\x40';
    EXPECT_EQ(readBytes(bytes), Mp3Tags{});
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
    const Mp3Tags tags{"Müller", "b", "c", "d", "e", "f", "g"};
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
    WriteId3v2(mp3, {"Second", "", "", "", "", "", ""});
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
    const Mp3Tags s = sampleTags();
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
        const QString mp3 = untaggedAudio(path(QString("m%1%2.mp3").arg(c.version).arg(c.encoding)));
        python(script, {mp3, QString::number(c.version), QString::number(c.encoding)});
        const QString title = c.encoding ? unicodeTitle : QString::fromUtf8("Ärzte");
        EXPECT_EQ(ReadId3v2(mp3), (Mp3Tags{title, "Artist", "Album", "1987", "4", "Nice", "Pop"}))
            << "version 2." << c.version << " encoding " << c.encoding;
    }
}

TEST_F(Id3Files, ReadsTagsWrittenByFfmpeg)
{
    for (const char* version : {"3", "4"}) {
        const QString mp3 = untaggedAudio(path(QString("f%1.mp3").arg(version)));
        const QString tagged = path(QString("t%1.mp3").arg(version));
        ffmpeg({"-i", mp3, "-c", "copy", "-id3v2_version", version, "-metadata",
                "title=" + unicodeTitle, "-metadata", "artist=Band", "-metadata", "album=LP",
                "-metadata", "track=2", "-metadata", "genre=Folk", "-metadata", "date=2010",
                tagged});
        const Mp3Tags t = ReadId3v2(tagged);
        EXPECT_EQ(t.title, unicodeTitle) << version;
        EXPECT_EQ(t.artist, "Band");
        EXPECT_EQ(t.album, "LP");
        EXPECT_EQ(t.track, "2");
        EXPECT_EQ(t.genre, "Folk");
        EXPECT_EQ(t.year, "2010");
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
        const Mp3Tags t = ReadId3v2(data.filePath(name));
        EXPECT_EQ(ReadId3v1Title(data.filePath(name)), "") << name.toStdString();
        const Mp3Tags expected =
            name == "id3-odd-utf16.mp3" ? Mp3Tags{"A", "", "", "", "", "", "x"} : Mp3Tags{};
        EXPECT_EQ(t, expected) << name.toStdString();
    }
}
