// SPDX-License-Identifier: GPL-3.0-or-later
#include "jobs/ChapterPlan.h"

#include "base/TimeCode.h"

#include <algorithm>
#include <limits>

namespace {

// A time too large for 64 bits lies past any file's end.
int64_t msToFrame(int64_t ms, int rate)
{
    if (ms <= 0)
        return 0;
    const int64_t frame = timecode::Scale64(ms, rate, 1000);
    return frame < 0 ? std::numeric_limits<int64_t>::max() : frame;
}

} // namespace

PiecePlan PlanFromChapters(const TagChapters& chapters, int rate, int64_t frames)
{
    PiecePlan plan;
    if (rate <= 0 || frames <= 0)
        return plan;
    // Chapters that make no piece are as if absent, so they end no other.
    struct Placed {
        const TagChapter* chapter;
        int64_t begin;
        std::optional<int64_t> end;
    };
    QVector<Placed> usable;
    QVector<int64_t> starts;
    for (const TagChapter& chapter : chapters) {
        const int64_t begin = msToFrame(chapter.startMs, rate);
        std::optional<int64_t> end;
        if (chapter.endMs)
            end = std::min(msToFrame(*chapter.endMs, rate), frames);
        if (begin >= frames || (end && *end <= begin))
            continue;
        usable.append({&chapter, begin, end});
        starts.append(begin);
    }
    std::sort(starts.begin(), starts.end());

    for (const Placed& p : usable) {
        int64_t end = frames;
        if (p.end) {
            end = *p.end;
        } else {
            const auto next = std::upper_bound(starts.cbegin(), starts.cend(), p.begin);
            if (next != starts.cend())
                end = *next;
        }
        PlannedPiece piece;
        piece.begin = SegmentPoint::frame(p.begin, rate);
        piece.end = SegmentPoint::frame(end, rate);
        piece.track = static_cast<int>(plan.pieces.size()) + 1;
        piece.title = p.chapter->title.trimmed();
        plan.pieces.append(piece);
    }
    plan.trackTotal = static_cast<int>(plan.pieces.size());
    return plan;
}
