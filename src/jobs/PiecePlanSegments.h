// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "jobs/JobEntry.h"
#include "jobs/PiecePlan.h"

#include <QVector>

// The pieces of a plan as segments of their file's stored list, in the
// plan's order, each labelled with what the cut names and tags its piece
// with: the piece's number, title and performer, and the sheet's album,
// date, genre and track total.
QVector<Segment> PlannedSegments(const PiecePlan& plan);

// Replaces the entry's stored list with the plan's pieces, all confirmed,
// followed by the open segment over the whole file, as if the user had
// marked and confirmed each piece. A plan without pieces leaves the list
// as it is; false then.
bool ApplyPiecePlan(listrecord& entry, const PiecePlan& plan);
