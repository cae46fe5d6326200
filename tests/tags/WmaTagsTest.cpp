// SPDX-License-Identifier: GPL-3.0-or-later
#include "tags/WmaTags.h"
#include "tags/TagError.h"

#include "TagTestSupport.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QtEndian>

using namespace testsupport;
using namespace tagtest;

namespace {

const QString unicodeTitle = QString::fromUtf8("Ärzte – 東京");
const QByteArray contentDescription = QByteArray::fromHex("3326b2758e66cf11a6d900aa0062ce6c");
const QByteArray extendedDescription = QByteArray::fromHex("40a4d0d207e3d21197f000a0c95ea850");

TagFields sampleTags()
{
    TagFields t;
    t.year = "1999";
    t.artist = "Müller";
    t.title = unicodeTitle;
    t.album = "Album ♫";
    t.comment = "a comment";
    t.genre = "Rock";
    t.track = "7";
    return t;
}

struct AsfLayout {
    quint64 headerSize = 0;
    quint32 count = 0;
    QList<QByteArray> objects; // whole objects, identifier first
    QByteArray rest;           // everything after the header object
};

AsfLayout layoutOf(const QString& path)
{
    const QByteArray bytes = readAll(path);
    AsfLayout layout;
    layout.headerSize = qFromLittleEndian<quint64>(bytes.constData() + 16);
    layout.count = qFromLittleEndian<quint32>(bytes.constData() + 24);
    for (qsizetype pos = 30; pos < qsizetype(layout.headerSize);) {
        const auto size = qsizetype(qFromLittleEndian<quint64>(bytes.constData() + pos + 16));
        layout.objects << bytes.mid(pos, size);
        pos += size;
    }
    layout.rest = bytes.mid(qsizetype(layout.headerSize));
    return layout;
}

const QByteArray fileProperties = QByteArray::fromHex("a1dcab8c47a9cf118ee400c00c205365");
// The file size in the File Properties object: 24 bytes of object header,
// then the file identifier.
constexpr qsizetype fileSizeAt = 24 + 16;

// The objects a tag write leaves alone, with the file size (which a write
// that changes the header's length must change) blanked.
QList<QByteArray> otherObjects(const AsfLayout& layout)
{
    QList<QByteArray> list;
    for (QByteArray o : layout.objects) {
        if (o.startsWith(fileProperties))
            o.replace(fileSizeAt, 8, QByteArray(8, '\0'));
        if (!o.startsWith(contentDescription) && !o.startsWith(extendedDescription))
            list << o;
    }
    return list;
}

quint64 declaredFileSize(const AsfLayout& layout)
{
    for (const QByteArray& o : layout.objects) {
        if (o.startsWith(fileProperties))
            return qFromLittleEndian<quint64>(o.constData() + fileSizeAt);
    }
    return 0;
}

QByteArray utf16(const QString& text)
{
    QByteArray bytes;
    for (const QChar c : text) {
        bytes += char(c.unicode() & 0xff);
        bytes += char(c.unicode() >> 8);
    }
    return bytes;
}

template <typename T> QByteArray le(T value)
{
    QByteArray bytes(sizeof(T), '\0');
    qToLittleEndian(value, bytes.data());
    return bytes;
}

class WmaFiles : public ::testing::Test {
protected:
    QString path(const QString& name) const { return dir.filePath(name); }
    QTemporaryDir dir;
};

} // namespace

TEST_F(WmaFiles, ReadsAttributesWrittenByFfmpeg)
{
    const QString wma = untaggedAudio(
        path("a.wma"), {"-metadata", "title=" + unicodeTitle, "-metadata", "artist=Band",
                        "-metadata", "album=LP", "-metadata", "WM/Year=2010", "-metadata",
                        "track=2", "-metadata", "genre=Folk", "-metadata", "comment=Hi"});
    TagFields expected;
    expected.title = unicodeTitle;
    expected.artist = "Band";
    expected.album = "LP";
    expected.year = "2010";
    expected.track = "2";
    expected.genre = "Folk";
    expected.comment = "Hi";
    EXPECT_EQ(ReadWmaTags(wma), expected);
}

TEST_F(WmaFiles, ReadsAttributesWrittenByMutagen)
{
    const QString wma = untaggedAudio(path("a.wma"));
    python(R"(
import sys
from mutagen.asf import ASF, ASFDWordAttribute
f = ASF(sys.argv[1])
f['Title'] = 'Ärzte – 東京'
f['Author'] = 'Band'
f['WM/AlbumTitle'] = 'LP'
f['WM/Year'] = '2010'
f['WM/TrackNumber'] = [ASFDWordAttribute(12)]
f['Description'] = 'Hi'
f['WM/Genre'] = 'Folk'
f.save()
)",
           {wma});
    TagFields expected;
    expected.title = unicodeTitle;
    expected.artist = "Band";
    expected.album = "LP";
    expected.year = "2010";
    expected.track = "12";
    expected.genre = "Folk";
    expected.comment = "Hi";
    EXPECT_EQ(ReadWmaTags(wma), expected);
}

TEST_F(WmaFiles, FfprobeAndMutagenReadOurAttributes)
{
    const QString wma = untaggedAudio(path("a.wma"), {"-metadata", "title=Old", "-metadata",
                                                      "artist=Old", "-metadata", "comment=Old"});
    const QByteArray audio = decodedAudio(wma);
    ASSERT_NO_THROW(WriteWmaTags(wma, sampleTags()));
    EXPECT_EQ(ReadWmaTags(wma), sampleTags());

    const TagFields s = sampleTags();
    EXPECT_EQ(probeTag(wma, "title"), s.title);
    EXPECT_EQ(probeTag(wma, "artist"), s.artist);
    EXPECT_EQ(probeTag(wma, "album"), s.album);
    EXPECT_EQ(probeTag(wma, "WM/Year"), s.year);
    EXPECT_EQ(probeTag(wma, "track"), "7");
    EXPECT_EQ(probeTag(wma, "genre"), s.genre);
    EXPECT_EQ(probeTag(wma, "comment"), s.comment);

    const QString script = R"(
import sys
from mutagen.asf import ASF
f = ASF(sys.argv[1])
for k in ['Title', 'Author', 'WM/AlbumTitle', 'WM/Year', 'WM/TrackNumber', 'Description', 'WM/Genre']:
    v = f[k][0]
    print(k + '=' + str(v.value) + ':' + type(v).__name__)
)";
    EXPECT_EQ(python(script, {wma}),
              QString("Title=%1:ASFUnicodeAttribute\nAuthor=%2:ASFUnicodeAttribute\n"
                      "WM/AlbumTitle=%3:ASFUnicodeAttribute\nWM/Year=%4:ASFUnicodeAttribute\n"
                      "WM/TrackNumber=7:ASFDWordAttribute\nDescription=%5:ASFUnicodeAttribute\n"
                      "WM/Genre=%6:ASFUnicodeAttribute\n")
                  .arg(s.title, s.artist, s.album, s.year, s.comment, s.genre));
    EXPECT_EQ(decodedAudio(wma), audio);
}

TEST_F(WmaFiles, OnlyTheDescriptionObjectsChange)
{
    const QString wma = untaggedAudio(path("a.wma"), {"-metadata", "title=Old"});
    const AsfLayout before = layoutOf(wma);
    ASSERT_NO_THROW(WriteWmaTags(wma, sampleTags()));
    const AsfLayout after = layoutOf(wma);
    EXPECT_EQ(otherObjects(after), otherObjects(before));
    EXPECT_EQ(after.rest, before.rest);
    EXPECT_EQ(after.count, quint32(after.objects.size()));
    quint64 size = 30;
    for (const QByteArray& o : after.objects)
        size += o.size();
    EXPECT_EQ(after.headerSize, size);
    EXPECT_EQ(after.count, before.count);
}

TEST_F(WmaFiles, FilePropertiesGiveTheSizeOfTheRewrittenFile)
{
    const QString wma = untaggedAudio(path("a.wma"), {"-metadata", "title=Old"});
    ASSERT_EQ(declaredFileSize(layoutOf(wma)), quint64(QFileInfo(wma).size()));
    TagFields longer = sampleTags();
    longer.comment = QString(200, 'c');
    for (const TagFields& tags : {longer, TagFields{}}) {
        ASSERT_NO_THROW(WriteWmaTags(wma, tags));
        EXPECT_EQ(declaredFileSize(layoutOf(wma)), quint64(QFileInfo(wma).size()));
    }
}

TEST_F(WmaFiles, AddsTheDescriptionObjectsWhenMissing)
{
    const QString wma = untaggedAudio(path("a.wma"));
    const AsfLayout before = layoutOf(wma);
    const qsizetype missing =
        std::count_if(before.objects.begin(), before.objects.end(), [](const QByteArray& o) {
            return !o.startsWith(contentDescription) && !o.startsWith(extendedDescription);
        });
    EXPECT_EQ(ReadWmaTags(wma).title, "");
    ASSERT_NO_THROW(WriteWmaTags(wma, sampleTags()));
    const AsfLayout after = layoutOf(wma);
    EXPECT_EQ(after.objects.size(), missing + 2);
    EXPECT_EQ(after.count, quint32(missing + 2));
    EXPECT_EQ(otherObjects(after), otherObjects(before));
    EXPECT_EQ(after.rest, before.rest);
    EXPECT_EQ(ReadWmaTags(wma), sampleTags());
    EXPECT_EQ(probeTag(wma, "title"), unicodeTitle);
}

TEST_F(WmaFiles, TextsLongerThanTheValueBufferAreNotDelivered)
{
    const QString wma = untaggedAudio(path("a.wma"));
    TagFields tags;
    tags.title = QString(127, 't');
    tags.artist = QString(128, 'a');
    tags.genre = QString(40, 'g');
    tags.comment = QString(300, 'c');
    ASSERT_NO_THROW(WriteWmaTags(wma, tags));
    const TagFields read = ReadWmaTags(wma);
    EXPECT_EQ(read.title, QString(127, 't'));
    EXPECT_EQ(read.artist, "");
    // The writer holds the genre at 32 characters; the comment goes in whole.
    EXPECT_EQ(read.genre, QString(32, 'g'));
    EXPECT_EQ(read.comment, "");
    EXPECT_EQ(probeTag(wma, "comment"), QString(300, 'c'));
}

TEST_F(WmaFiles, TextsAreCutBetweenCharactersNotInsideThem)
{
    // U+1F600 takes two UTF-16 units; a limit that falls between them cuts
    // before the character.
    const QString smiley = QString::fromUtf8("😀");
    const QString wma = untaggedAudio(path("a.wma"));
    TagFields tags;
    tags.title = QString(127, 't') + smiley;
    tags.genre = QString(31, 'g') + smiley;
    tags.year = QString(127, 'y') + smiley;
    tags.comment = QString(254, 'c') + smiley;
    ASSERT_NO_THROW(WriteWmaTags(wma, tags));
    const TagFields read = ReadWmaTags(wma);
    EXPECT_EQ(read.title, QString(127, 't'));
    EXPECT_EQ(read.genre, QString(31, 'g'));
    EXPECT_EQ(read.year, QString(127, 'y'));
    // Another reader decodes every text strictly.
    EXPECT_EQ(python(R"(
import sys
from mutagen.asf import ASF
f = ASF(sys.argv[1])
print(len(str(f['Title'][0])), len(str(f['WM/Genre'][0])), len(str(f['WM/Year'][0])),
      len(str(f['Description'][0])))
)",
                     {wma}),
              "127 31 127 255\n")
        << "the comment is written whole";

    // Texts longer than a field are cut on reading too.
    const QString other = untaggedAudio(path("b.wma"));
    python(R"(
import sys
from mutagen.asf import ASF
f = ASF(sys.argv[1])
f['WM/Genre'] = 'g' * 31 + '\U0001F600' + 'g'
f.save()
)",
           {other});
    EXPECT_EQ(ReadWmaTags(other).genre, QString(31, 'g'));
}

TEST_F(WmaFiles, TrackFallsBackToWmTrack)
{
    const QString wma = untaggedAudio(path("a.wma"), {"-metadata", "WM/Track=5"});
    EXPECT_EQ(ReadWmaTags(wma).track, "5");
    const QString both =
        untaggedAudio(path("b.wma"), {"-metadata", "WM/Track=5", "-metadata", "track=0"});
    EXPECT_EQ(ReadWmaTags(both).track, "5");
    const QString numbered =
        untaggedAudio(path("c.wma"), {"-metadata", "WM/Track=5", "-metadata", "track=9"});
    EXPECT_EQ(ReadWmaTags(numbered).track, "9");
}

TEST(ReadWmaTags, OldHeaderDescriptionEntries)
{
    const QByteArray oldHeader = QByteArray::fromHex("d129e2d6da35d111903400a0c90349be");
    const QByteArray oldDescription = QByteArray::fromHex("d529e2d6da35d111903400a0c90349be");
    const auto entry = [](quint8 type, const QString& name, const QString& value) {
        return QByteArray(1, char(type)) + QByteArray(4, '\0') + le<quint16>(name.size()) +
               le<quint16>(value.size()) + utf16(name) + utf16(value);
    };
    const QByteArray entries = le<quint16>(4) + entry(2, "Title", unicodeTitle) +
                               entry(1, "Author", "Band") + entry(3, "Other", "x") +
                               entry(4, "Comment", QString(600, 'c'));
    const QByteArray other = QByteArray(16, '\x11') + le<quint64>(30) + QByteArray(6, '\0');
    const QByteArray description = oldDescription + le<quint64>(24 + entries.size()) + entries;
    QByteArray file = oldHeader + le<quint64>(24 + other.size() + description.size()) + other +
                      description + QByteArray(100, '\x55');
    QBuffer buffer(&file);
    buffer.open(QIODevice::ReadOnly);
    TagFields expected;
    expected.title = unicodeTitle;
    expected.artist = "Band";
    expected.comment = QString(255, 'c');
    EXPECT_EQ(ReadWmaTags(buffer), expected);
}

TEST_F(WmaFiles, ReadOnlyFilesAreReadAndKeepTheirModeWhenWritten)
{
    const QString wma = untaggedAudio(path("a.wma"), {"-metadata", "title=Song"});
    setMode(wma, 0444);
    const QByteArray bytes = readAll(wma);
    EXPECT_EQ(ReadWmaTags(wma).title, "Song");
    EXPECT_EQ(modeOf(wma), 0444u);
    EXPECT_EQ(readAll(wma), bytes);

    ASSERT_NO_THROW(WriteWmaTags(wma, sampleTags()));
    EXPECT_EQ(modeOf(wma), 0444u);
    EXPECT_EQ(ReadWmaTags(wma), sampleTags());
    EXPECT_EQ(filesIn(dir.path()), QStringList{"a.wma"});
}

TEST_F(WmaFiles, FailedOrRefusedWritesLeaveTheFile)
{
    const QString wma = untaggedAudio(path("a.wma"));
    const QByteArray before = readAll(wma);
    {
        FileSizeLimit limit(4096);
        ExpectTagError([&] { WriteWmaTags(wma, sampleTags()); },
                       "Cannot write tags: " + wma + ": ");
    }
    EXPECT_EQ(readAll(wma), before);
    EXPECT_EQ(filesIn(dir.path()), QStringList{"a.wma"});

    const QString mp3 = untaggedAudio(path("b.mp3"));
    const QString notAsf = path("b.wma");
    ASSERT_TRUE(QFile::rename(mp3, notAsf));
    const QByteArray mp3Bytes = readAll(notAsf);
    ExpectTagError([&] { WriteWmaTags(notAsf, sampleTags()); },
                   "Cannot write tags: " + notAsf + ": no Windows Media (ASF) header found");
    EXPECT_EQ(readAll(notAsf), mp3Bytes);
    EXPECT_EQ(ReadWmaTags(notAsf), TagFields{});
    EXPECT_THROW(ReadWmaTags(path("missing.wma")), TagError);
    // Writing into a file that cannot be opened says so and creates nothing.
    ExpectTagError([&] { WriteWmaTags(path("missing.wma"), sampleTags()); },
                   "Cannot write tags: " + path("missing.wma") + ": ");
    EXPECT_FALSE(QFileInfo::exists(path("missing.wma")));
}

TEST(WmaBrokenFiles, GiveEmptyFieldsAndAreNotRewritten)
{
    const QDir data(dataFile({}));
    const QStringList names = data.entryList({"asf-*"}, QDir::Files);
    ASSERT_FALSE(names.isEmpty());
    QTemporaryDir dir;
    for (const QString& name : names) {
        EXPECT_EQ(ReadWmaTags(data.filePath(name)), TagFields{}) << name.toStdString();
        const QString copy = dir.filePath(name);
        ASSERT_TRUE(QFile::copy(data.filePath(name), copy));
        EXPECT_THROW(WriteWmaTags(copy, sampleTags()), TagError) << name.toStdString();
        EXPECT_EQ(readAll(copy), readAll(data.filePath(name)));
    }
}

TEST_F(WmaFiles, TheNumberOfTracksGoesIntoTotalTracks)
{
    const QString wma = untaggedAudio(path("a.wma"));
    TagFields tags = sampleTags();
    tags.track = "3/12";
    ASSERT_NO_THROW(WriteWmaTags(wma, tags));
    EXPECT_EQ(ReadWmaTags(wma), tags);
    EXPECT_EQ(probeTag(wma, "track"), "3");
    EXPECT_EQ(probeTag(wma, "TotalTracks"), "12");
    const QString script = R"(
import sys
from mutagen.asf import ASF
f = ASF(sys.argv[1])
for k in ['WM/TrackNumber', 'TotalTracks']:
    v = f.get(k)
    print(k + '=' + (str(v[0].value) + ':' + type(v[0]).__name__ if v else '-'))
)";
    EXPECT_EQ(python(script, {wma}),
              "WM/TrackNumber=3:ASFDWordAttribute\nTotalTracks=12:ASFUnicodeAttribute\n");

    // A track without a total drops the old total.
    ASSERT_NO_THROW(UpdateWmaTags(wma, {.track = "4"}, TagField::Track));
    EXPECT_EQ(python(script, {wma}), "WM/TrackNumber=4:ASFDWordAttribute\nTotalTracks=-\n");
    EXPECT_EQ(ReadWmaTags(wma).track, "4");
    EXPECT_EQ(ReadWmaTags(wma).title, sampleTags().title);

    // What is no number is refused, and the file stays as it was.
    const QByteArray before = readAll(wma);
    for (const char* track : {"seven", "3/twelve", "70000", "-1/2"})
        ExpectTagError([&] { WriteWmaTags(wma, {.track = track}); },
                       "Cannot write tags: " + wma + ": ");
    EXPECT_EQ(readAll(wma), before);
}
