// SPDX-License-Identifier: GPL-3.0-or-later
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
    labels.clear();
    for (const Segment& s : confirmed) {
        beginTimes.append(s.begin);
        endTimes.append(s.end);
        labels.append(s.label);
    }
    // The open segment is the user's own: it carries no label.
    while (!labels.isEmpty() && labels.last().isEmpty())
        labels.removeLast();
    beginTimes.append(SegmentPoint());
    endTimes.append(SegmentPoint::seconds(duration));
    segmentCount = static_cast<int32_t>(beginTimes.size());
}

void listrecord::setOpenBound(bool begin, SegmentPoint point)
{
    const int r = openSegment();
    if (r < 0)
        return;
    (begin ? beginTimes : endTimes)[r] = point;
}

void listrecord::confirmOpenSegment()
{
    const int rows = usedSegments() + 1;
    beginTimes.resize(rows);
    endTimes.resize(rows);
    beginTimes[rows - 1] = SegmentPoint();
    endTimes[rows - 1] = SegmentPoint::seconds(duration);
    if (labels.size() >= rows)
        labels.resize(rows - 1);
    segmentCount = rows;
}

void listrecord::removeSegment(int i)
{
    const int n = usedSegments();
    if (i < 0 || i >= n)
        return;
    for (int k = i; k < n - 1; ++k) {
        beginTimes[k] = beginTimes[k + 1];
        endTimes[k] = endTimes[k + 1];
    }
    beginTimes.resize(n - 1);
    endTimes.resize(n - 1);
    if (i < labels.size())
        labels.removeAt(i);
    segmentCount = n - 1;
}

void listrecord::clearSegments()
{
    segmentCount = 1;
    labels.clear();
    if (beginTimes.isEmpty())
        beginTimes.append(SegmentPoint());
    if (endTimes.isEmpty())
        endTimes.append(SegmentPoint());
    beginTimes[0] = SegmentPoint();
    endTimes[0] = SegmentPoint::seconds(duration);
}
