#pragma once

#include <cstdint>

// 64-bit forms of the time code arithmetic, for counts that may pass 2^31
// (long joins, progress of long outputs). For arguments that fit in 32 bits
// they give what timecode::Scale gives.
namespace framemath {

__extension__ typedef __int128 Int128;
__extension__ typedef unsigned __int128 UInt128;

// a × b ÷ c rounded half away from zero; -1 when c is 0.
inline int64_t Scale64(int64_t a, int64_t b, int64_t c)
{
    if (c == 0)
        return -1;
    const Int128 product = static_cast<Int128>(a) * b;
    const bool negative = (product < 0) != (c < 0);
    const UInt128 num = static_cast<UInt128>(product < 0 ? -product : product);
    const UInt128 den = static_cast<UInt128>(c < 0 ? -static_cast<Int128>(c) : c);
    UInt128 q = num / den;
    if ((num % den) * 2 >= den)
        ++q;
    return negative ? -static_cast<int64_t>(q) : static_cast<int64_t>(q);
}

// Progress in hundredths of a percent, 0 .. 10000.
inline int32_t Progress(int64_t done, int64_t total)
{
    if (total <= 0)
        return 0;
    return static_cast<int32_t>(Scale64(done, 10000, total));
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
