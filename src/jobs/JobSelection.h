#pragma once

// What the job list remembers of the user's clicks on its two lists and on
// the position slider; the front panel's commands and the editor read it.
struct JobSelection {
    int SelectedFileIndex = 0;    // file list row last selected
    int SelectedSegmentIndex = 0; // segment list row last selected
    bool SegmentSelected = false; // the last click went to the segment list, not the file list
    int SliderPosition = 0;       // last position of the position slider
};
