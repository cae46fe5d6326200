// SPDX-License-Identifier: GPL-3.0-or-later
#include "jobs/SilencePlan.h"

#include <algorithm>

namespace {

struct Stretch {
    int64_t begin;
    int64_t end;
    // The length of the silence that separates this piece from the one
    // before it; unused for the first.
    int64_t silenceBefore;
};

QVector<Stretch> keptSilences(const QVector<FrameRange>& silences, int64_t frames)
{
    QVector<Stretch> pieces;
    int64_t begin = 0;
    int64_t separator = 0;
    for (const FrameRange& s : silences) {
        if (s.begin <= 0 || s.end >= frames)
            continue;
        const int64_t middle = s.begin + s.length() / 2;
        pieces.append({begin, middle, separator});
        begin = middle;
        separator = s.length();
    }
    pieces.append({begin, frames, separator});
    return pieces;
}

QVector<Stretch> droppedSilences(const QVector<FrameRange>& silences, int64_t frames)
{
    QVector<Stretch> pieces;
    int64_t begin = 0;
    int64_t separator = 0;
    for (const FrameRange& s : silences) {
        if (s.begin > begin)
            pieces.append({begin, s.begin, separator});
        begin = std::max(begin, s.end);
        separator = pieces.isEmpty() ? 0 : s.length();
    }
    if (begin < frames)
        pieces.append({begin, frames, separator});
    return pieces;
}

void mergeShortPieces(QVector<Stretch>& pieces, int64_t minPieceFrames)
{
    while (pieces.size() > 1) {
        qsizetype shortest = -1;
        for (qsizetype i = 0; i < pieces.size(); ++i) {
            const int64_t length = pieces[i].end - pieces[i].begin;
            if (length < minPieceFrames &&
                (shortest < 0 || length < pieces[shortest].end - pieces[shortest].begin))
                shortest = i;
        }
        if (shortest < 0)
            return;
        const bool hasNext = shortest + 1 < pieces.size();
        const bool withPrevious =
            shortest > 0 &&
            (!hasNext || pieces[shortest].silenceBefore <= pieces[shortest + 1].silenceBefore);
        const qsizetype first = withPrevious ? shortest - 1 : shortest;
        pieces[first].end = pieces[first + 1].end;
        pieces.removeAt(first + 1);
    }
}

} // namespace

PiecePlan PlanFromSilences(const QVector<FrameRange>& silences, int64_t frames, int rate,
                           bool dropSilence, int64_t minPieceFrames)
{
    PiecePlan plan;
    if (frames <= 0 || rate <= 0)
        return plan;
    QVector<Stretch> pieces =
        dropSilence ? droppedSilences(silences, frames) : keptSilences(silences, frames);
    mergeShortPieces(pieces, minPieceFrames);
    for (const Stretch& s : pieces) {
        PlannedPiece piece;
        piece.begin = SegmentPoint::frame(s.begin, rate);
        piece.end = SegmentPoint::frame(s.end, rate);
        piece.track = static_cast<int>(plan.pieces.size()) + 1;
        plan.pieces.append(piece);
    }
    plan.trackTotal = static_cast<int>(plan.pieces.size());
    return plan;
}
