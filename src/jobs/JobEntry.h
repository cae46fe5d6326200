#pragma once

#include "tags/TagFields.h"

#include <QString>
#include <QVector>
#include <cstdint>

// One segment of a source file, in whole seconds from its start. The end may
// lie before the begin while the user is still marking the open segment.
struct Segment {
    int32_t begin = 0;
    int32_t end = 0;

    int32_t length() const { return end - begin; }
    friend bool operator==(const Segment&, const Segment&) = default;
};

// A job list entry: one source file and its stored segment list. The first
// `segmentCount` elements of the two time arrays are in use; the arrays may
// be longer (ClearSegments keeps their length). Under the stored-list choices
// the last segment in use is the open one.
struct listrecord {
    int32_t segmentCount = 1;
    QString path;
    QVector<int32_t> beginTimes{0};
    QVector<int32_t> endTimes{0};
    int32_t duration = 0;      // whole seconds, truncated
    int32_t sliderMaximum = 0; // the position slider's maximum for this file
    // Kept 64 bits wide so that sums over many long files cannot wrap.
    int64_t sampleCount = 0;

    // The segments in use, bounded by both arrays so that a damaged count
    // never reads past them.
    int usedSegments() const;
    Segment segment(int i) const { return {beginTimes[i], endTimes[i]}; }
    QVector<Segment> segments() const;
    // Replaces the stored list: the given segments, confirmed, followed by
    // the open segment over the whole file.
    void setConfirmedSegments(const QVector<Segment>& confirmed);
};

// The tag record kept beside every entry, by its described name; the cut
// jobs carry it into the outputs and the tag editor edits it.
using AudioFileinfo = TagFields;
