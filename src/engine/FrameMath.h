// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "audio/RateConversion.h"
#include "base/TimeCode.h"

#include <cstdint>

// Frame arithmetic of the jobs beyond what the time code gives: progress that
// stays 0 for an empty whole and the half-to-even rounding of rate changes.
// Frame positions are scaled with timecode::Scale64.
namespace framemath {

// Progress in hundredths of a percent, 0 .. 10000.
inline int32_t Progress(int64_t done, int64_t total)
{
    if (total <= 0)
        return 0;
    return timecode::Progress64(done, total);
}

// a × b ÷ c rounded to the nearest integer, an exact half to the even one:
// the count the reader's rate conversion delivers.
inline int64_t ScaleHalfEven(int64_t a, int64_t b, int64_t c)
{
    return rateconversion::scaleHalfEven(a, b, c);
}

} // namespace framemath
