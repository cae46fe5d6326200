// SPDX-License-Identifier: GPL-3.0-or-later
#include "player/Preview.h"
#include "audio/AudioError.h"
#include "audio/AudioFile.h"
#include "audio/AudioPlayer.h"
#include "base/SessionState.h"
#include "base/TimeCode.h"
#include "player/PreviewTesting.h"
#include "support/FakeSeams.h"
#include "support/TestSupport.h"
#include "support/WaitFor.h"

#include <gtest/gtest.h>

#include <QTemporaryDir>

#include <memory>

using namespace previewtest;
using testsupport::waitFor;
using timecode::Scale;

namespace {

class PreviewTest : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        files = new QTemporaryDir;
        writeIndexedWav(longFile(), 300);
        writeIndexedWav(shortFile(), 60);
    }
    static void TearDownTestSuite()
    {
        delete files;
        files = nullptr;
    }
    static QString longFile() { return files->filePath("long.wav"); }
    static QString shortFile() { return files->filePath("short.wav"); }

    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        // Plays into a file, 16 times faster than real time at 8000 Hz.
        qputenv("SDL_AUDIODRIVER", "disk");
        qputenv("SDL_DISKAUDIOFILE", QFile::encodeName(dir.filePath("played.raw")));
        qputenv("SDL_DISKAUDIODELAY", "8");
        reader.SetEnabled(true);
        player = std::make_unique<AudioPlayer>();
        preview = std::make_unique<Preview>(reader, *player, list, state, prompts);
        preview->attachSlider(panel.pb);
        QObject::connect(preview.get(), &Preview::positionTimeChanged,
                         [this](const QString& text) { time.SetText(text); });
    }

    // A file and its stored segments, in whole seconds.
    void addFile(const QString& path, int seconds,
                 const std::vector<std::pair<int, int>>& segments = {})
    {
        std::vector<PreviewSource::Segment> bounds;
        for (const auto& [begin, end] : segments)
            bounds.push_back({begin * 1000, end * 1000, {}, {}});
        list.entries.push_back({path, seconds, std::move(bounds)});
    }
    void select(int row)
    {
        list.selectedFile = row;
        panel.prepareFor(list.entries.at(row).seconds);
    }
    int range() const { return panel.pb.range(); }
    bool playedAtLeast(int frames) { return player->framesPlayed() >= frames; }
    // The source frames that reached the device, in runs of consecutive frames.
    std::vector<PlayedRun> playedRuns()
    {
        preview.reset();
        player.reset(); // the disk driver's file is complete once closed
        return runs(playedIndices(testsupport::readAll(dir.filePath("played.raw"))));
    }
    void drag(int position)
    {
        preview->Skin1MouseDown("pb");
        panel.pb.SetPosition(position);
        preview->Skin1ScrollTrack("pb");
        preview->Skin1MouseUp("pb");
    }

    static inline QTemporaryDir* files = nullptr;
    QTemporaryDir dir;
    RecordingPrompts prompts;
    AudioFile reader;
    JobListStandIn list;
    SessionState state;
    PanelElements panel;
    TimeLabel& time = panel.timecaption;
    std::unique_ptr<AudioPlayer> player;
    std::unique_ptr<Preview> preview;
};

constexpr int kLongFrames = 300 * kRate;

} // namespace

TEST_F(PreviewTest,
       PlayingFromTheMiddleOfTheSliderStartsAtTheScaledSampleAndASecondPlayChangesNothing)
{
    addFile(longFile(), 300);
    select(0);
    ASSERT_EQ(range(), 916);
    panel.pb.SetPosition(458);
    preview->PlaySelection();
    ASSERT_TRUE(state.PreviewActive());
    EXPECT_EQ(state.PreviewStartSample(), Scale(458, kLongFrames, 916));
    EXPECT_EQ(state.PreviewStartSample(), kLongFrames / 2);
    ASSERT_TRUE(waitFor([&] { return playedAtLeast(2 * kRate); }, "two seconds played"));

    panel.pb.SetPosition(0);
    preview->PlaySelection();
    preview->PlayFromSlider();
    EXPECT_EQ(state.PreviewStartSample(), kLongFrames / 2) << "a second play is ignored";
    // The display follows the player's polls, which may lag behind the
    // device on a busy machine, and the time may have reached its mark
    // before the slider was moved away: wait for the device, the time and
    // the slider's return.
    ASSERT_TRUE(waitFor(
        [&] {
            return playedAtLeast(4 * kRate) && !time.shown.isEmpty() &&
                   time.shown.back() >= "00:02:32" && panel.pb.GetPosition() >= 458;
        },
        "four seconds played and shown"))
        << time.shown.join(' ').toStdString();
    EXPECT_GE(time.shown.front(), "00:02:30") << time.shown.join(' ').toStdString();
    EXPECT_GE(panel.pb.GetPosition(), 458);

    preview->StopPreview();
    EXPECT_FALSE(state.PreviewActive());
    EXPECT_EQ(panel.pb.GetPosition(), 0);
    EXPECT_EQ(time.GetText(), "00:00:00");
    EXPECT_FALSE(reader.IsOpen());

    const auto played = playedRuns();
    ASSERT_EQ(played.size(), 1u) << "one stretch of the file, from one start";
    EXPECT_EQ(played[0].first, kLongFrames / 2);
    EXPECT_GE(played[0].length, 4 * kRate);
    EXPECT_TRUE(prompts.errors.isEmpty()) << prompts.errors.join('\n').toStdString();
}

TEST_F(PreviewTest, ASegmentPlaysFromItsBeginAndStopsByItselfAtItsEndRestoringItsStatus)
{
    addFile(longFile(), 300, {{60, 90}, {0, 0}});
    list.statuses = QStringList{"OK", "Uncertain"};
    select(0);
    list.selectedSegment = 0;
    state.setSegmentSelected(true);
    preview->PlaySelection();
    ASSERT_TRUE(state.PreviewActive());
    EXPECT_TRUE(preview->playsSegment());
    EXPECT_EQ(list.statuses[0], "Playing");
    EXPECT_EQ(state.PreviewStartSample(), 0);

    ASSERT_TRUE(waitFor([&] { return !state.PreviewActive(); },
                        "the preview to stop once the segment's length has played"));
    EXPECT_EQ(list.statuses, (QStringList{"OK", "Uncertain"}));
    EXPECT_EQ(panel.pb.GetPosition(), 0);
    EXPECT_EQ(time.GetText(), "00:00:00");

    // The time counts the segment's seconds up to its length, then resets.
    ASSERT_GE(time.shown.size(), 2);
    const QString last = time.shown[time.shown.size() - 2];
    EXPECT_GE(last, "00:00:30");
    EXPECT_LT(last, "00:01:30") << "stopped long before the file's end";
    EXPECT_TRUE(std::is_sorted(time.shown.begin(), time.shown.end() - 1));

    const auto played = playedRuns();
    ASSERT_FALSE(played.empty());
    EXPECT_EQ(played[0].first, 60 * kRate);
    EXPECT_GE(played[0].length, 30 * kRate);
    EXPECT_LT(played[0].length, 120 * kRate) << "the rest of the file is not played";
    EXPECT_TRUE(prompts.errors.isEmpty()) << prompts.errors.join('\n').toStdString();
}

TEST_F(PreviewTest,
       UnderUnificationTheFirstFilesBoundsPlayAndReleasingMidwayJumpsToTheSegmentsMiddle)
{
    addFile(shortFile(), 60, {{60, 90}, {0, 0}});
    addFile(longFile(), 300, {{10, 20}});
    list.statuses = QStringList{"OK", "Uncertain"};
    list.choice = 3;
    select(1);
    list.selectedSegment = 0;
    state.setSegmentSelected(true);
    preview->PlaySelection();
    ASSERT_TRUE(state.PreviewActive());
    EXPECT_EQ(state.PreviewFileIndex(), 1);

    preview->Skin1MouseDown("pb");
    panel.pb.SetPosition(range() / 2);
    preview->Skin1ScrollTrack("pb");
    EXPECT_EQ(time.GetText(), "00:00:15") << "dragging shows the time inside the segment";
    preview->Skin1MouseUp("pb");
    EXPECT_FALSE(state.SliderDragging());
    EXPECT_EQ(state.PreviewStartSample(), 15 * kRate);
    time.shown.clear();
    // The display follows the player's polls, which may lag behind what the
    // device has taken on a busy machine: wait for both.
    ASSERT_TRUE(waitFor(
        [&] {
            return playedAtLeast(2 * kRate) && !time.shown.isEmpty() &&
                   time.shown.back() >= "00:00:16";
        },
        "the time to go on to 00:00:16"));
    EXPECT_GE(time.shown.front(), "00:00:15") << "the time goes on from the new point";
    preview->StopPreview();

    // What reached the device before the jump (the device's own buffer at
    // most) came from the segment's begin; then the file from 75 s on.
    const auto played = playedRuns();
    ASSERT_FALSE(played.empty());
    if (played.size() == 2) {
        EXPECT_EQ(played[0].first, 60 * kRate);
        EXPECT_LT(played[0].first + played[0].length, 75 * kRate);
    }
    ASSERT_LE(played.size(), 2u);
    EXPECT_EQ(played.back().first, 75 * kRate) << "released at the middle: 75 s into the file";
    EXPECT_GE(played.back().length, 2 * kRate);
}

TEST_F(PreviewTest, TheEndOfTheFileEndsThePreviewWithItsLastFramePlayed)
{
    addFile(longFile(), 300);
    select(0);
    panel.pb.SetPosition(range() - 10);
    preview->PlaySelection();
    ASSERT_TRUE(waitFor([&] { return !state.PreviewActive(); }, "the end of the file"));
    EXPECT_EQ(panel.pb.GetPosition(), 0);
    const auto played = playedRuns();
    ASSERT_EQ(played.size(), 1u);
    EXPECT_EQ(played[0].first, Scale(range() - 10, kLongFrames, 916));
    EXPECT_GT(played[0].first + played[0].length, kLongFrames - kRate);
    EXPECT_LE(played[0].first + played[0].length, kLongFrames);
}

TEST_F(PreviewTest, AFileThatCannotBeOpenedLeavesThePreviewIdleForTheNextPlay)
{
    addFile(dir.filePath("gone.mp3"), 100, {{5, 10}});
    addFile(longFile(), 300);
    list.statuses = QStringList{"OK"};
    select(0);
    panel.pb.SetPosition(300);
    time.SetText("00:00:33");
    EXPECT_THROW(preview->PlayFromSlider(), AudioError);
    EXPECT_FALSE(state.PreviewActive());
    EXPECT_EQ(panel.pb.GetPosition(), 0);
    EXPECT_EQ(time.GetText(), "00:00:00");

    list.selectedSegment = 0;
    EXPECT_THROW(preview->PlaySegment(), AudioError);
    EXPECT_FALSE(state.PreviewActive());
    EXPECT_EQ(list.statuses[0], "OK");

    select(1);
    preview->PlayFromSlider();
    EXPECT_TRUE(state.PreviewActive()) << "the next play works at once";
    EXPECT_TRUE(waitFor([&] { return playedAtLeast(kRate); }, "a second played"));
}

TEST_F(PreviewTest, NothingPlaysWhileAJobRunsOrWithoutASelectedFile)
{
    addFile(longFile(), 300);
    preview->PlaySelection();
    EXPECT_FALSE(state.PreviewActive()) << "no file row selected";
    select(0);
    state.setMode(SessionState::Mode::Running);
    preview->PlaySelection();
    preview->PlayFromSlider();
    EXPECT_FALSE(state.PreviewActive());
    EXPECT_FALSE(reader.IsOpen());
}

TEST_F(PreviewTest, StepsMoveByTheRangeOverTheDurationAndStopShortOfTheEnd)
{
    addFile(shortFile(), 60);
    addFile(longFile(), 2000); // only its length matters here
    addFile(shortFile(), 0);
    select(0);
    ASSERT_EQ(range(), 916);
    preview->StepForward();
    EXPECT_EQ(panel.pb.GetPosition(), 15);
    EXPECT_EQ(time.GetText(), "00:00:01");
    preview->StepForward();
    EXPECT_EQ(panel.pb.GetPosition(), 30);
    preview->StepBack();
    preview->StepBack();
    preview->StepBack();
    EXPECT_EQ(panel.pb.GetPosition(), 0) << "stepping back stops at 0";

    panel.pb.SetPosition(905);
    time.SetText("x");
    preview->StepForward();
    EXPECT_EQ(panel.pb.GetPosition(), 905) << "a step past the end moves nothing";
    EXPECT_EQ(time.GetText(), "x");

    select(1);
    const int longRange = range();
    ASSERT_EQ(longRange / 2000, 1);
    preview->StepForward();
    EXPECT_EQ(panel.pb.GetPosition(), 2) << "a step of 1 becomes 2";

    select(2);
    panel.pb.SetPosition(40);
    time.SetText("y");
    preview->StepForward();
    preview->StepBack();
    EXPECT_EQ(panel.pb.GetPosition(), 40) << "a file of no length is not stepped";
    EXPECT_EQ(time.GetText(), "y");

    select(0);
    preview->PlayFromSlider();
    ASSERT_TRUE(state.PreviewActive());
    const int before = panel.pb.GetPosition();
    preview->StepForward();
    EXPECT_EQ(panel.pb.GetPosition(), before) << "no stepping while playing";
}

TEST_F(PreviewTest, DraggingWhileIdleShowsTheTimeAndOnlyTheSliderCounts)
{
    addFile(longFile(), 300);
    select(0);
    preview->Skin1MouseDown("volume");
    EXPECT_FALSE(state.SliderDragging());

    panel.pb.SetPosition(458);
    preview->Skin1ScrollTrack("pb");
    EXPECT_TRUE(time.shown.isEmpty()) << "not pressed: nothing shown";

    preview->Skin1MouseDown("pb");
    EXPECT_TRUE(state.SliderDragging());
    preview->Skin1ScrollTrack("pb");
    EXPECT_EQ(time.GetText(), "00:02:30");
    panel.pb.SetPosition(1000);
    preview->Skin1ScrollTrack("pb");
    EXPECT_EQ(state.SliderPosition(), 916) << "clipped to the range";
    EXPECT_EQ(time.GetText(), "00:05:00");
    preview->Skin1MouseUp("pb");
    EXPECT_FALSE(state.SliderDragging());
    EXPECT_FALSE(state.PreviewActive());

    // Released at the end while playing: the preview ends.
    panel.pb.SetPosition(0);
    preview->PlayFromSlider();
    ASSERT_TRUE(state.PreviewActive());
    drag(range());
    EXPECT_FALSE(state.PreviewActive());
}

TEST_F(PreviewTest, ThePlayerRefusesBlocksOfAnotherRateOrChannelCount)
{
    player->OpenOutput(kRate, 2);
    SampleArray block;
    block.channels = 2;
    block.rate = 44100;
    block.samples.assign(200, 0.1f);
    EXPECT_THROW(player->QueueBlock(block), AudioError);
    block.rate = kRate;
    block.channels = 1;
    EXPECT_THROW(player->QueueBlock(block), AudioError);
    block.channels = 2;
    EXPECT_NO_THROW(player->QueueBlock(block));
}
