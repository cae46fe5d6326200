// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The command line's pieces of one file, placed on its frames: the whole
// file, pieces of a time, a number of equal pieces, or typed segments. Every
// sample is covered where the plan asks for the whole file; the window's
// whole-second and 100-frame rules do not apply here.

#include "cli/TimeText.h"
#include "jobs/JobEntry.h"
#include "jobs/PiecePlan.h"
#include "jobs/SilenceSearch.h"

#include <QHash>

#include <QString>
#include <QVector>
#include <optional>

namespace cli {

// BEGIN-END as typed; an open end runs to the file's last sample.
struct TimeRange {
    TimeText begin;
    std::optional<TimeText> end;
    QString text;
};

// "0:30-1:15.5,2:00-" into its ranges; throws UsageError.
QVector<TimeRange> parseTimeRanges(const QString& list);

struct ExactRequest {
    // Whole to Segments are placed by exactPieces; the plan sources (a cue
    // sheet, the file's chapters, its silences) by planFiles.
    enum Kind { Whole, Every, Pieces, Segments, Cue, Chapters, Silence } kind = Whole;
    TimeText every;
    int pieces = 0;
    QVector<TimeRange> segments;
    QString cueSheet;
    // The sheet's pieces by the canonical path of their audio file.
    QHash<QString, PiecePlan> cuePlans;
    SilenceOptions silence;

    bool isSource() const { return kind >= Cue; }
};

// A point's frame in a source of `rate` frames a second.
int64_t frameOf(const SegmentPoint& point, int rate);

// The pieces of a plan source with their labels (track, title, performer,
// album, date, genre), which the cut names and tags the pieces by.
QVector<Segment> labelledPieces(const PiecePlan& plan);

// A segment that was skipped (it starts at or past the end) or clipped.
struct PlanNote {
    QString segment; // as typed
    bool skipped = false;
    QString message;
};

// The file's pieces in frames of a file of `frames` frames at `rate`;
// `notes` gets what was skipped or clipped.
QVector<Segment> exactPieces(const ExactRequest& request, int64_t frames, int rate,
                             QVector<PlanNote>& notes);

} // namespace cli
