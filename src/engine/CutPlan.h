// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "engine/JobView.h"
#include "jobs/JobEntry.h"
#include "jobs/SegmentPlan.h"
#include "jobs/SegmentPoint.h"

#include <QVector>
#include <cstdint>
#include <optional>

struct Options;

// The pieces each cut variant makes of one file: the confirmed segments of
// the file's own list (Custom), pieces of Choice/time seconds
// (EverySeconds), Choice/Count equal pieces (EqualCount), or the first
// file's confirmed segments clipped to the file (Unification). A stored list
// that holds only its open segment contributes that segment.
namespace cutplan {

// One piece of a cut: its bounds in its source, with the row of the segment
// list that shows it and the label of its segment (empty for computed pieces).
struct Piece {
    int row = 0;
    SegmentPoint begin;
    SegmentPoint end;
    SegmentLabel label;
};

// The function choice of a stored value; none for a value outside the four.
std::optional<segmentplan::Choice> choiceOf(int value);

QVector<Piece> pieces(segmentplan::Choice choice, const JobFile& file, const JobFile& first,
                      const Options& options);

// The first name candidate carries "_1" under every choice but Custom.
inline bool numberedFirst(segmentplan::Choice choice)
{
    return choice != segmentplan::Custom;
}

// Start and length in source frames of a source of N frames and L ms.
int64_t startFrame(const Piece& piece, int64_t N, int64_t L);
int64_t lengthFrames(const Piece& piece, int64_t N, int64_t L);

} // namespace cutplan
