// SPDX-License-Identifier: GPL-3.0-or-later
#include "base/TimeCode.h"

#include <algorithm>
#include <cstdlib>
#include <limits>

namespace timecode {

QString FormatTime(int seconds)
{
    const int64_t s = std::llabs(static_cast<int64_t>(seconds));
    const int64_t hours = s / 3600;
    const int64_t minutes = (s - hours * 3600) / 60;
    const int64_t secs = s % 60;
    QString text = QStringLiteral("%1:%2:%3")
                       .arg(hours, 2, 10, QLatin1Char('0'))
                       .arg(minutes, 2, 10, QLatin1Char('0'))
                       .arg(secs, 2, 10, QLatin1Char('0'));
    if (seconds < 0)
        text.prepend(QLatin1Char('-'));
    return text;
}

int32_t Scale(int32_t a, int32_t b, int32_t c)
{
    if (c == 0)
        return -1;
    const int64_t product = static_cast<int64_t>(a) * static_cast<int64_t>(b);
    const bool negative = (product < 0) != (c < 0);
    // |product| ≤ 2^62 and |c| ≤ 2^31, so the absolute values fit in 64 bits.
    const uint64_t num = static_cast<uint64_t>(product < 0 ? -product : product);
    const uint64_t den = static_cast<uint64_t>(c < 0 ? -static_cast<int64_t>(c) : c);
    uint64_t q = num / den;
    if ((num % den) * 2 >= den)
        ++q;
    if (negative) {
        if (q > static_cast<uint64_t>(std::numeric_limits<int32_t>::max()) + 1)
            return -1;
        return static_cast<int32_t>(-static_cast<int64_t>(q));
    }
    if (q > static_cast<uint64_t>(std::numeric_limits<int32_t>::max()))
        return -1;
    return static_cast<int32_t>(q);
}

int64_t Scale64(int64_t a, int64_t b, int64_t c)
{
    if (c == 0)
        return -1;
    __extension__ using Wide = __int128;
    __extension__ using UWide = unsigned __int128;
    const Wide product = static_cast<Wide>(a) * b;
    const bool negative = (product < 0) != (c < 0);
    const UWide num = static_cast<UWide>(product < 0 ? -product : product);
    const UWide den = static_cast<UWide>(c < 0 ? -static_cast<Wide>(c) : c);
    UWide q = num / den;
    if ((num % den) * 2 >= den)
        ++q;
    constexpr UWide kMax = static_cast<UWide>(std::numeric_limits<int64_t>::max());
    if (negative) {
        if (q > kMax + 1)
            return -1;
        return static_cast<int64_t>(-static_cast<Wide>(q));
    }
    if (q > kMax)
        return -1;
    return static_cast<int64_t>(q);
}

namespace {

// The 32-bit rule's answer for a quotient formed in 64 bits.
int32_t narrow(int64_t value)
{
    if (value < std::numeric_limits<int32_t>::min() || value > std::numeric_limits<int32_t>::max())
        return -1;
    return static_cast<int32_t>(value);
}

} // namespace

int32_t SliderRange(int32_t maximum, int32_t thumbSize)
{
    return maximum - thumbSize;
}

int32_t SliderMaximum(int64_t durationMs, int32_t lowerBound)
{
    const int64_t steps = durationMs / 500;
    return static_cast<int32_t>(std::max<int64_t>(steps, lowerBound));
}

int32_t SliderThumbSize(int32_t maximum)
{
    return Scale(170, maximum, 1100);
}

int32_t SecondsToSample(int32_t t, int32_t N, int32_t L)
{
    return narrow(Scale64(int64_t{t} * 1000, N, L));
}

int32_t SecondsToSampleStored(int32_t t, int32_t n, int32_t S)
{
    return narrow(Scale64(int64_t{t} * 1000, n, int64_t{S} * 1000));
}

int32_t SliderToSeconds(int32_t P, int32_t S, int32_t R)
{
    return Scale(P, S, R);
}

int32_t SliderToSample(int32_t P, int32_t N, int32_t R)
{
    return Scale(P, N, R);
}

int32_t SampleToSlider(int32_t x, int32_t R, int32_t N)
{
    return Scale(x, R, N);
}

int32_t SampleToSeconds(int32_t x, int32_t L, int32_t N)
{
    return Scale(x, L / 1000, N);
}

int32_t Progress(int32_t part, int32_t whole)
{
    return Scale(part, 10000, whole);
}

int32_t Progress64(int64_t part, int64_t whole)
{
    return narrow(Scale64(part, 10000, whole));
}

int32_t ClipSliderPosition(int32_t position, int32_t range)
{
    return std::clamp(position, 0, std::max(range, 0));
}

} // namespace timecode
