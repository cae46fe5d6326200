#pragma once

#include "tags/TagFields.h"

#include <QString>
#include <QVector>
#include <cstdint>

// What a job reads of one job list row.
struct JobFile {
    QString path;
    QString caption;          // the row's shown name, base of the output names
    int32_t duration = 0;     // S, whole seconds
    int64_t sampleCount = 0;  // n
    int32_t segmentCount = 1; // stored segments in use, the open one included
    QVector<int32_t> beginTimes;
    QVector<int32_t> endTimes;
    TagFields tags; // the row's tag record, carried into the outputs
};

// The segment list a job shows for the file it processes.
enum class SegmentDisplay {
    Custom,    // the file's own stored list
    Timed,     // pieces of Choice/time seconds
    Equal,     // Choice/Count pieces
    Unified,   // the first file's list, for every file
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
    virtual void setSegmentCount(int index, int32_t count) = 0;

    // Selects row `index` of the file list (it becomes SelectedFileIndex),
    // shows its segment list as `display` says and focuses the file list.
    virtual void showFile(int index, SegmentDisplay display) = 0;
    virtual int segmentRowCount() const = 0;
    virtual void setSegmentStatus(int row, const QString& status) = 0;
    virtual void removeLastSegmentRow() = 0;
};
