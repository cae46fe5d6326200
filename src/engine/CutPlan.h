#pragma once

#include "engine/JobView.h"

#include <QVector>
#include <cstdint>

struct Options;

// One piece of a cut, in whole seconds of its source, with the row of the
// segment list that shows it.
struct PlannedPiece {
    int row = 0;
    int32_t begin = 0;
    int32_t end = 0;
};

// The pieces each cut variant makes of one file: the confirmed segments of
// the file's own list (choice 0), pieces of Choice/time seconds (1),
// Choice/Count equal pieces (2), or the first file's confirmed segments
// clipped to the file (3). A stored list that holds only its open segment
// contributes that segment.
namespace cutplan {

QVector<PlannedPiece> pieces(int choice, const JobFile& file, const JobFile& first,
                             const Options& options);

// The first name candidate carries "_1" under every choice but Custom.
inline bool numberedFirst(int choice)
{
    return choice != 0;
}

// Start and length in source frames: Scale(t × 1000, N, L).
int64_t startFrame(const PlannedPiece& piece, int64_t N, int64_t L);
int64_t lengthFrames(const PlannedPiece& piece, int64_t N, int64_t L);

} // namespace cutplan
