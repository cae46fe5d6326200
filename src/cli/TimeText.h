// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The command line's times: SS, MM:SS or HH:MM:SS, each with an optional
// fraction of a second (90.5, 1:30.250), kept exactly (to the nanosecond)
// so that a time lands on the frame it names at any sample rate.

#include <QString>
#include <cstdint>

namespace cli {

class TimeText {
public:
    // Throws UsageError naming `what` ("--every", "segment \"1:00-x\"")
    // when `text` is not a time.
    static TimeText parse(const QString& text, const QString& what);

    int64_t nanoseconds() const { return m_ns; }
    // Rounded to the nearest millisecond, for the rows that show times.
    int64_t milliseconds() const { return (m_ns + 500'000) / 1'000'000; }
    double seconds() const { return double(m_ns) / 1e9; }
    // The frame this time names at `rate` frames a second, rounded to the
    // nearest one.
    int64_t frameAt(int rate) const;
    bool isZero() const { return m_ns == 0; }

    friend auto operator<=>(const TimeText&, const TimeText&) = default;

private:
    int64_t m_ns = 0;
};

} // namespace cli
