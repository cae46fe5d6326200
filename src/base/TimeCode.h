// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <cstdint>

// Time texts and the integer arithmetic that converts between seconds,
// milliseconds, samples, slider steps and progress. The rounding and the
// order of operands decide which sample a segment starts at, so every
// conversion in the program goes through these functions.
namespace timecode {

// Whole seconds as hh:mm:ss, hours unlimited; a negative time is shown as
// the absolute time behind a minus sign (-00:00:05).
QString FormatTime(int seconds);

// a × b ÷ c with a 64-bit product, rounded half away from zero; -1 when c is
// 0 or the quotient does not fit in 32 bits (the MulDiv rule).
int32_t Scale(int32_t a, int32_t b, int32_t c);

// The same rule for 64-bit operands (sums of sample counts over many files):
// a × b ÷ c with a 128-bit product, rounded half away from zero; -1 when c
// is 0 or the quotient does not fit in 64 bits.
int64_t Scale64(int64_t a, int64_t b, int64_t c);

// The usable range of a slider: its maximum minus its thumb length.
int32_t SliderRange(int32_t maximum, int32_t thumbSize);

// Lower bounds of a file's slider maximum, by how it was added.
inline constexpr int32_t kSliderMinimumFromFileDialog = 1084;
inline constexpr int32_t kSliderMinimumFromFolder = 1014;

// max(lowerBound, durationMs div 500).
int32_t SliderMaximum(int64_t durationMs, int32_t lowerBound);
// Scale(170, maximum, 1100).
int32_t SliderThumbSize(int32_t maximum);

// The conversions of the program; L is the duration in ms, N the sample
// count, S the stored length in whole seconds, n the stored sample count,
// R the slider range, P a slider position. Seconds are multiplied by 1000
// in 64 bits, so that no time overflows before it is scaled; a result that
// does not fit in 32 bits is -1, as Scale gives it.
int32_t SecondsToSample(int32_t t, int32_t N, int32_t L);       // Scale(t×1000, N, L)
int32_t SecondsToSampleStored(int32_t t, int32_t n, int32_t S); // Scale(t×1000, n, S×1000)
int32_t SliderToSeconds(int32_t P, int32_t S, int32_t R);       // Scale(P, S, R)
int32_t SliderToSample(int32_t P, int32_t N, int32_t R);        // Scale(P, N, R)
int32_t SampleToSlider(int32_t x, int32_t R, int32_t N);        // Scale(x, R, N)
int32_t SampleToSeconds(int32_t x, int32_t L, int32_t N);       // Scale(x, L div 1000, N)
int32_t Progress(int32_t part, int32_t whole);                  // Scale(p, 10000, w)
// Progress of a part of a whole counted in 64 bits (the samples of a whole
// job list): 0 to 10000 for 0 ≤ part ≤ whole; -1 when whole is 0.
int32_t Progress64(int64_t part, int64_t whole);

// Clips a slider position into 0 .. range.
int32_t ClipSliderPosition(int32_t position, int32_t range);

} // namespace timecode
