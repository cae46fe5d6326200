// SPDX-License-Identifier: GPL-3.0-or-later
#include "audio/AudioTransform.h"

#include <gtest/gtest.h>

namespace {

SampleArray constant(int frames, int channels, float value)
{
    SampleArray a;
    a.channels = channels;
    a.rate = 44100;
    a.samples.assign(static_cast<size_t>(frames) * channels, value);
    return a;
}

TEST(Fade, FadeInRunsFromSilenceAtTheFirstFrameToFullAtTheLast)
{
    SampleArray a = constant(5, 2, 0.8f);
    AudioTransform::Fade(a, 0.0f, 100.0f);
    const float expected[] = {0.0f, 0.2f, 0.4f, 0.6f, 0.8f};
    for (int i = 0; i < 5; ++i) {
        EXPECT_FLOAT_EQ(a.samples[2 * i], expected[i]) << i;
        // Both channels of a frame get the same gain.
        EXPECT_EQ(a.samples[2 * i], a.samples[2 * i + 1]) << i;
    }
    EXPECT_EQ(a.samples.back(), 0.8f);
}

TEST(Fade, FadeOutEndsInSilenceAndKeepsTheSignsOfTheSamples)
{
    SampleArray a = constant(3, 1, -0.5f);
    AudioTransform::Fade(a, 100.0f, 0.0f);
    EXPECT_EQ(a.samples[0], -0.5f);
    EXPECT_FLOAT_EQ(a.samples[1], -0.25f);
    EXPECT_EQ(a.samples[2], 0.0f);
}

TEST(Fade, PartialRampsAndLongBlocksLandOnTheirEnds)
{
    SampleArray a = constant(4410001, 2, 1.0f);
    AudioTransform::Fade(a, 25.0f, 75.0f);
    EXPECT_EQ(a.samples[0], 0.25f);
    EXPECT_EQ(a.samples[1], 0.25f);
    EXPECT_FLOAT_EQ(a.samples[2 * 2205000], 0.5f);
    EXPECT_EQ(a.samples[a.samples.size() - 1], 0.75f);
    // The ramp never turns back.
    for (size_t i = 2; i < a.samples.size(); i += 2)
        ASSERT_GE(a.samples[i], a.samples[i - 2]) << i;
}

TEST(Fade, OneFrameBlockGetsTheMeanOfTheRamp)
{
    SampleArray in = constant(1, 2, 0.6f);
    AudioTransform::Fade(in, 0.0f, 100.0f);
    EXPECT_FLOAT_EQ(in.samples[0], 0.3f);
    EXPECT_FLOAT_EQ(in.samples[1], 0.3f);
    SampleArray out = constant(1, 2, 0.6f);
    AudioTransform::Fade(out, 100.0f, 0.0f);
    EXPECT_EQ(out.samples, in.samples);
}

TEST(Fade, EmptyBlockAndFullGainChangeNothing)
{
    SampleArray empty;
    AudioTransform::Fade(empty, 0.0f, 100.0f);
    EXPECT_TRUE(empty.samples.empty());
    SampleArray a = constant(3, 2, 0.3f);
    a.samples[3] = -0.7f;
    const SampleArray before = a;
    AudioTransform::Fade(a, 100.0f, 100.0f);
    EXPECT_EQ(a.samples, before.samples);
}

} // namespace
