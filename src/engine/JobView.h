// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "jobs/JobEntry.h"
#include "jobs/SegmentStatus.h"
#include "tags/TagFields.h"

#include <QString>
#include <QVector>
#include <cstdint>

// What a job reads of one job list row.
struct JobFile {
    QString path;
    QString caption;         // the row's shown name, base of the output names
    int32_t duration = 0;    // S, whole seconds
    int64_t sampleCount = 0; // n
    // The stored segments a job processes: the confirmed ones, or the open
    // one while it is the only one.
    QVector<Segment> segments;
    TagFields tags; // the row's tag record, carried into the outputs
};

// The segment list a job shows for the file it processes.
enum class SegmentDisplay {
    Custom,    // the file's own stored list, as a job takes it
    Timed,     // pieces of Choice/time seconds
    Equal,     // Choice/Count pieces
    Unified,   // the first file's list, as a job takes it, for every file
    Keep,      // leave the list as it is
    WholeFile, // one row for the whole file (a join of whole files)
};

// The job's window onto the job list and its two list views. The window
// implements it over the list models; the command line over its own list,
// showing nothing.
class JobView {
public:
    virtual ~JobView() = default;

    virtual int fileCount() const = 0;
    virtual JobFile file(int index) const = 0;

    // Selects row `index` of the file list (it becomes SelectedFileIndex),
    // shows its segment list as `display` says and focuses the file list.
    // A stored list is shown as a job takes it: its open segment left out
    // while confirmed ones stand before it, else marked "OK"; row j then
    // shows segment j of JobFile::segments.
    virtual void showFile(int index, SegmentDisplay display) = 0;
    // The state of row `row` of the segment list; a row it does not show is
    // left alone.
    virtual void setSegmentStatus(int row, SegmentStatus status) = 0;
    // The row's piece was copied losslessly rather than encoded.
    virtual void markSegmentCopied(int row) = 0;
};
