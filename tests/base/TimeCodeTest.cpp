// SPDX-License-Identifier: GPL-3.0-or-later
#include "base/TimeCode.h"

#include <gtest/gtest.h>

#include <limits>

using namespace timecode;

TEST(FormatTime, PadsEachPartToTwoDigitsAndLeavesHoursUnlimited)
{
    EXPECT_EQ(FormatTime(0), "00:00:00");
    EXPECT_EQ(FormatTime(59), "00:00:59");
    EXPECT_EQ(FormatTime(61), "00:01:01");
    EXPECT_EQ(FormatTime(3600), "01:00:00");
    EXPECT_EQ(FormatTime(86399), "23:59:59");
    EXPECT_EQ(FormatTime(360000), "100:00:00");
}

TEST(FormatTime, ShowsNegativeTimesAsAbsoluteTimeWithMinus)
{
    EXPECT_EQ(FormatTime(-5), "-00:00:05");
    EXPECT_EQ(FormatTime(-3661), "-01:01:01");
    EXPECT_EQ(FormatTime(std::numeric_limits<int>::min()), "-596523:14:08");
}

TEST(Scale, RoundsHalvesAwayFromZero)
{
    EXPECT_EQ(Scale(1, 1, 2), 1);
    EXPECT_EQ(Scale(-1, 1, 2), -1);
    EXPECT_EQ(Scale(1, -1, 2), -1);
    EXPECT_EQ(Scale(1, 1, -2), -1);
    EXPECT_EQ(Scale(-1, -1, 2), 1);
    EXPECT_EQ(Scale(1, 1, 3), 0);
    EXPECT_EQ(Scale(2, 1, 3), 1);
    EXPECT_EQ(Scale(-2, 1, 3), -1);
    EXPECT_EQ(Scale(5, 3, 2), 8);
}

TEST(Scale, UsesA64BitProduct)
{
    // 100 s of 44.1 kHz audio at 60 s: the product exceeds 32 bits.
    EXPECT_EQ(Scale(60000, 4410000, 100000), 2646000);
    EXPECT_EQ(Scale(std::numeric_limits<int32_t>::max(), std::numeric_limits<int32_t>::max(),
                    std::numeric_limits<int32_t>::max()),
              std::numeric_limits<int32_t>::max());
}

TEST(Scale, GivesMinusOneForZeroDivisorOrOverflow)
{
    EXPECT_EQ(Scale(5, 5, 0), -1);
    EXPECT_EQ(Scale(0, 0, 0), -1);
    EXPECT_EQ(Scale(std::numeric_limits<int32_t>::max(), 2, 1), -1);
    EXPECT_EQ(Scale(std::numeric_limits<int32_t>::min(), 1, 1),
              std::numeric_limits<int32_t>::min());
    EXPECT_EQ(Scale(std::numeric_limits<int32_t>::min(), -1, 1), -1);
    EXPECT_EQ(Scale(std::numeric_limits<int32_t>::min(), std::numeric_limits<int32_t>::min(), -1),
              -1);
}

TEST(Scale64, FollowsTheSameRuleBeyond32Bits)
{
    constexpr int64_t kMax = std::numeric_limits<int64_t>::max();
    EXPECT_EQ(Scale64(1, 1, 2), 1);
    EXPECT_EQ(Scale64(-1, 1, 2), -1);
    EXPECT_EQ(Scale64(5, 5, 0), -1);
    // Sums of sample counts: 30 files of 24 hours at 48 kHz.
    const int64_t whole = int64_t{30} * 24 * 3600 * 48000;
    EXPECT_EQ(Scale64(whole / 3, 10000, whole), 3333);
    EXPECT_EQ(Scale64(kMax, kMax, kMax), kMax);
    EXPECT_EQ(Scale64(kMax, 2, 1), -1);
    EXPECT_EQ(Scale64(std::numeric_limits<int64_t>::min(), 1, 1),
              std::numeric_limits<int64_t>::min());
    EXPECT_EQ(Scale64(std::numeric_limits<int64_t>::min(), -1, 1), -1);
}

TEST(SliderNumbers, HundredSecondFileByBothRoutes)
{
    const int32_t viaDialog = SliderMaximum(100000, kSliderMinimumFromFileDialog);
    EXPECT_EQ(viaDialog, 1084);
    EXPECT_EQ(SliderThumbSize(viaDialog), 168);
    EXPECT_EQ(SliderRange(viaDialog, SliderThumbSize(viaDialog)), 916);

    const int32_t viaFolder = SliderMaximum(100000, kSliderMinimumFromFolder);
    EXPECT_EQ(viaFolder, 1014);
    EXPECT_EQ(SliderThumbSize(viaFolder), 157);
    EXPECT_EQ(SliderRange(viaFolder, SliderThumbSize(viaFolder)), 857);
}

TEST(SliderNumbers, ThousandSecondFileIgnoresTheLowerBounds)
{
    EXPECT_EQ(SliderMaximum(1000000, kSliderMinimumFromFileDialog), 2000);
    EXPECT_EQ(SliderMaximum(1000000, kSliderMinimumFromFolder), 2000);
    EXPECT_EQ(SliderMaximum(1000999, kSliderMinimumFromFolder), 2001);
}

TEST(Conversions, FollowTheOperandOrderOfEachRule)
{
    // A 100.5 s file of 4432050 samples shown on a 1084-step slider.
    const int32_t L = 100500, N = 4432050, S = 100, R = 916;
    EXPECT_EQ(SecondsToSample(60, N, L), Scale(60000, N, L));
    EXPECT_EQ(SecondsToSample(60, N, L), 2646000);
    EXPECT_EQ(SecondsToSampleStored(5, N, S), Scale(5000, N, 100000));
    EXPECT_EQ(SliderToSeconds(458, S, R), 50);
    EXPECT_EQ(SliderToSample(R, N, R), N);
    EXPECT_EQ(SampleToSlider(N, R, N), R);
    // L div 1000 first: 100 s, not 100.5 s.
    EXPECT_EQ(SampleToSeconds(N, L, N), 100);
    EXPECT_EQ(Progress(1, 3), 3333);
    EXPECT_EQ(Progress(2, 3), 6667);
    EXPECT_EQ(Progress(5, 0), -1);
}

// t × 1000 leaves 32 bits above 2,147,483 s; the conversions form it in 64.
TEST(Conversions, SecondsBeyondTheMillisecondRangeDoNotOverflow)
{
    EXPECT_EQ(SecondsToSample(3000000, 8000, 2000000000), 12000);
    EXPECT_EQ(SecondsToSample(2147484, 1000, 1000), -1); // the sample does not fit
    EXPECT_EQ(SecondsToSample(-3000000, 8000, 2000000000), -12000);
    EXPECT_EQ(SecondsToSampleStored(1500000, 1000000, 3000000), 500000);
    EXPECT_EQ(SecondsToSampleStored(std::numeric_limits<int32_t>::max(), 2,
                                    std::numeric_limits<int32_t>::max()),
              2);
    // A day of 48 kHz audio: the whole job list's samples need 64 bits.
    const int64_t day = int64_t{24} * 3600 * 48000 * 3;
    EXPECT_EQ(Progress64(day / 2, day), 5000);
    EXPECT_EQ(Progress64(day, day), 10000);
    EXPECT_EQ(Progress64(1, 0), -1);
}

TEST(Conversions, ClipSliderPositionIntoRange)
{
    EXPECT_EQ(ClipSliderPosition(-4, 916), 0);
    EXPECT_EQ(ClipSliderPosition(917, 916), 916);
    EXPECT_EQ(ClipSliderPosition(400, 916), 400);
}
