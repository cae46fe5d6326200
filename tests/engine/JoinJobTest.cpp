// SPDX-License-Identifier: GPL-3.0-or-later
#include "JobSessionFixture.h"

#include "base/TimeCode.h"
#include "engine/FrameMath.h"
#include "engine/JoinJob.h"
#include "skin/SkinnedWindow.h"

namespace {

using namespace enginetest;

using JoinJobTest = JobSessionTest;

TEST_F(JoinJobTest, TheSaveDialogSetsTheFormatAndTheExtensionIsNotDoubled)
{
    makeSource(src("a.wav"), 1.0);
    add({src("a.wav")});
    setFormat(3);
    prompts.joinAnswer = {out("mix"), 2};
    session->joinCommand();
    EXPECT_EQ(prompts.joinFilters,
              QStringList{"MP3 Files(*.mp3)|*.mp3|WAV Files(*.wav)|*.wav|WMA Files(*.wma)|*.wma|"
                          "OGG Files(*.ogg)|*.ogg"});
    EXPECT_EQ(prompts.joinFilterIndexShown, 4) << "the dialog opens on cb_format's type";
    EXPECT_EQ(prompts.joinFolderShown, outDir());
    EXPECT_EQ(session->jobPanel().outputFormat(), OutputFormat::Wav)
        << "the chosen type becomes cb_format's";
    EXPECT_EQ(outputs(), QStringList{"mix.wav"});
    EXPECT_EQ(shell.calls, QStringList{"folder:" + outDir()});

    prompts.joinAnswer = {out("tape.MP3"), 1};
    session->joinCommand();
    EXPECT_EQ(outputs(), (QStringList{"mix.wav", "tape.MP3"}));
    EXPECT_EQ(session->jobPanel().outputFormat(), OutputFormat::Mp3);
    expectJobEnded();
}

TEST_F(JoinJobTest, TheFolderOpenedIsTheTargetsNotTheOutputFolder)
{
    makeSource(src("a.wav"), 1.0);
    add({src("a.wav")});
    QDir(dir.path()).mkdir("elsewhere");
    prompts.joinAnswer = {dir.filePath("elsewhere/mix.wav"), 2};
    session->joinCommand();
    EXPECT_TRUE(QFileInfo::exists(dir.filePath("elsewhere/mix.wav")));
    EXPECT_EQ(shell.calls, QStringList{"folder:" + dir.filePath("elsewhere") + "/"});
}

TEST_F(JoinJobTest, ACancelledDialogRunsNothingAndOpensNoFolder)
{
    makeSource(src("a.wav"), 1.0);
    add({src("a.wav")});
    prompts.joinAnswer = {};
    session->joinCommand();
    EXPECT_TRUE(outputs().isEmpty());
    EXPECT_TRUE(shell.calls.isEmpty());
}

TEST_F(JoinJobTest, ATargetThatIsASourceIsRefused)
{
    makeSource(src("a.wav"), 1.0);
    add({src("a.wav")});
    prompts.joinAnswer = {dir.path() + "/src/../src/a.wav", 2};
    session->joinCommand();
    ASSERT_EQ(prompts.informations.size(), 1);
    EXPECT_TRUE(prompts.informations[0].contains("one of the files to join"));
    EXPECT_TRUE(shell.calls.isEmpty());
    expectSourcesUnchanged();
}

TEST_F(JoinJobTest, ConfirmedSegmentsAreJoinedBitIdentically)
{
    makeNoiseWav(src("a.wav"), 3.0);
    makeNoiseWav(src("b.wav"), 4.0);
    add({src("a.wav"), src("b.wav")});
    session->jobs().list().entry(0).setConfirmedSegments({{0, 1}});
    session->jobs().list().entry(1).setConfirmedSegments({{1, 3}, {3, 4}});
    prompts.joinAnswer = {out("mix.wav"), 2};
    session->joinCommand();

    const QByteArray a = decodePcm16(src("a.wav"));
    const QByteArray b = decodePcm16(src("b.wav"));
    const int second = 44100 * 4;
    EXPECT_TRUE(decodePcm16(out("mix.wav")) == a.left(second) + b.mid(second, 3 * second));
    // The entries keep their counts; the rows show the last file's parts.
    EXPECT_EQ(session->jobs().list().entry(1).segmentCount, 3);
    EXPECT_EQ(session->jobs().segments().count(), 2);
    EXPECT_EQ(statusLog[1], (QStringList{"Converting", "Finish"}));
    expectJobEnded();
    expectSourcesUnchanged();
}

TEST_F(JoinJobTest, MixedRatesAndChannelsAreConvertedToTheFirstFilesFormat)
{
    makeSource(src("first.wav"), 2.0, 44100, 2);
    makeSource(src("mono.wav"), 1.0, 22050, 1);
    makeSource(src("fast.wav"), 1.0, 48000, 2);
    add({src("first.wav"), src("mono.wav"), src("fast.wav")});
    session->options().functionChoice = 2; // whole files under choices 1 and 2
    prompts.joinAnswer = {out("mix.wav"), 2};
    session->joinCommand();
    ASSERT_TRUE(prompts.errors.isEmpty()) << prompts.errors.join("\n").toStdString();

    EXPECT_EQ(probe(out("mix.wav")).rate, 44100);
    EXPECT_EQ(probe(out("mix.wav")).channels, 2);
    // 2 s, then a second from 22050 Hz and a second from 48000 Hz.
    EXPECT_NEAR(decodedFrames(out("mix.wav")), 4 * 44100, 2);
    // The mono file reaches both channels.
    const std::vector<int16_t> s = samples(decodePcm16(out("mix.wav")));
    int left = 0, right = 0;
    for (int64_t i = 2 * 44100 + 1000; i < 3 * 44100 - 1000; ++i) {
        left = std::max(left, std::abs(int(s[size_t(2 * i)])));
        right = std::max(right, std::abs(int(s[size_t(2 * i + 1)])));
    }
    EXPECT_GT(left, 1000);
    EXPECT_GT(right, 1000);
    EXPECT_EQ(session->jobs().segments().count(), 1);
    EXPECT_EQ(session->jobs().segments().range(0), "00:00:00 - 00:00:01");
    expectSourcesUnchanged();
}

TEST_F(JoinJobTest, AMonoPartAfterAStereoFileKeepsItsLevel)
{
    makeSource(src("first.wav"), 1.0, 44100, 2);
    makeSource(src("mono.wav"), 1.0, 44100, 1);
    makeSource(src("mono22.wav"), 1.0, 22050, 1);
    add({src("first.wav"), src("mono.wav"), src("mono22.wav")});
    session->options().functionChoice = 1;
    prompts.joinAnswer = {out("mix.wav"), 2};
    session->joinCommand();
    ASSERT_TRUE(prompts.errors.isEmpty()) << prompts.errors.join("\n").toStdString();

    // The mono channel is copied into both sides at its own level, as a cut
    // to stereo does, not 3 dB down.
    const int sourcePeak = peak(samples(decodePcm16(src("mono.wav"))), 1, 0, 44100);
    const std::vector<int16_t> s = samples(decodePcm16(out("mix.wav")));
    for (const int second : {1, 2}) {
        int left = 0, right = 0;
        for (int64_t i = second * 44100 + 1000; i < (second + 1) * 44100 - 1000; ++i) {
            left = std::max(left, std::abs(int(s[size_t(2 * i)])));
            right = std::max(right, std::abs(int(s[size_t(2 * i + 1)])));
        }
        EXPECT_NEAR(left, sourcePeak, sourcePeak / 50) << second;
        EXPECT_NEAR(right, sourcePeak, sourcePeak / 50) << second;
    }
}

TEST_F(JoinJobTest, FadesShapeTheOutputsEndsNeverItsJoints)
{
    for (const char* name : {"a.wav", "b.wav", "c.wav"})
        makeSource(src(name), 2.0);
    add({src("a.wav"), src("b.wav"), src("c.wav")});
    session->options().functionChoice = 1;
    session->options().fadeIn = true;
    session->options().fadeOut = true;
    session->options().fadeInSeconds = 1;
    session->options().fadeOutSeconds = 3; // reaches back into the second file
    prompts.joinAnswer = {out("mix.wav"), 2};
    session->joinCommand();

    const std::vector<int16_t> s = samples(decodePcm16(out("mix.wav")));
    const int64_t end = 6 * 44100;
    ASSERT_EQ(int64_t(s.size()), end * 2);
    EXPECT_LT(peak(s, 2, 0, 100), 50);
    // Full from the end of the fade-in to the start of the fade-out, over the
    // first joint.
    EXPECT_GT(peak(s, 2, 44100 + 1000, 2 * 44100 + 1000), 4000);
    EXPECT_GT(peak(s, 2, 3 * 44100 - 1000, 3 * 44100), 4000);
    // The fade-out runs over the last three seconds without a jump at the
    // joint between the second and third file.
    EXPECT_NEAR(peak(s, 2, 4 * 44100 - 300, 4 * 44100), 2730, 120);
    EXPECT_NEAR(peak(s, 2, 4 * 44100, 4 * 44100 + 300), 2730, 120);
    EXPECT_LT(peak(s, 2, end - 100, end), 50);
}

TEST_F(JoinJobTest, UnifiedSegmentsAreClippedToEachFile)
{
    makeSource(src("short.wav"), 3.0);
    makeSource(src("long.wav"), 6.0);
    add({src("short.wav"), src("long.wav")});
    session->jobs().list().entry(0).setConfirmedSegments({{0, 1}, {2, 4}, {5, 6}});
    session->options().functionChoice = 3;
    prompts.joinAnswer = {out("mix.wav"), 2};
    session->joinCommand();
    // 0-1 and 2-3 of the first, 0-1, 2-4 and 5-6 of the second.
    EXPECT_EQ(decodedFrames(out("mix.wav")), 6 * 44100);
    EXPECT_EQ(session->jobs().list().entry(0).segmentCount, 4);
    expectSourcesUnchanged();
}

TEST_F(JoinJobTest, StopHalfwayLeavesAValidShorterOutput)
{
    for (const char* name : {"a.wav", "b.wav"})
        makeSource(src(name), 6.0);
    add({src("a.wav"), src("b.wav")});
    session->options().functionChoice = 1;
    session->options().fadeOut = true;
    session->options().fadeOutSeconds = 1;
    SkinnedWindow* form = session->skin().GetSkinnedWindow(&window);
    QObject::connect(form, &SkinnedWindow::redrawRequested, [this] {
        if (session->state().JobRunning() && session->panel().pbpos().GetText() == "33%")
            session->commands().click("Stop");
    });
    prompts.joinAnswer = {out("mix.wav"), 2};
    session->joinCommand();
    EXPECT_EQ(decodedFrames(out("mix.wav")), 2 * 88200);
    EXPECT_EQ(shell.calls.size(), 1);
    expectJobEnded();
}

TEST(JoinProgress, CountsPast2To31FramesIn64Bits)
{
    // A 20-hour join at 44100 Hz holds more than 3 * 10^9 frames.
    const int64_t total = int64_t(20) * 3600 * 44100;
    EXPECT_EQ(framemath::Progress(total / 2, total), 5000);
    EXPECT_EQ(framemath::Progress(total - 1, total), 10000);
    EXPECT_EQ(framemath::Progress(total / 10000 * 9999, total), 9999);
    // Below 2^31 the 64-bit arithmetic is the time code's Scale.
    for (int32_t a : {0, 1, 7, 12345, 2000000000})
        EXPECT_EQ(timecode::Scale64(a, 10000, 2100000000), timecode::Scale(a, 10000, 2100000000));
    EXPECT_EQ(framemath::ScaleHalfEven(88199, 1, 4), 22050);
    EXPECT_EQ(framemath::ScaleHalfEven(88197, 1, 2), 44098);
    EXPECT_EQ(framemath::ScaleHalfEven(88199, 1, 2), 44100);
}

} // namespace
