#pragma once

#include <QString>
#include <optional>

// What the preview reads from the job list and the segment list, and the one
// thing it writes back (the status cell of the playing segment). The main
// session answers it from the job list; the preview keeps no copy.
class PreviewSource {
public:
    struct Segment {
        int begin = 0; // whole seconds
        int end = 0;
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

    // The "Status" cells of the segment list as it is shown.
    virtual int segmentRowCount() const = 0;
    virtual QString segmentStatus(int row) const = 0;
    virtual void setSegmentStatus(int row, const QString& status) = 0;
};
