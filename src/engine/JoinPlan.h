// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "engine/FadeEnvelope.h"
#include "engine/JobView.h"
#include "jobs/SegmentPlan.h"

#include <QVector>
#include <cstdint>

struct Options;

// What a join takes of every file: its confirmed segments (Custom), the
// whole file (EverySeconds and EqualCount), or the first file's segments
// (Unification).
enum class JoinVariant { Custom, Whole, Unified };
JoinVariant joinVariantOf(segmentplan::Choice choice);

// A listed file as the join sees it: its entry and what its reader says.
struct JoinSource {
    JobFile file;
    int64_t frames = 0;     // N
    int64_t durationMs = 0; // L
    int rate = 0;
    int channels = 0;
};

// One part of the output: frames [start, start + sourceFrames) of its file,
// which give outputFrames at the output's rate, shown by row `row`.
struct JoinPart {
    int row = 0;
    int64_t start = 0;
    int64_t sourceFrames = 0;
    int64_t outputFrames = 0;
};

struct JoinFilePlan {
    int rate = 0;
    QVector<JoinPart> parts;
};

// The whole output before its first block: its format (the first file's
// rate and channels), every file's parts, how many source frames the job
// moves and how many frames the output holds, and its fades.
struct JoinPlan {
    int rate = 0;
    int channels = 0;
    QVector<JoinFilePlan> files;
    int64_t expectedTotal = 0;  // source frames, for the progress
    int64_t expectedOutput = 0; // output frames
    FadeEnvelope fades;
};

// Parts are placed with the cut's Scale(t × 1000, N, L) and never reach
// outside their file; a part at another rate than the output's is counted
// at the output's rate, rounded half to even. The fades (the options' flags
// and lengths, on the first file's scale, as the output runs at its rate)
// shape the start and the end of the whole output, never a joint; an output
// shorter than a fade is faded over its whole length.
JoinPlan planJoin(JoinVariant variant, const QVector<JoinSource>& sources, const Options& options);
