#pragma once

// The command line's pieces of one file, placed on its frames: the whole
// file, pieces of a time, a number of equal pieces, or typed segments. Every
// sample is covered where the plan asks for the whole file; the window's
// whole-second and 100-frame rules do not apply here.

#include "cli/TimeText.h"
#include "jobs/JobEntry.h"

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
    enum Kind { Whole, Every, Pieces, Segments } kind = Whole;
    TimeText every;
    int pieces = 0;
    QVector<TimeRange> segments;
};

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
