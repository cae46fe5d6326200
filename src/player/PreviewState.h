#pragma once

#include <functional>

// The preview's state as the other areas read it: whether it plays, and which
// file, segment and sample it started from. The job list follows the
// previewed file when rows move and stops the preview before it probes.
struct PreviewState {
    bool PreviewActive = false;
    bool SliderDragging = false; // the mouse holds the position slider
    int PreviewFileIndex = 0;
    int PreviewSegmentIndex = 0;
    int PreviewStartSample = 0;
    // Ends the preview and frees the shared reader; set by the player.
    std::function<void()> StopPreview;
};
