// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "jobs/SegmentPoint.h"
#include "tags/TagFields.h"

#include <QString>
#include <QVector>
#include <cstdint>
#include <utility>

// What a segment taken from a cue sheet or a file's chapters names and tags
// its piece with. Empty for the segments made by hand or by the function
// choices: their pieces take the usual names and the source's tags.
struct SegmentLabel {
    int track = 0;      // 1-based place in the sheet or chapter order; 0 for none
    int trackTotal = 0; // what the track number counts to (n/total)
    QString title;
    QString performer;
    QString album;
    QString date;
    QString genre;

    bool isEmpty() const { return track == 0 && title.isEmpty() && performer.isEmpty(); }
    friend bool operator==(const SegmentLabel&, const SegmentLabel&) = default;
};

// One segment of a source file. Segments made by hand and the computed
// pieces are whole seconds; a typed time or a cue sheet may place a bound
// below a second or at an exact frame. The end may lie before the begin
// while the user is still marking the open segment.
struct Segment {
    SegmentPoint begin;
    SegmentPoint end;
    SegmentLabel label;

    Segment() = default;
    Segment(SegmentPoint b, SegmentPoint e, SegmentLabel l = {})
        : begin(b), end(e), label(std::move(l))
    {
    }
    // Whole seconds, as the editor and the function choices make them.
    Segment(int64_t beginSeconds, int64_t endSeconds)
        : begin(SegmentPoint::seconds(beginSeconds)), end(SegmentPoint::seconds(endSeconds))
    {
    }

    int64_t lengthMs() const { return end.ms() - begin.ms(); }
    bool isWholeSeconds() const { return begin.isWholeSecond() && end.isWholeSecond(); }
    friend bool operator==(const Segment&, const Segment&) = default;
};

// A job list entry: one source file and its stored segment list, the one
// place its segments are kept (the segment list only shows them). The first
// `segmentCount` elements of the two bound arrays are in use; the arrays may
// be longer (ClearSegments keeps their length). Under the stored-list
// choices the last segment in use is the open one.
struct listrecord {
    int32_t segmentCount = 1;
    QString path;
    QVector<SegmentPoint> beginTimes{SegmentPoint()};
    QVector<SegmentPoint> endTimes{SegmentPoint()};
    // The segments' labels by index; shorter than the bound arrays where the
    // later segments carry none (hand-made ones never do).
    QVector<SegmentLabel> labels;
    int32_t duration = 0;      // whole seconds, truncated
    int32_t sliderMaximum = 0; // the position slider's maximum for this file
    // Kept 64 bits wide so that sums over many long files cannot wrap.
    int64_t sampleCount = 0;

    // The segments in use, bounded by both arrays so that a damaged count
    // never reads past them.
    int usedSegments() const;
    Segment segment(int i) const { return {beginTimes[i], endTimes[i], label(i)}; }
    SegmentLabel label(int i) const
    {
        return i >= 0 && i < labels.size() ? labels[i] : SegmentLabel();
    }
    QVector<Segment> segments() const;
    // The index of the open segment, -1 when the list holds none.
    int openSegment() const { return usedSegments() - 1; }

    // Replaces the stored list: the given segments, confirmed, followed by
    // the open segment over the whole file.
    void setConfirmedSegments(const QVector<Segment>& confirmed);
    // Moves a bound of the open segment (the editor's Begin and End).
    void setOpenBound(bool begin, SegmentPoint point);
    // Confirms the open segment and opens a new one over the whole file.
    void confirmOpenSegment();
    // Removes segment `i`; the later ones move down by one place.
    void removeSegment(int i);
    // Back to one open segment over the whole file; the arrays keep their length.
    void clearSegments();
};

// The tag record kept beside every entry, by its described name; the cut
// jobs carry it into the outputs and the tag editor edits it.
using AudioFileinfo = TagFields;
