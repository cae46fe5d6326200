// SPDX-License-Identifier: GPL-3.0-or-later
#include "engine/JoinPlan.h"

#include "audio/SampleArray.h"
#include "settings/Options.h"

#include <gtest/gtest.h>

namespace {

// A source as its reader would give it: `seconds` whole seconds at `rate`,
// with `confirmed` segments stored before the open one.
JoinSource source(int seconds, int rate, const QVector<Segment>& confirmed = {}, int channels = 2)
{
    JoinSource s;
    s.frames = int64_t(seconds) * rate;
    s.durationMs = int64_t(seconds) * 1000;
    s.rate = rate;
    s.channels = channels;
    s.file.duration = seconds;
    s.file.sampleCount = s.frames;
    // The segments a job processes: the confirmed ones, or the open one
    // over the whole file while it is the only one.
    s.file.segments = confirmed.isEmpty() ? QVector<Segment>{Segment(0, seconds)} : confirmed;
    return s;
}

struct PartCase {
    int64_t start;
    int64_t sourceFrames;
    int64_t outputFrames;
};

void expectParts(const JoinFilePlan& file, const std::vector<PartCase>& expected)
{
    ASSERT_EQ(file.parts.size(), qsizetype(expected.size()));
    for (size_t k = 0; k < expected.size(); ++k) {
        SCOPED_TRACE(k);
        EXPECT_EQ(file.parts[qsizetype(k)].row, int(k));
        EXPECT_EQ(file.parts[qsizetype(k)].start, expected[k].start);
        EXPECT_EQ(file.parts[qsizetype(k)].sourceFrames, expected[k].sourceFrames);
        EXPECT_EQ(file.parts[qsizetype(k)].outputFrames, expected[k].outputFrames);
    }
}

TEST(PlanJoin, CustomTakesEachFilesConfirmedSegmentsOrItsOnlyOne)
{
    const Options options;
    const JoinPlan plan = planJoin(
        JoinVariant::Custom,
        {source(10, 44100, {{1, 3}, {5, 6}}), source(4, 22050), source(8, 48000, {{2, 9}})},
        options);
    EXPECT_EQ(plan.rate, 44100);
    EXPECT_EQ(plan.channels, 2);
    ASSERT_EQ(plan.files.size(), 3);
    expectParts(plan.files[0], {{44100, 88200, 88200}, {5 * 44100, 44100, 44100}});
    // A list that holds only the open segment gives that segment.
    expectParts(plan.files[1], {{0, 88200, 176400}});
    // Never outside the file: 2 to 9 s of an 8-s file ends at its end.
    expectParts(plan.files[2], {{96000, 6 * 48000, 264600}});
    EXPECT_EQ(plan.files[1].rate, 22050);
    EXPECT_EQ(plan.expectedTotal, 88200 + 44100 + 88200 + 6 * 48000);
    EXPECT_EQ(plan.expectedOutput, 88200 + 44100 + 176400 + 264600);
    EXPECT_EQ(plan.fades.fadeInFrames(), 0);
    EXPECT_EQ(plan.fades.fadeOutFrames(), 0);
}

TEST(PlanJoin, WholeFilesAreCountedAtTheOutputsRateHalfToEven)
{
    JoinSource odd = source(1, 22050);
    odd.frames = 22051; // 44102 frames at the output's rate
    JoinSource half = source(1, 44100);
    half.frames = 88199; // at 22050 Hz 44099.5, rounded to the even 44100
    const JoinPlan up = planJoin(JoinVariant::Whole, {source(2, 44100), odd}, Options());
    expectParts(up.files[1], {{0, 22051, 44102}});
    const JoinPlan down = planJoin(JoinVariant::Whole, {source(2, 22050), half}, Options());
    expectParts(down.files[1], {{0, 88199, 44100}});
    EXPECT_EQ(down.expectedOutput, 44100 + 44100);
}

TEST(PlanJoin, UnifiedAppliesTheFirstFilesSegmentsClippedToEachFile)
{
    const QVector<JoinSource> sources{source(20, 44100, {{0, 10}, {15, 30}, {25, 26}}),
                                      source(60, 44100)};
    const JoinPlan plan = planJoin(JoinVariant::Unified, sources, Options());
    // 25 to 26 lies past the first file's end: a part of no frames, which
    // later segments of the list (not in time order) do not depend on.
    expectParts(plan.files[0], {{0, 441000, 441000}, {661500, 220500, 220500}, {882000, 0, 0}});
    expectParts(plan.files[1],
                {{0, 441000, 441000}, {661500, 661500, 661500}, {1102500, 44100, 44100}});
    EXPECT_EQ(plan.expectedTotal, int64_t(10 + 5 + 10 + 15 + 1) * 44100);
}

TEST(PlanJoin, FadesShapeTheWholeOutputOnTheFirstFilesScale)
{
    Options options;
    options.fadeIn = true;
    options.fadeOut = true;
    options.fadeInSeconds = 2;
    options.fadeOutSeconds = 3;
    const JoinPlan plan =
        planJoin(JoinVariant::Whole, {source(4, 8000, {}, 1), source(5, 8000, {}, 1)}, options);
    EXPECT_EQ(plan.expectedOutput, 9 * 8000);
    EXPECT_EQ(plan.fades.fadeInFrames(), 2 * 8000);
    EXPECT_EQ(plan.fades.fadeOutFrames(), 3 * 8000);
    EXPECT_EQ(plan.fades.fadeOutStart(), 6 * 8000) << "the last three seconds of the output";

    // An output shorter than a fade is faded over its whole length; a fade
    // far past 32 bits of frames still is one.
    options.fadeInSeconds = 60;
    options.fadeOutSeconds = 2000000000;
    const JoinPlan shortOne = planJoin(JoinVariant::Whole, {source(1, 44100)}, options);
    EXPECT_EQ(shortOne.fades.fadeInFrames(), 44100);
    EXPECT_EQ(shortOne.fades.fadeOutFrames(), 44100);
    EXPECT_EQ(shortOne.fades.fadeOutStart(), 0);

    options.fadeIn = false;
    options.fadeOut = false;
    const JoinPlan none = planJoin(JoinVariant::Whole, {source(1, 44100)}, options);
    EXPECT_EQ(none.fades.fadeInFrames(), 0);
    EXPECT_EQ(none.fades.fadeOutFrames(), 0);
}

TEST(PlanJoin, NothingListedPlansNothing)
{
    const JoinPlan plan = planJoin(JoinVariant::Custom, {}, Options());
    EXPECT_TRUE(plan.files.isEmpty());
    EXPECT_EQ(plan.expectedOutput, 0);
}

TEST(FadeEnvelope, EdgesAndGainsFollowTheOutputPosition)
{
    const FadeEnvelope e = FadeEnvelope::over(1000, 300, 400);
    EXPECT_EQ(e.nextEdge(0), 300);
    EXPECT_EQ(e.nextEdge(299), 300);
    EXPECT_EQ(e.nextEdge(300), 600);
    EXPECT_EQ(e.nextEdge(600), INT64_MAX);
    const FadeEnvelope overlapping = FadeEnvelope::over(1000, 700, 700);
    EXPECT_EQ(overlapping.nextEdge(0), 300);
    EXPECT_EQ(overlapping.nextEdge(300), 700);

    // Blocks between the edges get the product of both ramps by position.
    SampleArray a{std::vector<float>(300, 1.0f), 1, 8000};
    SampleArray b{std::vector<float>(400, 1.0f), 1, 8000};
    SampleArray c{std::vector<float>(300, 1.0f), 1, 8000};
    overlapping.apply(a, 0);
    overlapping.apply(b, 300);
    overlapping.apply(c, 700);
    EXPECT_FLOAT_EQ(a.samples[0], 0.0f);
    EXPECT_NEAR(a.samples[299], 299.0f / 699.0f, 1e-5);
    EXPECT_NEAR(b.samples[0], (300.0f / 699.0f) * 1.0f, 1e-5) << "the fade-out begins at 300";
    EXPECT_NEAR(b.samples[200], (500.0f / 699.0f) * (1.0f - 200.0f / 699.0f), 1e-5);
    EXPECT_NEAR(c.samples[0], 1.0f - 400.0f / 699.0f, 1e-5);
    EXPECT_FLOAT_EQ(c.samples[299], 0.0f);
}

} // namespace
