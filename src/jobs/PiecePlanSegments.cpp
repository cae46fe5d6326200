// SPDX-License-Identifier: GPL-3.0-or-later
#include "jobs/PiecePlanSegments.h"

QVector<Segment> PlannedSegments(const PiecePlan& plan)
{
    QVector<Segment> segments;
    segments.reserve(plan.pieces.size());
    for (const PlannedPiece& piece : plan.pieces) {
        SegmentLabel label;
        label.track = piece.track;
        label.trackTotal = piece.track > 0 ? plan.trackTotal : 0;
        label.title = piece.title;
        label.performer = piece.performer.isEmpty() ? plan.albumPerformer : piece.performer;
        label.album = plan.album;
        label.date = plan.date;
        label.genre = plan.genre;
        segments.append(Segment(piece.begin, piece.end, label));
    }
    return segments;
}

bool ApplyPiecePlan(listrecord& entry, const PiecePlan& plan)
{
    if (plan.pieces.isEmpty())
        return false;
    entry.setConfirmedSegments(PlannedSegments(plan));
    return true;
}
