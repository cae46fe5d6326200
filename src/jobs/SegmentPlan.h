// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "jobs/JobEntry.h"

#include <QVector>
#include <cstdint>

class JobList;

// The arithmetic of the function choices, shared by the segment list, the
// total length and the cut and join jobs.
namespace segmentplan {

enum Choice : int {
    Custom = 0,       // each file's own stored list
    EverySeconds = 1, // pieces of N seconds (Choice/time)
    EqualCount = 2,   // N pieces of equal length (Choice/Count)
    Unification = 3,  // the first file's stored list, applied to every file
};

// Only the stored-list choices have an open segment that the editor changes.
inline bool isStoredChoice(int choice)
{
    return choice == Custom || choice == Unification;
}

// N as the arithmetic takes it: a hand-edited value below 1 counts as 1, so
// that nothing divides by zero or lists a negative number of pieces.
int atLeastOne(int n);

// Pieces of `seconds` each: duration div seconds + 1 of them, the last one
// shorter and empty when the duration is an exact multiple.
QVector<Segment> TimedPieces(int32_t duration, int seconds);
// How many pieces choice 2 makes of a file of `duration` seconds. A count
// above the duration gives pieces of 0 seconds only, so the list stops at the
// duration, or at kMaxEmptyPieces for a shorter file: neither the segment
// list nor a cut can be made to list or write a billion empty pieces by a
// huge typed or hand-edited count. Counts up to either bound are kept.
constexpr int kMaxEmptyPieces = 100;
int equalPieceCount(int32_t duration, int count);
// `count` pieces of duration div count seconds (as many as equalPieceCount
// allows); the remainder is no piece's.
QVector<Segment> EqualPieces(int32_t duration, int count);

// The segments of a stored list that a run cuts: the confirmed ones, or the
// open one while it is the only segment.
QVector<Segment> SegmentsToProcess(const listrecord& entry);

// Seconds that a run under `choice` would produce from the whole job list.
// Summed in 64 bits; under Unification the first file's segments are cut out
// of every file, clipped to its length.
int64_t TotalLength(const JobList& list, int choice);

} // namespace segmentplan
