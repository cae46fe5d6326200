#include "engine/CutPlan.h"

#include "base/TimeCode.h"
#include "jobs/SegmentPlan.h"
#include "settings/Options.h"

#include <algorithm>

namespace cutplan {

int processedSegments(int32_t segmentCount)
{
    return segmentCount <= 1 ? std::max(segmentCount, 0) : segmentCount - 1;
}

namespace {

QVector<PlannedPiece> storedList(const JobFile& list, int32_t clipTo, bool clip)
{
    QVector<PlannedPiece> out;
    const int count =
        std::min<int>(processedSegments(list.segmentCount),
                      static_cast<int>(std::min(list.beginTimes.size(), list.endTimes.size())));
    for (int j = 0; j < count; ++j) {
        if (clip && list.beginTimes[j] > clipTo)
            break;
        const int32_t end = clip ? std::min(clipTo, list.endTimes[j]) : list.endTimes[j];
        out.push_back({j, list.beginTimes[j], end});
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
            out.push_back({k, computed[k].begin, computed[k].end});
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
