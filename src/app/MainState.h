#pragma once

// The main window's shared state: the flags and indices through which the job
// list, the segment editor, the preview and the jobs know what the others are
// doing. One instance lives in the MainSession for the whole run.
struct MainState {
    bool JobRunning = false;      // a cut or join runs; cleared by Stop
    bool PreviewActive = false;   // the preview has a file open and plays
    bool SegmentSelected = false; // the last click went to the segment list, not the file list
    bool SliderDragging = false;  // the mouse holds the position slider
    int SelectedFileIndex = 0;    // file list row last selected
    int SelectedSegmentIndex = 0; // segment list row last selected
    int PreviewFileIndex = 0;     // file list row the preview plays
    int PreviewSegmentIndex = 0;  // segment list row the preview plays
    int PreviewStartSample = 0;   // where the preview started in its file
    int SliderPosition = 0;       // last position of the position slider
};
