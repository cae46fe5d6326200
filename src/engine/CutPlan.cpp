// SPDX-License-Identifier: GPL-3.0-or-later
#include "engine/CutPlan.h"

#include "settings/Options.h"

#include <algorithm>

namespace cutplan {

std::optional<segmentplan::Choice> choiceOf(int value)
{
    switch (value) {
    case segmentplan::Custom:
    case segmentplan::EverySeconds:
    case segmentplan::EqualCount:
    case segmentplan::Unification:
        return static_cast<segmentplan::Choice>(value);
    default:
        return std::nullopt;
    }
}

namespace {

QVector<Piece> storedList(const JobFile& list, int32_t clipTo, bool clip)
{
    QVector<Piece> out;
    const SegmentPoint fileEnd = SegmentPoint::seconds(clipTo);
    for (int j = 0; j < list.segments.size(); ++j) {
        const Segment& s = list.segments[j];
        // A shared segment that begins past this file's end is no piece of
        // it; the segments after it may still be, as they need not be in
        // time order.
        if (clip && s.begin.ms() > fileEnd.ms())
            continue;
        const bool clipped = clip && s.end.ms() > fileEnd.ms();
        out.push_back({j, s.begin, clipped ? fileEnd : s.end, s.label});
    }
    return out;
}

} // namespace

QVector<Piece> pieces(segmentplan::Choice choice, const JobFile& file, const JobFile& first,
                      const Options& options)
{
    const int32_t S = file.duration;
    QVector<Piece> out;
    switch (choice) {
    case segmentplan::Custom:
        return storedList(file, S, false);
    case segmentplan::EverySeconds:
    case segmentplan::EqualCount: {
        // The same pieces the segment list shows for the file.
        const QVector<Segment> computed = choice == segmentplan::EverySeconds
                                              ? segmentplan::TimedPieces(S, options.pieceSeconds)
                                              : segmentplan::EqualPieces(S, options.pieceCount);
        for (int k = 0; k < computed.size(); ++k)
            out.push_back({k, computed[k].begin, computed[k].end, {}});
        return out;
    }
    case segmentplan::Unification:
        return storedList(first, S, true);
    }
    return out;
}

int64_t startFrame(const Piece& piece, int64_t N, int64_t L)
{
    return piece.begin.frameIn(N, L);
}

int64_t lengthFrames(const Piece& piece, int64_t N, int64_t L)
{
    return piece.end.frameIn(N, L) - startFrame(piece, N, L);
}

} // namespace cutplan
