// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <cstdint>
#include <functional>

class AudioFile;
class FadeEnvelope;
class JobPump;

// One stretch of an output that the block loop moves from the reader (already
// positioned at its start) to the open writer: a piece of a cut, or a part
// of a join.
struct BlockStretch {
    int64_t frames = 0;      // frames to move, as the reader delivers them
    int64_t outputStart = 0; // the output frame the stretch begins at
    int64_t blockFrames = 0; // the longest block; about a second of audio
    // The Custom cut's early end: leave once fewer than 100 frames remain,
    // except inside the fade-out, which runs to its end.
    bool earlyEnd = false;
    QString source; // named when the source ends before the stretch does
    // Called after each block with the frames moved so far; without it the
    // pump is given the stretch's own progress.
    std::function<void(int64_t moved)> progress;
};

// Moves the stretch block by block, pumping before every block, and returns
// the frames moved (fewer when the pump stops the job). A block ends at every
// fade edge and is never longer than `blockFrames`, whatever the fades; the
// gains come from the output position. The count is what the reader really
// delivered, so a stretch holds exactly its frames: a reader that runs dry
// before (a source that shrank or failed while it was read) throws JobError
// naming the source, beyond the Custom cut's early end.
int64_t RunBlockLoop(AudioFile& reader, AudioFile& writer, const FadeEnvelope& fades,
                     const BlockStretch& stretch, JobPump& pump);

// The frames the loop moves of a stretch without fades, from a reader that
// delivers every block whole: all of them, but for the Custom cut's early end.
int64_t FramesMovedWithoutFades(const BlockStretch& stretch);
