#include "jobs/JobEntry.h"

#include <algorithm>

int listrecord::usedSegments() const
{
    const qsizetype stored = std::min(beginTimes.size(), endTimes.size());
    return static_cast<int>(std::clamp<qsizetype>(segmentCount, 0, stored));
}

QVector<Segment> listrecord::segments() const
{
    QVector<Segment> list;
    const int n = usedSegments();
    list.reserve(n);
    for (int i = 0; i < n; ++i)
        list.append(segment(i));
    return list;
}

void listrecord::setConfirmedSegments(const QVector<Segment>& confirmed)
{
    beginTimes.clear();
    endTimes.clear();
    for (const Segment& s : confirmed) {
        beginTimes.append(s.begin);
        endTimes.append(s.end);
    }
    beginTimes.append(0);
    endTimes.append(duration);
    segmentCount = static_cast<int32_t>(beginTimes.size());
}
