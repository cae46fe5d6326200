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

PiecePlan PlanFromChapters(const QVector<ChapterMark>& chapters, int rate, int64_t frames)
{
    PiecePlan plan;
    if (rate <= 0 || frames <= 0)
        return plan;
    QVector<int64_t> starts;
    for (const ChapterMark& chapter : chapters)
        starts.append(msToFrame(chapter.startMs, rate));
    QVector<int64_t> sorted = starts;
    std::sort(sorted.begin(), sorted.end());

    for (qsizetype i = 0; i < chapters.size(); ++i) {
        const ChapterMark& chapter = chapters[i];
        const int64_t begin = starts[i];
        int64_t end = frames;
        if (chapter.endMs) {
            end = msToFrame(*chapter.endMs, rate);
        } else {
            const auto next = std::upper_bound(sorted.cbegin(), sorted.cend(), begin);
            if (next != sorted.cend())
                end = *next;
        }
        end = std::min(end, frames);
        if (begin >= frames || end <= begin)
            continue;
        PlannedPiece piece;
        piece.begin = SegmentPoint::frame(begin, rate);
        piece.end = SegmentPoint::frame(end, rate);
        piece.track = static_cast<int>(plan.pieces.size()) + 1;
        piece.title = chapter.title.trimmed();
        plan.pieces.append(piece);
    }
    plan.trackTotal = static_cast<int>(plan.pieces.size());
    return plan;
}
