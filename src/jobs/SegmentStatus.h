// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

// The state of one row of the segment list. The rows show it as fixed texts;
// "OK" and "Ok" are two states (confirmed by a plan, confirmed just now by
// the editor), so nothing but `statusText` turns a state into text.
enum class SegmentStatus {
    Confirmed,     // "OK": a confirmed stored segment, or the only one a job takes
    JustConfirmed, // "Ok": confirmed by the editor since the list was built
    Open,          // "Uncertain": the open segment of a stored list
    Unconverted,   // "Unconvert": a computed piece
    Converting,    // "Converting": its output exists and is being written
    Finished,      // "Finish": its output is closed
    Playing,       // "Playing": the preview plays it
};

inline QString statusText(SegmentStatus status)
{
    switch (status) {
    case SegmentStatus::Confirmed:
        return QStringLiteral("OK");
    case SegmentStatus::JustConfirmed:
        return QStringLiteral("Ok");
    case SegmentStatus::Open:
        return QStringLiteral("Uncertain");
    case SegmentStatus::Unconverted:
        return QStringLiteral("Unconvert");
    case SegmentStatus::Converting:
        return QStringLiteral("Converting");
    case SegmentStatus::Finished:
        return QStringLiteral("Finish");
    case SegmentStatus::Playing:
        return QStringLiteral("Playing");
    }
    return {};
}
