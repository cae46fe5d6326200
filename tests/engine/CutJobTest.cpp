// SPDX-License-Identifier: GPL-3.0-or-later
#include "JobSessionFixture.h"

#include "engine/CutPlan.h"
#include "engine/JobRunner.h"
#include "jobs/SegmentPlan.h"
#include "settings/Options.h"
#include "skin/SkinnedWindow.h"
#include "tags/Id3Tags.h"

#include <QFile>

namespace {

using namespace enginetest;

using CutJobTest = JobSessionTest;

TEST_F(CutJobTest, CustomCutsAFreshFileWholeAsOneBitIdenticalPiece)
{
    makeNoiseWav(src("Song.wav"), 3.5);
    add({src("Song.wav")});
    setFormat(1);
    session->splitCommand();

    EXPECT_TRUE(prompts.errors.isEmpty()) << prompts.errors.join("\n").toStdString();
    EXPECT_EQ(outputs(), QStringList{"Song.wav"});
    // [0, 3] seconds, exactly; the half second behind the last whole second
    // belongs to no segment.
    const QByteArray piece = decodePcm16(out("Song.wav"));
    EXPECT_EQ(piece.size(), 3 * 44100 * 4);
    EXPECT_TRUE(piece == decodePcm16(src("Song.wav")).left(3 * 44100 * 4));
    EXPECT_EQ(statusLog[0], (QStringList{"OK", "Converting", "Finish"}));
    EXPECT_EQ(session->jobs().list().entry(0).segmentCount, 1);
    EXPECT_EQ(shell.calls, QStringList{"folder:" + outDir()});
    expectJobEnded();
    expectSourcesUnchanged();
}

TEST_F(CutJobTest, CustomCutsTheConfirmedSegmentsAndSkipsNamesInUse)
{
    makeSource(src("Song.wav"), 4.0);
    add({src("Song.wav")});
    session->jobs().list().entry(0).setConfirmedSegments({{0, 1}, {2, 4}});
    testsupport::writeAll(out("Song.wav"), "earlier run");
    setFormat(1);
    EXPECT_TRUE(session->cutCommand());

    EXPECT_EQ(outputs(), (QStringList{"Song.wav", "Song_1.wav", "Song_2.wav"}));
    EXPECT_EQ(testsupport::readAll(out("Song.wav")), "earlier run");
    EXPECT_EQ(decodedFrames(out("Song_1.wav")), 44100);
    EXPECT_EQ(decodedFrames(out("Song_2.wav")), 2 * 44100);
    // The open segment was left out while the job ran and is listed again.
    EXPECT_EQ(session->jobs().segments().count(), 2);
    EXPECT_EQ(statusLog[0], (QStringList{"Converting", "Finish"}));
    EXPECT_EQ(statusLog[1], (QStringList{"Converting", "Finish"}));
    EXPECT_EQ(session->jobs().list().entry(0).segmentCount, 3);
    // The menu's cut does not open the folder.
    EXPECT_TRUE(shell.calls.isEmpty());
    expectJobEnded();
    expectSourcesUnchanged();
}

// Pieces of an MP3 made by lame, written in each lossy format, decoded back
// by ffmpeg: every piece holds exactly its share of the source.
struct FormatCase {
    int format;
    const char* extension;
    int tolerance; // frames
};

class CutFormatTest : public JobSessionTest, public ::testing::WithParamInterface<FormatCase> {};

TEST_P(CutFormatTest, TimedPiecesHoldExactlyTheirFrames)
{
    const FormatCase c = GetParam();
    makeSource(src("tone.wav"), 5.0);
    makeLameMp3(src("tone.wav"), src("Tone.mp3"));
    add({src("Tone.mp3")});
    session->options().functionChoice = 1;
    session->options().pieceSeconds = 2;
    setFormat(c.format);
    session->splitCommand();
    ASSERT_TRUE(prompts.errors.isEmpty()) << prompts.errors.join("\n").toStdString();

    const QString ext = c.extension;
    ASSERT_EQ(outputs(), (QStringList{"Tone_1" + ext, "Tone_2" + ext, "Tone_3" + ext}));
    const int64_t expected[] = {88200, 88200, 44100};
    for (int k = 0; k < 3; ++k) {
        const QString piece = out(QStringLiteral("Tone_%1").arg(k + 1) + ext);
        const int64_t frames = c.format == 3 ? oggFrames(piece) : decodedFrames(piece);
        EXPECT_NEAR(frames, expected[k], c.tolerance) << piece.toStdString();
        EXPECT_EQ(probe(piece).rate, 44100);
    }
    EXPECT_EQ(statusLog[2], (QStringList{"Converting", "Finish"}));
    expectJobEnded();
    expectSourcesUnchanged();
}

INSTANTIATE_TEST_SUITE_P(Formats, CutFormatTest,
                         ::testing::Values(FormatCase{0, ".mp3", 0}, FormatCase{3, ".ogg", 0},
                                           FormatCase{2, ".wma", 2048}),
                         [](const auto& info) { return std::string(info.param.extension + 1); });

TEST_F(CutJobTest, TimedPiecesOfAnExactMultipleEndInAnEmptyPiece)
{
    makeSource(src("even.wav"), 4.0);
    add({src("even.wav")});
    session->options().functionChoice = 1;
    session->options().pieceSeconds = 2;
    setFormat(1);
    session->cutCommand();
    EXPECT_EQ(outputs(), (QStringList{"even_1.wav", "even_2.wav", "even_3.wav"}));
    EXPECT_EQ(decodedFrames(out("even_2.wav")), 88200);
    EXPECT_EQ(decodedFrames(out("even_3.wav")), 0);
    EXPECT_EQ(session->jobs().segments().count(), 3);
}

TEST_F(CutJobTest, EqualPiecesLeaveTheRemainderUncut)
{
    makeNoiseWav(src("seven.wav"), 7.0);
    add({src("seven.wav")});
    session->options().functionChoice = 2;
    session->options().pieceCount = 3;
    setFormat(1);
    session->cutCommand();
    EXPECT_EQ(outputs(), (QStringList{"seven_1.wav", "seven_2.wav", "seven_3.wav"}));
    for (const QString& name : outputs())
        EXPECT_EQ(decodedFrames(out(name)), 2 * 44100) << name.toStdString();
    const QByteArray all = decodePcm16(src("seven.wav"));
    EXPECT_TRUE(decodePcm16(out("seven_3.wav")) == all.mid(4 * 44100 * 4, 2 * 44100 * 4));
}

TEST(CutPlanTest, EqualPiecesOfAHugeCountAreTheOnesTheSegmentListShows)
{
    Options options;
    JobFile file;
    const std::pair<int32_t, int> cases[] = {
        {7, 3}, {7, 60}, {7, 1000000000}, {3600, 3600}, {3600, INT32_MAX}};
    for (const auto& [duration, count] : cases) {
        file.duration = duration;
        options.pieceCount = count;
        const QVector<cutplan::Piece> cut =
            cutplan::pieces(segmentplan::EqualCount, file, file, options);
        const QVector<Segment> shown = segmentplan::EqualPieces(duration, count);
        ASSERT_EQ(cut.size(), shown.size()) << duration << " s, " << count << " pieces";
        for (int k = 0; k < cut.size(); ++k) {
            EXPECT_EQ(cut[k].begin, shown[k].begin);
            EXPECT_EQ(cut[k].end, shown[k].end);
        }
    }
    options.pieceCount = 1000000000;
    file.duration = 7;
    EXPECT_EQ(cutplan::pieces(segmentplan::EqualCount, file, file, options).size(),
              segmentplan::kMaxEmptyPieces)
        << "a billion empty files are never written";
}

TEST_F(CutJobTest, UnifiedSegmentsAreClippedToEachFile)
{
    makeSource(src("long.wav"), 6.0);
    makeSource(src("short.wav"), 3.0);
    add({src("long.wav"), src("short.wav")});
    session->jobs().list().entry(0).setConfirmedSegments({{0, 2}, {2, 5}, {4, 6}});
    session->options().functionChoice = 3;
    session->jobs().lvClick();
    setFormat(1);
    session->cutCommand();

    EXPECT_EQ(outputs(), (QStringList{"long_1.wav", "long_2.wav", "long_3.wav", "short_1.wav",
                                      "short_2.wav"}));
    EXPECT_EQ(decodedFrames(out("long_2.wav")), 3 * 44100);
    EXPECT_EQ(decodedFrames(out("short_2.wav")), 44100) << "2 to 5 clipped to the file's 3 s";
    EXPECT_EQ(session->jobs().list().entry(0).segmentCount, 4);
    EXPECT_EQ(session->jobs().list().entry(1).segmentCount, 1);
    expectSourcesUnchanged();
}

TEST_F(CutJobTest, UnifiedSegmentsOutOfTimeOrderStillFitAShorterFile)
{
    makeSource(src("long.wav"), 6.0);
    makeSource(src("short.wav"), 3.0);
    add({src("long.wav"), src("short.wav")});
    // The first segment lies past the short file's end; the second fits it.
    session->jobs().list().entry(0).setConfirmedSegments({{4, 6}, {0, 1}});
    session->options().functionChoice = 3;
    session->jobs().lvClick();
    setFormat(1);
    session->cutCommand();

    EXPECT_EQ(outputs(), (QStringList{"long_1.wav", "long_2.wav", "short_1.wav"}));
    EXPECT_EQ(decodedFrames(out("long_1.wav")), 2 * 44100);
    EXPECT_EQ(decodedFrames(out("short_1.wav")), 44100);
    EXPECT_TRUE(prompts.errors.isEmpty()) << prompts.errors.join("\n").toStdString();
    expectSourcesUnchanged();
}

TEST_F(CutJobTest, NamesFromDottedOrControlCaptionsAreNeitherHiddenNorRaw)
{
    makeSource(src("plain.wav"), 1.0);
    testsupport::ffmpeg({"-i", src("plain.wav"), "-c:a", "libmp3lame", "-metadata",
                         QString::fromUtf8("title=...Baby One\nMore\x1b[31mTime"),
                         src("baby.mp3")});
    // Without a title the caption is the file name, here a hidden one.
    makeSource(src(".38 Special Live.wav"), 1.0);
    add({src("baby.mp3"), src(".38 Special Live.wav")});
    setFormat(1);
    session->cutCommand();
    EXPECT_EQ(outputs(), (QStringList{"38 Special Live.wav", "Baby OneMore[31mTime.wav"}));
    expectSourcesUnchanged();
}

TEST_F(CutJobTest, AFadeOutPast32BitsOfFramesFadesTheWholePiece)
{
    makeSource(src("tone.wav"), 3.0);
    add({src("tone.wav")});
    session->options().functionChoice = 1;
    session->options().pieceSeconds = 3;
    session->options().fadeOut = true;
    session->options().fadeOutSeconds = 50000; // 2.2 * 10^9 frames
    setFormat(1);
    session->cutCommand();
    const std::vector<int16_t> s = samples(decodePcm16(out("tone_1.wav")));
    const int64_t length = 3 * 44100;
    ASSERT_EQ(int64_t(s.size()), length * 2);
    EXPECT_GT(peak(s, 2, 0, 1000), 3900);
    EXPECT_NEAR(peak(s, 2, length / 2 - 300, length / 2 + 300), 2048, 150);
    EXPECT_LT(peak(s, 2, length - 100, length), 50);
}

TEST_F(CutJobTest, TagsAreCarriedIntoMp3WmaAndOggPieces)
{
    makeSource(src("tagged.wav"), 2.0);
    testsupport::ffmpeg({"-i", src("tagged.wav"), "-c:a", "libmp3lame", "-id3v2_version", "3",
                         "-metadata", "title=Night Song", "-metadata", "artist=The Band",
                         "-metadata", "album=Live", "-metadata", "genre=Rock", src("tagged.mp3")});
    add({src("tagged.mp3")});
    // The tag editor sets what adding leaves empty.
    session->jobs().list().info(0).year = "1999";
    for (int format : {0, 2, 3}) {
        setFormat(format);
        session->cutCommand();
    }
    ASSERT_EQ(outputs(), (QStringList{"Night Song.mp3", "Night Song.ogg", "Night Song.wma"}));
    const TagFields mp3 = ReadId3v2(out("Night Song.mp3"));
    EXPECT_EQ(mp3.title, "Night Song");
    EXPECT_EQ(mp3.artist, "The Band");
    EXPECT_EQ(mp3.album, "Live");
    EXPECT_EQ(mp3.year, "1999");
    EXPECT_EQ(mp3.genre, "Rock");
    EXPECT_EQ(probeTag(out("Night Song.mp3"), "artist"), "The Band");
    EXPECT_EQ(probeTag(out("Night Song.ogg"), "title"), "Night Song");
    EXPECT_EQ(probeTag(out("Night Song.ogg"), "album"), "Live");
    EXPECT_EQ(probeTag(out("Night Song.wma"), "title"), "Night Song");
    EXPECT_EQ(probeTag(out("Night Song.wma"), "artist"), "The Band");
    expectSourcesUnchanged();
}

// What mutagen, as an independent reader, finds in a file's tag.
QString mutagenTags(const QString& path)
{
    return QString::fromUtf8(testsupport::run("mutagen-inspect", {path}).out);
}

TEST_F(CutJobTest, LabelledSegmentsNameAndTagTheirPiecesOthersKeepTheUsualNames)
{
    makeSource(src("album.wav"), 4.0);
    testsupport::ffmpeg({"-i", src("album.wav"), "-c:a", "libmp3lame", "-metadata",
                         "title=Whole Album", "-metadata", "artist=Source Artist", "-metadata",
                         "album=Source Album", "-metadata", "genre=Rock", src("album.mp3")});
    add({src("album.mp3")});
    SegmentLabel first{1, 3, "Mr. Jones", "The Band", "Live", "2001", "Jazz"};
    // A title that file names cannot hold, whose name is taken already.
    SegmentLabel second{2, 3, "AC/DC: Live", {}, {}, {}, {}};
    session->jobs().list().entry(0).setConfirmedSegments(
        {{SegmentPoint::seconds(0), SegmentPoint::seconds(1), first},
         {SegmentPoint::seconds(1), SegmentPoint::seconds(2), second},
         {SegmentPoint::seconds(2), SegmentPoint::seconds(4)}});
    testsupport::writeAll(out("02 ACDC Live.mp3"), "earlier run");
    session->jobs().list().info(0).year = "1999";
    session->jobs().list().info(0).comment = "from the source";
    for (int format : {0, 3, 2}) {
        setFormat(format);
        EXPECT_TRUE(session->cutCommand());
    }
    EXPECT_TRUE(prompts.errors.isEmpty()) << prompts.errors.join("\n").toStdString();
    EXPECT_EQ(outputs(), (QStringList{"01 Mr. Jones.mp3", "01 Mr. Jones.ogg", "01 Mr. Jones.wma",
                                      "02 ACDC Live.mp3", "02 ACDC Live.ogg", "02 ACDC Live.wma",
                                      "02 ACDC Live_1.mp3", "Whole Album.mp3", "Whole Album.ogg",
                                      "Whole Album.wma"}));
    EXPECT_EQ(testsupport::readAll(out("02 ACDC Live.mp3")), "earlier run");

    // The label over the source's record, the track as n/total.
    const QString jones = mutagenTags(out("01 Mr. Jones.mp3"));
    EXPECT_TRUE(jones.contains("TIT2=Mr. Jones")) << jones.toStdString();
    EXPECT_TRUE(jones.contains("TPE1=The Band")) << jones.toStdString();
    EXPECT_TRUE(jones.contains("TALB=Live")) << jones.toStdString();
    EXPECT_TRUE(jones.contains("TRCK=1/3")) << jones.toStdString();
    EXPECT_TRUE(jones.contains("TCON=Jazz")) << jones.toStdString();
    EXPECT_TRUE(jones.contains("from the source")) << jones.toStdString();
    const QString live = mutagenTags(out("02 ACDC Live_1.mp3"));
    EXPECT_TRUE(live.contains("TIT2=AC/DC: Live")) << live.toStdString();
    EXPECT_TRUE(live.contains("TPE1=Source Artist")) << live.toStdString();
    EXPECT_TRUE(live.contains("TRCK=2/3")) << live.toStdString();
    // The unlabelled piece keeps the usual name and the source's tags, and is
    // numbered by its place.
    const QString whole = mutagenTags(out("Whole Album.mp3"));
    EXPECT_TRUE(whole.contains("TIT2=Whole Album")) << whole.toStdString();
    EXPECT_TRUE(whole.contains("TRCK=3/3")) << whole.toStdString();

    for (const char* name : {"01 Mr. Jones.ogg", "01 Mr. Jones.wma"}) {
        const QString tags = mutagenTags(out(name));
        EXPECT_TRUE(tags.contains("Mr. Jones")) << name << tags.toStdString();
        EXPECT_TRUE(tags.contains("The Band")) << name << tags.toStdString();
        EXPECT_TRUE(tags.contains("2001")) << name << tags.toStdString();
    }
    EXPECT_TRUE(mutagenTags(out("01 Mr. Jones.ogg")).contains("TrackNumber=1"));
    EXPECT_TRUE(mutagenTags(out("01 Mr. Jones.ogg")).contains("TrackTotal=3"));
    EXPECT_TRUE(mutagenTags(out("02 ACDC Live.wma")).contains("WM/TrackNumber=2"));
    EXPECT_EQ(testsupport::probeTag(out("Whole Album.ogg"), "track"), "3");
    EXPECT_EQ(testsupport::probeTag(out("Whole Album.wma"), "track"), "3");
    expectSourcesUnchanged();
}

TEST_F(CutJobTest, FadesShapeEveryPiecesStartAndEnd)
{
    makeSource(src("tone.wav"), 6.0);
    add({src("tone.wav")});
    session->options().functionChoice = 1;
    session->options().pieceSeconds = 3;
    session->options().fadeIn = true;
    session->options().fadeOut = true;
    session->options().fadeInSeconds = 1;
    session->options().fadeOutSeconds = 1;
    setFormat(1);
    session->cutCommand();
    for (const QString& name : {QString("tone_1.wav"), QString("tone_2.wav")}) {
        const std::vector<int16_t> s = samples(decodePcm16(out(name)));
        ASSERT_EQ(s.size(), 3u * 44100 * 2) << name.toStdString();
        EXPECT_LT(peak(s, 2, 0, 100), 50);
        EXPECT_GT(peak(s, 2, 60000, 80000), 4000) << "the middle is untouched";
        // The fade-out spans exactly the last second: full before it, half
        // way down in its middle, silent at the end.
        EXPECT_GT(peak(s, 2, 2 * 44100 - 1000, 2 * 44100), 4000);
        EXPECT_NEAR(peak(s, 2, 2 * 44100 + 22050 - 200, 2 * 44100 + 22050 + 200), 2048, 150);
        EXPECT_LT(peak(s, 2, 3 * 44100 - 100, 3 * 44100), 50);
    }
}

TEST_F(CutJobTest, StopInTheMiddleKeepsADecodablePartialPieceWithTags)
{
    makeSource(src("long.wav"), 12.0);
    testsupport::ffmpeg({"-i", src("long.wav"), "-c:a", "libmp3lame", "-metadata", "title=Stopped",
                         src("long.mp3")});
    add({src("long.mp3")});
    session->options().functionChoice = 1;
    session->options().pieceSeconds = 6;
    setFormat(0);
    // A click on "Stop" arrives while the first piece is a third done.
    SkinnedWindow* form = session->skin().GetSkinnedWindow(&window);
    ASSERT_NE(form, nullptr);
    QObject::connect(form, &SkinnedWindow::redrawRequested, [this] {
        if (session->state().JobRunning() && session->panel().pbpos().GetText() == "33%")
            session->commands().click("Stop");
    });
    session->splitCommand();

    EXPECT_EQ(outputs(), QStringList{"Stopped_1.mp3"});
    const int64_t frames = decodedFrames(out("Stopped_1.mp3"));
    EXPECT_EQ(frames, 88200);
    EXPECT_EQ(ReadId3v2(out("Stopped_1.mp3")).title, "Stopped");
    EXPECT_EQ(statusLog[0], (QStringList{"Converting", "Finish"}));
    EXPECT_EQ(statusLog.count(1), 0u) << "later rows keep their status";
    EXPECT_EQ(shell.calls.size(), 1) << "a stopped Split still opens the folder";
    expectJobEnded();
    expectSourcesUnchanged();
}

// After a cut the rows still show the finished segments, the open one left
// out; the segment editor works on them at once.
TEST_F(CutJobTest, AfterACutTheFirstRemoveOnASegmentRowRemovesIt)
{
    makeSource(src("first.wav"), 4.0);
    makeSource(src("second.wav"), 5.0);
    add({src("first.wav"), src("second.wav")});
    setFormat(1);
    SkinnedWindow* form = session->skin().GetSkinnedWindow(&window);
    ASSERT_NE(form, nullptr);
    for (const int choice : {0, 3}) {
        session->options().functionChoice = choice;
        session->jobs().list().entry(0).setConfirmedSegments({{0, 1}, {2, 4}});
        session->jobs().list().entry(1).setConfirmedSegments({{0, 1}, {2, 4}});
        ASSERT_TRUE(session->cutCommand());
        SegmentList& rows = session->jobs().segments();
        ASSERT_EQ(rows.count(), 2) << "choice " << choice;
        ASSERT_EQ(rows.status(0), "Finish");

        rows.select(0);
        session->jobs().lv_timeClick();
        session->Skin1Click(form->FindElement("Remove"));
        // Under Unification the shared list is the first file's.
        const int edited = choice == 0 ? 1 : 0;
        EXPECT_EQ(session->jobs().list().entry(edited).segments(),
                  (QVector<Segment>{{2, 4}, {0, choice == 0 ? 5 : 4}}))
            << "choice " << choice;
        ASSERT_EQ(rows.count(), 1);
        EXPECT_EQ(rows.range(0), "00:00:02 - 00:00:04");
        EXPECT_EQ(rows.status(0), "Finish") << "the other rows keep what the job wrote";
        EXPECT_TRUE(prompts.informations.isEmpty());

        // Begin works on the open segment again, which is listed once more.
        session->Skin1Click(form->FindElement("Begin"));
        EXPECT_EQ(rows.count(), 2);
        EXPECT_EQ(rows.status(1), "Uncertain");
        for (const QString& name : outputs())
            QFile::remove(out(name));
    }
}

TEST_F(CutJobTest, RefusesWhileRunningOrWithAnEmptyList)
{
    EXPECT_FALSE(session->cutCommand());
    session->splitCommand();
    EXPECT_TRUE(shell.calls.isEmpty());
    makeSource(src("a.wav"), 1.0);
    add({src("a.wav")});
    session->state().setMode(SessionState::Mode::Running);
    session->splitCommand();
    EXPECT_TRUE(outputs().isEmpty());
    EXPECT_TRUE(shell.calls.isEmpty());
}

} // namespace
