#include "engine/CutPlan.h"

#include "base/TimeCode.h"
#include "jobs/SegmentPlan.h"
#include "settings/Options.h"

#include <algorithm>

namespace cutplan {

namespace {

QVector<PlannedPiece> storedList(const JobFile& list, int32_t clipTo, bool clip)
{
    QVector<PlannedPiece> out;
    for (int j = 0; j < list.segments.size(); ++j) {
        const auto begin = static_cast<int32_t>(list.segments[j].begin.wholeSeconds());
        const auto stored = static_cast<int32_t>(list.segments[j].end.wholeSeconds());
        if (clip && begin > clipTo)
            break;
        out.push_back({j, begin, clip ? std::min(clipTo, stored) : stored});
    }
    return out;
}

} // namespace

QVector<PlannedPiece> pieces(int choice, const JobFile& file, const JobFile& first,
                             const Options& options)
{
    const int32_t S = file.duration;
    QVector<PlannedPiece> out;
    switch (choice) {
    case 0:
        return storedList(file, S, false);
    case 1:
    case 2: {
        // The same pieces the segment list shows for the file.
        const QVector<Segment> computed = choice == 1
                                              ? segmentplan::TimedPieces(S, options.pieceSeconds)
                                              : segmentplan::EqualPieces(S, options.pieceCount);
        for (int k = 0; k < computed.size(); ++k)
            out.push_back({k, static_cast<int32_t>(computed[k].begin.wholeSeconds()),
                           static_cast<int32_t>(computed[k].end.wholeSeconds())});
        return out;
    }
    case 3:
        return storedList(first, S, true);
    default:
        return out;
    }
}

int64_t startFrame(const PlannedPiece& piece, int64_t N, int64_t L)
{
    return timecode::Scale64(int64_t(piece.begin) * 1000, N, L);
}

int64_t lengthFrames(const PlannedPiece& piece, int64_t N, int64_t L)
{
    return timecode::Scale64(int64_t(piece.end) * 1000, N, L) - startFrame(piece, N, L);
}

} // namespace cutplan
