// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "jobs/PiecePlan.h"
#include "jobs/SilenceDetector.h"

#include <QVector>
#include <cstdint>

// The pieces of a source of `frames` frames at `rate` between its
// `silences` (in order, apart from each other), numbered 1, 2, ...
//
// Kept silences: each silence inside the file puts a boundary at its middle;
// a silence at the start or the end stays with the first or last piece.
// Dropped silences: the pieces are the stretches between the silences, and
// no silence is in any piece.
//
// Then, while a piece is shorter than `minPieceFrames` and there is more
// than one, the shortest (the first of equals) is merged with a neighbour:
// the one across the shorter silence, the weaker of its two boundaries (the
// earlier one when both are equal). A merged piece holds the silence between.
//
// No silence gives one piece, the whole file. A file that is silence only
// gives one piece when silences are kept, and none when they are dropped:
// nothing is left to keep.
PiecePlan PlanFromSilences(const QVector<FrameRange>& silences, int64_t frames, int rate,
                           bool dropSilence, int64_t minPieceFrames);
