// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "base/TimeCode.h"

#include <cstdint>
#include <optional>

// One bound of a segment. Hand-made segments are whole seconds, typed times
// may carry milliseconds, and a cue sheet or a chapter names an exact frame.
// A time is placed on a source's frames the way every job places one,
// Scale(ms, N, L) with the reader's frame count N and length L in ms, so
// whole seconds land exactly where they always did; an exact frame is kept as
// given and never rounded through milliseconds.
class SegmentPoint {
public:
    constexpr SegmentPoint() = default;

    static constexpr SegmentPoint seconds(int64_t s) { return SegmentPoint(s * 1000, {}); }
    static constexpr SegmentPoint milliseconds(int64_t ms) { return SegmentPoint(ms, {}); }
    // `frame` of a source of `rate` frames a second; its time (for the rows,
    // totals and the slider) is rounded down to the millisecond.
    static constexpr SegmentPoint frame(int64_t frame, int rate)
    {
        return SegmentPoint(rate > 0 ? frame * 1000 / rate : 0, frame);
    }

    constexpr int64_t ms() const { return m_ms; }
    // The whole seconds the described lists and totals work in (truncated).
    constexpr int64_t wholeSeconds() const { return m_ms / 1000; }
    constexpr bool isWholeSecond() const { return !m_frame && m_ms % 1000 == 0; }
    constexpr std::optional<int64_t> exactFrame() const { return m_frame; }

    // The frame this point stands for in a source of N frames and L ms.
    int64_t frameIn(int64_t N, int64_t L) const
    {
        return m_frame ? *m_frame : timecode::Scale64(m_ms, N, L);
    }

    friend constexpr bool operator==(const SegmentPoint&, const SegmentPoint&) = default;

private:
    constexpr SegmentPoint(int64_t ms, std::optional<int64_t> frame) : m_ms(ms), m_frame(frame) {}

    int64_t m_ms = 0;
    std::optional<int64_t> m_frame;
};
