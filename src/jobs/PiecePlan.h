// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "jobs/SegmentPoint.h"

#include <QString>
#include <QVector>

// One piece that a cue sheet, a file's chapters or a silence search proposes
// for a source file: exact bounds, and what the cut names and tags it with.
struct PlannedPiece {
    SegmentPoint begin;
    SegmentPoint end;
    // The piece's number in its source's order (a cue sheet's TRACK number,
    // the chapter's or the piece's place), 1-based; 0 when it has none.
    int track = 0;
    // Empty when the source gives none: the piece then takes the usual name.
    QString title;
    // The track's performer, or the disc's when the track names none.
    QString performer;

    friend bool operator==(const PlannedPiece&, const PlannedPiece&) = default;
};

// The pieces of one source file in the order they were found, with the
// disc-level fields of a cue sheet (empty from the other sources).
struct PiecePlan {
    QVector<PlannedPiece> pieces;
    // The number the track tags count to (n/total): the tracks of the whole
    // sheet when it names several files, otherwise the pieces of this file.
    int trackTotal = 0;
    QString album; // the disc's TITLE
    QString albumPerformer;
    QString date;
    QString genre;

    friend bool operator==(const PiecePlan&, const PiecePlan&) = default;
};
