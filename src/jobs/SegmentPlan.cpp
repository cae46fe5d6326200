// SPDX-License-Identifier: GPL-3.0-or-later
#include "jobs/SegmentPlan.h"

#include "jobs/JobList.h"

#include <algorithm>

namespace segmentplan {

int atLeastOne(int n)
{
    return std::max(n, 1);
}

QVector<Segment> TimedPieces(int32_t duration, int seconds)
{
    const int64_t n = atLeastOne(seconds);
    const int64_t d = std::max<int32_t>(duration, 0);
    QVector<Segment> pieces;
    const int64_t rows = d / n + 1;
    pieces.reserve(static_cast<qsizetype>(rows));
    for (int64_t k = 0; k < rows; ++k)
        pieces.append(Segment(k * n, std::min((k + 1) * n, d)));
    return pieces;
}

int equalPieceCount(int32_t duration, int count)
{
    return std::min(atLeastOne(count), std::max<int32_t>(duration, kMaxEmptyPieces));
}

QVector<Segment> EqualPieces(int32_t duration, int count)
{
    // The piece length comes from the count as given; only the number of
    // (then empty) pieces is bounded.
    const int64_t p = std::max<int32_t>(duration, 0) / atLeastOne(count);
    const int64_t n = equalPieceCount(duration, count);
    QVector<Segment> pieces;
    pieces.reserve(static_cast<qsizetype>(n));
    for (int64_t k = 0; k < n; ++k)
        pieces.append(Segment(k * p, (k + 1) * p));
    return pieces;
}

QVector<Segment> SegmentsToProcess(const listrecord& entry)
{
    QVector<Segment> list = entry.segments();
    if (list.size() > 1)
        list.removeLast();
    return list;
}

namespace {

// Milliseconds of `s` inside a file of `fileDuration` whole seconds.
int64_t clippedLengthMs(const Segment& s, int32_t fileDuration)
{
    return std::min(s.end.ms(), int64_t(fileDuration) * 1000) - s.begin.ms();
}

} // namespace

int64_t TotalLength(const JobList& list, int choice)
{
    // Summed in milliseconds, so that bounds below a second add up before
    // the total is shown in whole seconds; whole seconds sum exactly.
    int64_t totalMs = 0;
    if (list.isEmpty())
        return 0;
    switch (choice) {
    case EverySeconds:
    case EqualCount:
        for (int f = 0; f < list.count(); ++f)
            totalMs += int64_t(list.entry(f).duration) * 1000;
        break;
    case Custom:
        for (int f = 0; f < list.count(); ++f)
            for (const Segment& s : SegmentsToProcess(list.entry(f)))
                totalMs += s.lengthMs();
        break;
    case Unification: {
        const QVector<Segment> shared = SegmentsToProcess(list.entry(0));
        for (int f = 0; f < list.count(); ++f) {
            const int32_t d = list.entry(f).duration;
            for (const Segment& s : shared)
                if (int64_t(d) * 1000 >= s.begin.ms())
                    totalMs += clippedLengthMs(s, d);
        }
        break;
    }
    default:
        break;
    }
    return totalMs / 1000;
}

} // namespace segmentplan
