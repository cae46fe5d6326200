#pragma once

#include "base/TimeCode.h"

#include <cstdint>

// Frame arithmetic of the jobs beyond what the time code gives: progress that
// stays 0 for an empty whole and the half-to-even rounding of rate changes.
// Frame positions are scaled with timecode::Scale64.
namespace framemath {

__extension__ typedef __int128 Int128;

// Progress in hundredths of a percent, 0 .. 10000.
inline int32_t Progress(int64_t done, int64_t total)
{
    if (total <= 0)
        return 0;
    return timecode::Progress64(done, total);
}

// a × b ÷ c rounded to the nearest integer, an exact half to the even one.
inline int64_t ScaleHalfEven(int64_t a, int64_t b, int64_t c)
{
    if (c <= 0)
        return 0;
    const Int128 product = static_cast<Int128>(a) * b;
    Int128 q = product / c;
    const Int128 r = product % c;
    if (r * 2 > c || (r * 2 == c && (q & 1) != 0))
        ++q;
    return static_cast<int64_t>(q);
}

} // namespace framemath
