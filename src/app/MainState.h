#pragma once

// The main window's shared state: the flags and indices through which the job
// list, the segment editor, the preview and the jobs know what the others are
// doing. One instance lives in the MainSession for the whole run. The
// preview keeps its own (PreviewActive, SliderDragging, SliderPosition and
// the preview indices) in Preview.
struct MainState {
    bool JobRunning = false;      // a cut or join runs; cleared by Stop
    bool SegmentSelected = false; // the last click went to the segment list, not the file list
    int SelectedFileIndex = 0;    // file list row last selected
    int SelectedSegmentIndex = 0; // segment list row last selected
};
