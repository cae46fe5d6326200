// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <bit>
#include <cstdint>

// Float to integer PCM with the same scaling as FFmpeg's conversion (so that
// a round trip through our writer and FFmpeg's reader is exact): scale by
// 2^(bits-1), round to nearest with ties to even, clamp; NaN is silence.
//
// Written without a libm call and without float comparisons, so that loops
// over it vectorise: GCC will not turn a float comparison into a select
// while floating-point exceptions count as side effects, so the range is
// limited on the bit pattern instead, where integer order matches the order
// of magnitudes.
namespace pcmsample {

// Adding 1.5 × 2^23 to a float of magnitude below 2^22 leaves no bits for
// its fraction, so the sum is rounded to an integer by the current rounding
// mode (nearest, ties to even); taking it away again is exact.
constexpr float kRoundingBias = 12582912.0f;

template <int Bits> inline int32_t scaled(float x)
{
    constexpr float full = float(1 << (Bits - 1));
    constexpr uint32_t fullBits = std::bit_cast<uint32_t>(full);
    constexpr uint32_t infinityBits = 0x7f800000u;
    // Exact, the scale being a power of two.
    const uint32_t bits = std::bit_cast<uint32_t>(x * full);
    uint32_t magnitude = bits & 0x7fffffffu;
    magnitude = magnitude > infinityBits ? 0u : magnitude;
    magnitude = magnitude < fullBits ? magnitude : fullBits;
    float y = std::bit_cast<float>(magnitude | (bits & 0x80000000u));
    y = (y + kRoundingBias) - kRoundingBias;
    const int32_t v = static_cast<int32_t>(y);
    // Only +full itself is still out of range.
    return v < (1 << (Bits - 1)) - 1 ? v : (1 << (Bits - 1)) - 1;
}

inline int16_t toInt16(float x)
{
    return static_cast<int16_t>(scaled<16>(x));
}

inline uint8_t toUnsigned8(float x)
{
    return static_cast<uint8_t>(scaled<8>(x) + 128);
}

} // namespace pcmsample
