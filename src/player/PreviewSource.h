// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <cstdint>
#include <optional>

// What the preview reads from the job list and the segment list, and the one
// thing it changes there (the status of the playing segment). The main
// session answers it from the job list; the preview keeps no copy.
class PreviewSource {
public:
    // A stored segment's bounds: times in milliseconds, and the exact frames
    // where the list holds them (a cue sheet's positions), which are played
    // as given rather than placed through their times.
    struct Segment {
        int64_t beginMs = 0;
        int64_t endMs = 0;
        std::optional<int64_t> beginFrame;
        std::optional<int64_t> endFrame;
    };

    virtual ~PreviewSource() = default;

    // Function choice: 0 Custom, 1 every N seconds, 2 N copies, 3 Unification.
    virtual int functionChoice() const = 0;

    virtual int fileCount() const = 0;
    // The selected file row, or -1 when no row is selected.
    virtual int selectedFileRow() const = 0;
    // The selected segment row, or -1.
    virtual int selectedSegmentRow() const = 0;
    virtual QString filePath(int fileRow) const = 0;
    // The entry's length in whole seconds.
    virtual int fileSeconds(int fileRow) const = 0;
    // Stored segment `segmentRow` of entry `fileRow`, if there is one.
    virtual std::optional<Segment> segment(int fileRow, int segmentRow) const = 0;

    // The "Status" cell of segment list row `row` reads "Playing" until
    // endPlaying puts back what it read before, if it still reads "Playing".
    // A row the list does not have is left alone.
    virtual void startPlaying(int row) = 0;
    virtual void endPlaying(int row) = 0;
};
