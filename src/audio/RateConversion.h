// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>

// How many frames a change of rate makes. The reader's conversion delivers
// exactly convertedFrames(n, from, to) frames for n source frames, and the
// jobs plan their outputs with the same count, so that what is planned and
// what is read agree to the frame.
namespace rateconversion {

__extension__ typedef __int128 Int128;

// a × b ÷ c rounded to the nearest integer, an exact half to the even one;
// 0 when c is not positive.
inline int64_t scaleHalfEven(int64_t a, int64_t b, int64_t c)
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

inline int64_t convertedFrames(int64_t frames, int fromRate, int toRate)
{
    return fromRate == toRate ? frames : scaleHalfEven(frames, toRate, fromRate);
}

} // namespace rateconversion
