// SPDX-License-Identifier: GPL-3.0-or-later
#include "jobs/CueSheet.h"
#include "audio/AudioFile.h"
#include "jobs/CueSheetImport.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QTemporaryDir>

namespace {

QByteArray lines(std::initializer_list<const char*> text)
{
    QByteArray bytes;
    for (const char* line : text)
        bytes += QByteArray(line) + '\n';
    return bytes;
}

QByteArray utf16le(const QString& text)
{
    QByteArray bytes;
    for (const QChar c : text) {
        bytes += static_cast<char>(c.unicode() & 0xFF);
        bytes += static_cast<char>(c.unicode() >> 8);
    }
    return bytes;
}

// A sheet as one line per file and per track: the file's name, then each
// track's number, INDEX 01 and INDEX 00 in CD frames, title and performer.
QStringList describe(const CueSheet& sheet)
{
    QStringList out;
    for (const CueFile& file : sheet.files) {
        out << QStringLiteral("FILE %1").arg(file.name);
        for (const CueTrack& t : file.tracks) {
            out << QStringLiteral("%1 %2 %3 %4|%5")
                       .arg(t.number)
                       .arg(t.start)
                       .arg(t.pregap ? QString::number(*t.pregap) : QStringLiteral("-"))
                       .arg(t.title, t.performer);
        }
    }
    return out;
}

const QByteArray kAlbum = lines({
    "REM GENRE \"Electronic\"",
    "REM DATE 1997",
    "REM DISCID 8A0B2C0D",
    "REM COMMENT \"ExactAudioCopy v1.0\"",
    "CATALOG 0724384260928",
    "PERFORMER \"Disc Artist\"",
    "TITLE \"Disc Title\"",
    "FILE \"Album.wav\" WAVE",
    "  TRACK 01 AUDIO",
    "    TITLE \"One\"",
    "    PERFORMER \"Artist One\"",
    "    INDEX 01 00:00:00",
    "  TRACK 02 AUDIO",
    "    TITLE \"Two\"",
    "    REM DATE 2001",
    "    INDEX 00 03:20:10",
    "    INDEX 01 03:22:00",
    "  TRACK 03 AUDIO",
    "    TITLE \"Three\"",
    "    FLAGS DCP",
    "    ISRC GBAYE0000351",
    "    INDEX 00 07:00:00",
    "    INDEX 01 07:01:74",
    "    INDEX 02 07:30:00",
});

struct ParseCase {
    const char* name;
    QByteArray text;
    QStringList tracks;
    QStringList disc; // title, performer, date, genre
};

} // namespace

TEST(CueSheet, ReadsTracksIndexesAndTexts)
{
    const ParseCase cases[] = {
        {"one file with pre-gaps, REM lines and sub-indexes",
         kAlbum,
         {"FILE Album.wav", "1 0 - One|Artist One", "2 15150 15010 Two|", "3 31649 31500 Three|"},
         {"Disc Title", "Disc Artist", "1997", "Electronic"}},
        {"two files, unquoted names, keywords in any case, CRLF",
         "title Disc\r\nFILE side_a.mp3 MP3\r\nTRACK 01 AUDIO\r\nINDEX 01 00:00:00\r\n"
         "Track 02 Audio\r\nIndex 01 01:00:00\r\n\r\nfile \"side b.mp3\" MP3\r\n"
         "track 03 audio\r\ntitle Side B opener\r\nindex 00 00:00:00\r\nindex 01 00:02:00\r\n",
         {"FILE side_a.mp3", "1 0 - |", "2 4500 - |", "FILE side b.mp3", "3 150 0 Side B opener|"},
         {"Disc", "", "", ""}},
        {"Latin-1 and Windows-1252 text",
         "PERFORMER \"Bj\xF6rk\"\nFILE \"caf\xE9.wav\" WAVE\nTRACK 01 AUDIO\n"
         "TITLE \"It\x92s Oh So Quiet\"\nINDEX 01 00:00:00\n",
         {"FILE café.wav", "1 0 - It’s Oh So Quiet|"},
         {"", "Björk", "", ""}},
        {"UTF-8 with a byte-order mark",
         "\xEF\xBB\xBFTITLE \"Caf\xC3\xA9\"\nFILE a.wav WAVE\nTRACK 01 AUDIO\nINDEX 01 00:00:00\n",
         {"FILE a.wav", "1 0 - |"},
         {"Café", "", "", ""}},
        {"UTF-8 without a byte-order mark",
         "FILE a.wav WAVE\nTRACK 01 AUDIO\nTITLE \"\xE6\x9D\xB1\xE4\xBA\xAC\"\nINDEX 01 00:00:00\n",
         {"FILE a.wav", "1 0 - 東京|"},
         {"", "", "", ""}},
        {"UTF-16 with a byte-order mark",
         "\xFF\xFE" +
             utf16le("TITLE \"Ünïcode\"\nFILE a.wav WAVE\nTRACK 01 AUDIO\nINDEX 01 00:00:00\n"),
         {"FILE a.wav", "1 0 - |"},
         {"Ünïcode", "", "", ""}},
        {"quotes inside a quoted text, a name with blanks and no type, a long recording",
         lines({"TITLE \"The \"Best\" Of\"", "FILE my song.wav WAVE", "TRACK 01 AUDIO",
                "INDEX 01 00:00:00", "FILE \"second part.wav\"", "TRACK 02 AUDIO",
                "INDEX 01 120:00:01"}),
         {"FILE my song.wav", "1 0 - |", "FILE second part.wav", "2 540001 - |"},
         {"The \"Best\" Of", "", "", ""}},
        {"texts between a FILE and its first TRACK after the first track belong to nobody",
         lines({"TITLE Disc", "FILE a.wav WAVE", "TRACK 01 AUDIO", "INDEX 01 00:00:00",
                "FILE b.wav WAVE", "TITLE Stray", "REM GENRE Stray", "TRACK 02 AUDIO",
                "INDEX 01 00:00:00"}),
         {"FILE a.wav", "1 0 - |", "FILE b.wav", "2 0 - |"},
         {"Disc", "", "", ""}},
        {"a FILE without tracks is left out",
         lines({"FILE empty.wav WAVE", "FILE a.wav WAVE", "TRACK 01 AUDIO", "INDEX 01 00:00:00"}),
         {"FILE a.wav", "1 0 - |"},
         {"", "", "", ""}},
    };
    for (const ParseCase& c : cases) {
        SCOPED_TRACE(c.name);
        const CueSheet sheet = ParseCueSheet(c.text, "sheet.cue");
        EXPECT_EQ(describe(sheet), c.tracks);
        EXPECT_EQ((QStringList{sheet.title, sheet.performer, sheet.date, sheet.genre}), c.disc);
    }
}

TEST(CueSheet, MalformedLinesAreReportedWithTheirNumber)
{
    const struct {
        QByteArray text;
        std::string message;
    } cases[] = {
        {"hello world\n", "sheet.cue, line 1: unknown command \"hello\""},
        {QByteArray(5000, 'x'),
         "sheet.cue, line 1: unknown command \"" + std::string(40, 'x') + "…\""},
        {QByteArray("\x89PNG\r\n\x1A\n\0\0\0\rIHDR", 16),
         "sheet.cue, line 1: unknown command \"\u2030PNG\""},
        {"\n\nTRACK 01 AUDIO\n", "sheet.cue, line 3: TRACK comes before any FILE"},
        {"FILE a.wav WAVE\nINDEX 01 00:00:00\n", "sheet.cue, line 2: INDEX comes before any TRACK"},
        {"FILE a.wav WAVE\nTRACK 01 AUDIO\nINDEX 01 3:25\n",
         "sheet.cue, line 3: \"3:25\" is not a time mm:ss:ff"},
        {"FILE a.wav WAVE\nTRACK 01 AUDIO\nINDEX 01\n",
         "sheet.cue, line 3: \"\" is not a time mm:ss:ff"},
        {"FILE a.wav WAVE\nTRACK 01 AUDIO\nINDEX 01 00:60:00\n",
         "sheet.cue, line 3: \"00:60:00\" has 60 seconds; a minute has 60"},
        {"FILE a.wav WAVE\nTRACK 01 AUDIO\nINDEX 01 00:00:75\n",
         "sheet.cue, line 3: \"00:00:75\" has 75 frames; a second has 75"},
        {"FILE a.wav WAVE\nTRACK 01 AUDIO\nINDEX 01 -1:00:00\n",
         "sheet.cue, line 3: \"-1:00:00\" is not a time mm:ss:ff"},
        {"FILE a.wav WAVE\nTRACK 00 AUDIO\n",
         "sheet.cue, line 2: \"00\" is not a track number from 1 to 99"},
        {"FILE a.wav WAVE\nTRACK 100 AUDIO\n",
         "sheet.cue, line 2: \"100\" is not a track number from 1 to 99"},
        {"FILE a.bin BINARY\nTRACK 01 MODE1/2352\n",
         "sheet.cue, line 2: track 01 is not an audio track (MODE1/2352)"},
        {"FILE a.wav WAVE\nTRACK 02 AUDIO\nINDEX 01 00:00:00\nTRACK 02 AUDIO\n",
         "sheet.cue, line 4: track 2 follows track 2"},
        {"FILE a.wav WAVE\nTRACK 01 AUDIO\nINDEX 01 00:10:00\nTRACK 02 AUDIO\nINDEX 01 00:10:00\n",
         "sheet.cue, line 5: track 02 starts at 00:10:00, not after track 01 (00:10:00)"},
        {"FILE a.wav WAVE\nTRACK 01 AUDIO\nTITLE x\nINDEX 00 00:00:00\nTRACK 02 AUDIO\n",
         "sheet.cue, line 2: track 01 has no INDEX 01"},
        {"FILE a.wav WAVE\nTRACK 01 AUDIO\nINDEX 01 00:00:00\nTRACK 02 AUDIO\n",
         "sheet.cue, line 4: track 02 has no INDEX 01"},
        {"FILE a.wav WAVE\nTRACK 01 AUDIO\nINDEX 01 00:02:00\nINDEX 00 00:00:00\n",
         "sheet.cue, line 4: INDEX 00 follows INDEX 01"},
        {"FILE a.wav WAVE\nTRACK 01 AUDIO\nINDEX 01 00:02:00\nINDEX 01 00:03:00\n",
         "sheet.cue, line 4: INDEX 01 follows INDEX 01"},
        {"FILE a.wav WAVE\nTRACK 01 AUDIO\nINDEX 00 00:02:00\nINDEX 01 00:01:00\n",
         "sheet.cue, line 4: INDEX 01 lies before the track's earlier index"},
        {"FILE a.wav WAVE\nTRACK 01 AUDIO\nINDEX 02 00:01:00\n",
         "sheet.cue, line 3: INDEX 02 comes before INDEX 01"},
        {"TITLE \"Open\n", "sheet.cue, line 1: a quoted text has no closing quote"},
        {"TITLE \"Closed\" too\n", "sheet.cue, line 1: TITLE has text after its closing quote"},
        {"FILE \"\" WAVE\n", "sheet.cue, line 1: FILE names no file"},
        {"FILE \"a.wav\" WAVE extra\n",
         "sheet.cue, line 1: FILE has more than a type after its name"},
        {"", "sheet.cue names no track."},
        {"\xEF\xBB\xBFREM DATE 1999\nTITLE Nothing\n", "sheet.cue names no track."},
        {"FILE a.wav WAVE\n", "sheet.cue names no track."},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text.toStdString());
        try {
            ParseCueSheet(c.text, "sheet.cue");
            ADD_FAILURE() << "no error";
        } catch (const CueSheetError& e) {
            EXPECT_EQ(e.message(), QString::fromStdString(c.message));
        }
    }
}

TEST(CueSheet, CdFramesLandOnExactFrames)
{
    const int64_t at032567 = (3 * 60 + 25) * 75 + 67;
    EXPECT_EQ(CdFramesToFrames(at032567, 44100), 9079896);
    EXPECT_EQ(CdFramesToFrames(at032567, 48000), 9882880);
    EXPECT_EQ(CdFramesToFrames(at032567, 22050), 4539948);
    EXPECT_EQ(CdFramesToFrames(at032567, 11025), 2269974) << "147 × 67 / 1: 11025 is 75 × 147";
    EXPECT_EQ(CdFramesToFrames(at032567, 8000), 1647146) << "67 × 8000 / 75 truncated";
    EXPECT_EQ(CdFramesToFrames(0, 44100), 0);
    EXPECT_EQ(CdFramesToFrames(1, 44100), 588);
    EXPECT_EQ(FormatCdTime(at032567), "03:25:67");
    EXPECT_EQ(FormatCdTime(540001), "120:00:01");
    EXPECT_EQ(FormatCdTime(0), "00:00:00");
}

TEST(CueSheet, PlacesTracksFromIndexToIndexAndTheLastToTheEnd)
{
    const CueSheet sheet = ParseCueSheet(kAlbum, "album.cue");
    const int64_t tenMinutes = 600 * 44100;
    const PiecePlan plan = PlaceCueFile(sheet, 0, 44100, tenMinutes);
    ASSERT_EQ(plan.pieces.size(), 3);
    // Track 2's pre-gap (03:20:10) is the end of track 1: track 1 runs to
    // track 2's INDEX 01.
    const int64_t bounds[] = {0, 8908200, 18609612, tenMinutes};
    for (int i = 0; i < 3; ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(plan.pieces[i].begin, SegmentPoint::frame(bounds[i], 44100));
        EXPECT_EQ(plan.pieces[i].end, SegmentPoint::frame(bounds[i + 1], 44100));
        EXPECT_EQ(plan.pieces[i].track, i + 1);
    }
    EXPECT_EQ(plan.pieces[0].title, "One");
    EXPECT_EQ(plan.pieces[0].performer, "Artist One");
    EXPECT_EQ(plan.pieces[1].performer, "Disc Artist") << "the disc's performer by default";
    EXPECT_EQ(plan.trackTotal, 3);
    EXPECT_EQ(plan.album, "Disc Title");
    EXPECT_EQ(plan.albumPerformer, "Disc Artist");
    EXPECT_EQ(plan.date, "1997");
    EXPECT_EQ(plan.genre, "Electronic");

    // At 48000 Hz the same sheet places at other, equally exact frames.
    const PiecePlan at48k = PlaceCueFile(sheet, 0, 48000, 600 * 48000);
    EXPECT_EQ(at48k.pieces[1].begin.exactFrame(), 202 * 48000);
    EXPECT_EQ(at48k.pieces[2].begin.exactFrame(), 421 * 48000 + 74 * 640);
}

TEST(CueSheet, EachFileHasItsOwnTracksAndTheSheetsTotal)
{
    const CueSheet sheet =
        ParseCueSheet(lines({"FILE a.wav WAVE", "TRACK 01 AUDIO", "INDEX 01 00:00:00",
                             "TRACK 02 AUDIO", "INDEX 01 00:04:37", "FILE b.wav WAVE",
                             "TRACK 03 AUDIO", "INDEX 00 00:00:00", "INDEX 01 00:02:00"}),
                      "two.cue");
    const PiecePlan a = PlaceCueFile(sheet, 0, 44100, 441000);
    ASSERT_EQ(a.pieces.size(), 2);
    EXPECT_EQ(a.pieces[0].end.exactFrame(), 198156) << "ends where track 2 of the same file begins";
    EXPECT_EQ(a.pieces[1].end.exactFrame(), 441000) << "the last of a file ends at its end";
    const PiecePlan b = PlaceCueFile(sheet, 1, 44100, 441000);
    ASSERT_EQ(b.pieces.size(), 1);
    EXPECT_EQ(b.pieces[0].begin.exactFrame(), 88200)
        << "the pre-gap at the start of a file has no track before it there";
    EXPECT_EQ(b.pieces[0].track, 3);
    EXPECT_EQ(b.trackTotal, 3);
}

TEST(CueSheet, ATrackAtOrPastTheEndOfItsFileIsNamed)
{
    const CueSheet sheet = ParseCueSheet(kAlbum, "album.cue");
    for (const int64_t frames : {int64_t{300 * 44100}, int64_t{18609612}}) {
        try {
            PlaceCueFile(sheet, 0, 44100, frames);
            ADD_FAILURE() << "no error for " << frames;
        } catch (const CueSheetError& e) {
            EXPECT_EQ(e.message(), frames == 18609612
                                       ? "album.cue: track 03 starts at 07:01:74, at or past the "
                                         "end of Album.wav (07:01:74)."
                                       : "album.cue: track 03 starts at 07:01:74, at or past the "
                                         "end of Album.wav (05:00:00).");
        }
    }
    EXPECT_NO_THROW(PlaceCueFile(sheet, 0, 44100, 18609613));
}

namespace {

class CueSheetFiles : public ::testing::Test {
protected:
    QString path(const QString& name) const { return dir.filePath(name); }

    void tone(const QString& name, double seconds, int rate = 44100)
    {
        QDir().mkpath(QFileInfo(path(name)).absolutePath());
        testsupport::ffmpeg({"-f", "lavfi", "-i",
                             QStringLiteral("sine=frequency=440:sample_rate=%1").arg(rate), "-t",
                             QString::number(seconds), "-ac", "2", path(name)});
    }

    static int64_t frames(const QString& file)
    {
        AudioFile reader;
        reader.SetEnabled(true);
        reader.OpenRead(file);
        return reader.GetSampleCount();
    }

    QString sheet(const QByteArray& text, const QString& name = "sheet.cue")
    {
        testsupport::writeAll(path(name), text);
        return path(name);
    }

    QString importError(const QString& sheetPath)
    {
        try {
            ImportCueSheet(sheetPath);
        } catch (const Error& e) {
            return e.message();
        }
        return QStringLiteral("no error");
    }

    QTemporaryDir dir;
};

} // namespace

TEST_F(CueSheetFiles, FindsTwoFilesByOtherCaseAndExtensionAndPlacesThemExactly)
{
    tone("Side A.mp3", 12);
    tone("side b.mp3", 5);
    const QString cue = sheet("TITLE \"Tw\xF6 Sides\"\n"
                              "FILE \"side a.wav\" WAVE\n"
                              "  TRACK 01 AUDIO\n    TITLE \"Caf\xE9\"\n    INDEX 01 00:00:00\n"
                              "  TRACK 02 AUDIO\n    INDEX 00 00:06:00\n    INDEX 01 00:07:37\n"
                              "FILE \"SIDE B.WAV\" WAVE\n"
                              "  TRACK 03 AUDIO\n    INDEX 01 00:01:01\n");
    const QVector<CueSource> sources = ImportCueSheet(cue);
    ASSERT_EQ(sources.size(), 2);
    EXPECT_EQ(sources[0].audioPath, path("Side A.mp3"));
    EXPECT_EQ(sources[1].audioPath, path("side b.mp3"));
    const PiecePlan& a = sources[0].plan;
    ASSERT_EQ(a.pieces.size(), 2);
    EXPECT_EQ(a.pieces[0].title, "Café");
    EXPECT_EQ(a.album, "Twö Sides");
    EXPECT_EQ(a.pieces[0].begin.exactFrame(), 0);
    EXPECT_EQ(a.pieces[0].end.exactFrame(), 7 * 44100 + 37 * 588);
    EXPECT_EQ(a.pieces[1].begin.exactFrame(), 7 * 44100 + 37 * 588);
    EXPECT_EQ(a.pieces[1].end.exactFrame(), frames(path("Side A.mp3")));
    EXPECT_EQ(a.pieces[1].end.exactFrame(), 12 * 44100) << "the decoder's exact length";
    const PiecePlan& b = sources[1].plan;
    ASSERT_EQ(b.pieces.size(), 1);
    EXPECT_EQ(b.pieces[0].begin.exactFrame(), 44100 + 588);
    EXPECT_EQ(b.pieces[0].end.exactFrame(), 5 * 44100);
    EXPECT_EQ(b.trackTotal, 3);
}

TEST_F(CueSheetFiles, ResolvesPathsWrittenOnOtherMachines)
{
    tone("CD1/track.wav", 1);
    tone("x.wav", 1);
    const CueFile inFolder{"CD1\\track.wav", 3, {}};
    EXPECT_EQ(ResolveCueFile(sheet("", "a.cue"), inFolder), path("CD1/track.wav"));
    const CueFile windowsPath{"C:\\Rips\\X.WAV", 4, {}};
    EXPECT_EQ(ResolveCueFile(path("a.cue"), windowsPath), path("x.wav"));
    const CueFile unixPath{"/home/someone/x.wav", 5, {}};
    EXPECT_EQ(ResolveCueFile(path("a.cue"), unixPath), path("x.wav"));
    const CueFile missingFolder{"CD2/x.wav", 6, {}};
    EXPECT_EQ(ResolveCueFile(path("a.cue"), missingFolder), path("x.wav"))
        << "a folder that is not there: beside the sheet";
}

TEST_F(CueSheetFiles, BadSheetsGiveAClearMessageAndNothing)
{
    tone("album.mp3", 3);
    const QByteArray oneTrack = "FILE \"album.wav\" WAVE\nTRACK 01 AUDIO\nINDEX 01 00:00:00\n";
    const QString dirName = QDir::toNativeSeparators(dir.path());

    EXPECT_EQ(importError(sheet(oneTrack + "FILE \"gone.wav\" WAVE\nTRACK 02 AUDIO\n"
                                           "INDEX 01 00:00:00\n")),
              QStringLiteral("sheet.cue, line 4: gone.wav is not in %1.").arg(dirName))
        << "the first file is found, yet nothing is returned";
    EXPECT_EQ(
        importError(sheet(oneTrack + "TRACK 02 AUDIO\nINDEX 01 00:03:00\n")),
        "sheet.cue: track 02 starts at 00:03:00, at or past the end of album.wav (00:03:00).");
    EXPECT_EQ(importError(sheet("this is no cue sheet\n")),
              "sheet.cue, line 1: unknown command \"this\"");
    EXPECT_TRUE(importError(path("album.mp3")).startsWith("album.mp3, line 1: unknown command"))
        << importError(path("album.mp3")).toStdString();
    EXPECT_TRUE(importError(path("none.cue")).startsWith("Cannot read the cue sheet"));

    testsupport::writeAll(path("huge.cue"), oneTrack + QByteArray(1 << 20, '\n'));
    EXPECT_EQ(importError(path("huge.cue")),
              QStringLiteral("%1 is too large to be a cue sheet.").arg(path("huge.cue")));

    tone("album.ogg", 1);
    EXPECT_EQ(importError(sheet(oneTrack)),
              "sheet.cue, line 1: album.wav could be any of album.mp3, album.ogg.");
}
