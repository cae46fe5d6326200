// SPDX-License-Identifier: GPL-3.0-or-later
#include "tags/TagFile.h"

#include "tags/Id3Tags.h"
#include "tags/TagError.h"

#include "TagTestSupport.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>
#include <sys/stat.h>

using namespace testsupport;
using namespace tagtest;

namespace {

const QString unicodeTitle = QString::fromUtf8("Ärzte – 東京 😀");

class TagFiles : public ::testing::Test {
protected:
    QString path(const QString& name) const { return dir.filePath(name); }
    QTemporaryDir dir;
};

// Everything mutagen sees in the file, one "key=value" a line, sorted; the
// values of pictures and other binary frames by their length.
QString everything(const QString& file)
{
    return python(R"(
import sys, mutagen
f = mutagen.File(sys.argv[1])
lines = []
for k, v in f.tags.items():
    vals = v if isinstance(v, list) else [v]
    for x in vals:
        if hasattr(x, 'data') and isinstance(getattr(x, 'data'), bytes):
            lines.append('%s=<%d bytes>' % (k, len(x.data)))
        else:
            lines.append('%s=%s' % (k, x))
print('\n'.join(sorted(lines)))
)",
                  {file})
        .trimmed();
}

TagFields fields(const QString& title, const QString& artist)
{
    TagFields f;
    f.title = title;
    f.artist = artist;
    return f;
}

} // namespace

TEST(TagFieldNames, RoundTripInAnyCase)
{
    for (const TagField field : allTagFields) {
        EXPECT_EQ(tagFieldNamed(tagFieldName(field).toUpper()), field);
        TagFields f;
        f[field] = tagFieldName(field);
        EXPECT_EQ(f[field], tagFieldName(field));
    }
    EXPECT_EQ(tagFieldNamed(u"composer"), std::nullopt);
    EXPECT_EQ(tagFieldNamed(u""), std::nullopt);
}

TEST_F(TagFiles, Mp3UpdateKeepsEveryFrameItDoesNotWrite)
{
    for (const int version : {3, 4}) {
        const QString mp3 = untaggedAudio(path(QString("v%1.mp3").arg(version)));
        python(R"(
import sys
from mutagen.id3 import ID3, TIT2, TPE1, TALB, TXXX, TSSE, USLT, APIC, COMM, TDRC, TYER
t = ID3()
t.add(TIT2(encoding=3, text='Old'))
t.add(TPE1(encoding=3, text='Band'))
t.add(TALB(encoding=1, text='LP'))
t.add(TXXX(encoding=3, desc='MOOD', text='calm'))
t.add(TSSE(encoding=3, text='Lavf'))
t.add(USLT(encoding=3, lang='eng', desc='', text='la la'))
t.add(APIC(encoding=3, mime='image/png', type=3, desc='cover', data=b'\x89PNG' + bytes(3000)))
t.add(COMM(encoding=3, lang='eng', desc='iTunNORM', text='0000'))
t.add(COMM(encoding=3, lang='eng', desc='', text='old comment'))
t.add((TYER if int(sys.argv[2]) == 3 else TDRC)(encoding=3, text='1990'))
t.save(sys.argv[1], v2_version=int(sys.argv[2]))
)",
               {mp3, QString::number(version)});
        const QString before = everything(mp3);
        const QByteArray audio = decodedAudio(mp3);

        TagFields set;
        set.title = unicodeTitle;
        set.comment = "new comment";
        set.year = "2024";
        TagFile::write(mp3, set, TagField::Title | TagField::Comment | TagField::Year);

        QString expected = before;
        expected.replace("TIT2=Old", "TIT2=" + unicodeTitle)
            .replace("COMM::eng=old comment", "COMM::eng=new comment")
            .replace("TDRC=1990", "TDRC=2024"); // mutagen shows TYER as TDRC
        EXPECT_EQ(everything(mp3), expected) << "version 2." << version;
        const TagFields read = TagFile::read(mp3);
        EXPECT_EQ(read.title, unicodeTitle);
        EXPECT_EQ(read.artist, "Band");
        EXPECT_EQ(read.album, "LP");
        EXPECT_EQ(read.year, "2024");
        EXPECT_EQ(decodedAudio(mp3), audio);
        EXPECT_EQ(filesIn(dir.path()).filter(QString("v%1").arg(version)).size(), 1);

        // An empty value removes the field's frames, and only those.
        TagFile::write(mp3, {}, TagField::Artist);
        expected.remove("TPE1=Band\n");
        EXPECT_EQ(everything(mp3), expected);
    }
}

TEST_F(TagFiles, Mp3WithoutATagGetsOneWithTheFieldsGiven)
{
    const QString mp3 = untaggedAudio(path("a.mp3"));
    TagFile::write(mp3, fields("Song", "ignored"), TagField::Title);
    EXPECT_EQ(everything(mp3), "TIT2=Song");
    EXPECT_EQ(TagFile::read(mp3), fields("Song", {}));
}

TEST_F(TagFiles, OggUpdateKeepsTheOtherComments)
{
    const QString ogg = untaggedAudio(path("a.ogg"), {"-metadata", "title=Old", "-metadata",
                                                      "MOOD=calm", "-metadata", "artist=Band"});
    const QString before = everything(ogg);
    ASSERT_TRUE(before.contains("mood=calm")) << before.toStdString();
    TagFile::write(ogg, fields(unicodeTitle, "x"), TagField::Title);
    QString expected = before;
    expected.replace("title=Old", "title=" + unicodeTitle);
    EXPECT_EQ(everything(ogg), expected);
    EXPECT_EQ(TagFile::read(ogg), fields(unicodeTitle, "Band"));
}

TEST_F(TagFiles, WmaUpdateKeepsTheOtherAttributes)
{
    const QString wma = untaggedAudio(path("a.wma"));
    python(R"(
import sys
from mutagen.asf import ASF
f = ASF(sys.argv[1])
f['Title'] = 'Old'
f['Author'] = 'Band'
f['WM/Composer'] = 'Someone'
f['WM/Genre'] = 'G' * 40
f.save()
)",
           {wma});
    const QString before = everything(wma);
    TagFields set = fields(unicodeTitle, {});
    set.track = "12";
    TagFile::write(wma, set, TagField::Title | TagField::Track);
    const QString after = everything(wma);
    EXPECT_TRUE(after.contains("WM/Composer=Someone")) << after.toStdString();
    EXPECT_TRUE(after.contains("WM/Genre=" + QString(40, 'G'))) << "a genre longer than the "
                                                                   "field stays whole";
    EXPECT_TRUE(after.contains("Title=" + unicodeTitle));
    EXPECT_TRUE(after.contains("WM/TrackNumber=12"));
    EXPECT_TRUE(after.contains("Author=Band"));
}

TEST_F(TagFiles, OneErrorContractForEveryFormat)
{
    // Reading: "Cannot open <path>: <cause>".
    const QString fake = path("fake.ogg");
    ASSERT_TRUE(QFile::copy(untaggedAudio(path("b.mp3")), fake));
    for (const QString& file : {path("missing.mp3"), path("missing.ogg"), fake})
        ExpectTagError([&] { TagFile::read(file); }, "Cannot open " + file + ": ");
    EXPECT_EQ(TagFile::read(untaggedAudio(path("c.wav"))), TagFields{});

    // Writing: "Cannot ..." with the path; the file stays as it was.
    const QString wav = path("c.wav");
    const QString wma = untaggedAudio(path("d.wma"));
    const QString notAsf = path("e.wma");
    ASSERT_TRUE(QFile::copy(path("b.mp3"), notAsf));
    const QString mp3v22 = untaggedAudio(path("f.mp3"));
    python(R"(
import sys
from mutagen.id3 import ID3, TIT2
t = ID3()
t.add(TIT2(encoding=0, text='Old'))
t.save(sys.argv[1], v2_version=3)
f = open(sys.argv[1], 'r+b')
f.seek(3)
f.write(b'\x02')
)",
           {mp3v22});
    TagFields badTrack;
    badTrack.track = "seven";
    const struct {
        QString file;
        TagFields fields;
        QString prefix;
    } cases[] = {
        {wav, fields("x", {}), "Cannot write tags: " + wav + ": "},
        {wma, badTrack, "Cannot write tags: " + wma + ": "},
        {notAsf, fields("x", {}), "Cannot write tags: " + notAsf + ": "},
        {fake, fields("x", {}), "Cannot open " + fake + ": "},
        {mp3v22, fields("x", {}), "Cannot write tags: " + mp3v22 + ": "},
        {path("missing.mp3"), fields("x", {}), "Cannot open " + path("missing.mp3") + ": "},
    };
    for (const auto& c : cases) {
        const QByteArray before = QFile::exists(c.file) ? readAll(c.file) : QByteArray();
        ExpectTagError([&] { TagFile::write(c.file, c.fields); }, c.prefix);
        EXPECT_EQ(QFile::exists(c.file) ? readAll(c.file) : QByteArray(), before)
            << c.file.toStdString();
        // The described writer replaces a tag of any version.
        if (c.file != mp3v22)
            ExpectTagError([&] { TagFile::writeNew(c.file, c.fields); }, "Cannot ");
    }
}

TEST_F(TagFiles, WriteNewWritesTheDescribedBuffers)
{
    const QString mp3 = untaggedAudio(path("a.mp3"));
    TagFile::writeNew(mp3, fields("Song", {}));
    // All seven frames, empty ones too: a tag of 10 + 91 + 4 bytes.
    EXPECT_EQ(readAll(mp3).mid(6, 4), QByteArray("\0\0\0\x5f", 4));
    const QString ogg = untaggedAudio(path("a.ogg"), {"-metadata", "MOOD=calm"});
    TagFile::writeNew(ogg, fields("Song", "Band"));
    EXPECT_EQ(everything(ogg), "artist=Band\ntitle=Song");
}

TEST_F(TagFiles, WriteNewCarriesEveryFieldIntoEveryFormat)
{
    const TagFields record{.title = unicodeTitle,
                           .artist = "Band",
                           .album = "LP",
                           .year = "1999",
                           .comment = QString::fromUtf8("Typed by the user ✓ ") + QString(300, 'c'),
                           .genre = "Jazz",
                           .track = "3/12"};
    for (const char* name : {"o.mp3", "o.ogg", "o.wma"}) {
        const QString file = untaggedAudio(path(name));
        TagFile::writeNew(file, record);
        EXPECT_EQ(TagFile::read(file).year, "1999") << name;
        EXPECT_EQ(TagFile::read(file).track, "3/12") << name;
        // Independent readers see each field, the comment whole.
        EXPECT_EQ(probeTag(file, "title"), record.title) << name;
        EXPECT_EQ(probeTag(file, "comment"), record.comment) << name;
        EXPECT_EQ(probeTag(file, QString(name).endsWith("wma") ? "WM/Year" : "date"), "1999")
            << name;
        const QString all = everything(file);
        EXPECT_TRUE(all.contains(record.comment)) << name << all.toStdString();
        EXPECT_TRUE(all.contains("1999")) << name;
    }
    // Where the number of tracks goes in each format.
    EXPECT_EQ(probeTag(path("o.mp3"), "track"), "3/12");
    EXPECT_TRUE(everything(path("o.ogg")).contains("tracktotal=12"));
    EXPECT_TRUE(everything(path("o.wma")).contains("TotalTracks=12"));
}

TEST_F(TagFiles, ChaptersByFormat)
{
    const QString mp3 = untaggedAudio(path("a.mp3"));
    python(R"(
import sys
from mutagen.id3 import ID3, CHAP, TIT2
t = ID3()
t.add(CHAP(element_id='x', start_time=1500, end_time=2000, sub_frames=[TIT2(text='One')]))
t.save(sys.argv[1])
)",
           {mp3});
    EXPECT_EQ(TagFile::chapters(mp3), (TagChapters{{1500, 2000, "One"}}));
    const QString ogg = untaggedAudio(
        path("a.ogg"), {"-metadata", "CHAPTER001=00:00:01.500", "-metadata", "CHAPTER001NAME=One"});
    EXPECT_EQ(TagFile::chapters(ogg), (TagChapters{{1500, std::nullopt, "One"}}));
    EXPECT_EQ(TagFile::chapters(untaggedAudio(path("a.wma"))), TagChapters{});
    EXPECT_EQ(TagFile::chapters(untaggedAudio(path("a.wav"))), TagChapters{});
    ExpectTagError([&] { TagFile::chapters(path("missing.mp3")); },
                   "Cannot open " + path("missing.mp3") + ": no such file");
}

TEST_F(TagFiles, APathThatIsNoRegularFileIsNeverOpened)
{
    // Opening a FIFO would block until a writer comes.
    for (const char* name : {"fifo.mp3", "fifo.ogg", "fifo.wma"}) {
        const QString fifo = path(name);
        ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
        ExpectTagError([&] { TagFile::read(fifo); },
                       "Cannot open " + fifo + ": not a regular file");
        ExpectTagError([&] { TagFile::chapters(fifo); }, "Cannot open " + fifo + ": ");
        ExpectTagError([&] { TagFile::write(fifo, fields("x", {})); }, "Cannot open " + fifo);
    }
    ExpectTagError([&] { TagFile::read(dir.path()); }, "Cannot open " + dir.path() + ": ");
}
