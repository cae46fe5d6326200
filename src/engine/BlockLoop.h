#pragma once

#include <cstdint>

class AudioFile;
class JobPump;
struct Options;

// One piece of a cut: what the block loop moves from the reader (already
// positioned at the piece's start) to the open writer.
struct CutPieceLoop {
    int64_t length = 0;        // source frames of the piece
    int32_t storedSamples = 0; // n of the job list entry, for the fade-in length
    int32_t storedSeconds = 0; // S of the job list entry
    int32_t fadeOutFrames = 0; // taken when the file's processing began
    bool earlyEnd = false;     // stop once fewer than 100 frames remain
};

// Moves the piece block by block with its fades and progress; returns the
// source frames written. The fade flags are read at every block and the
// fade-in length at the first, so that a change in the settings dialog
// applies at once. The count is what the reader really delivered, so a piece
// holds exactly its length; a fade-in never reads past the piece's end, and
// no block runs into the fade-out, which therefore always covers the piece's
// last fade-out length.
int64_t RunCutBlockLoop(AudioFile& reader, AudioFile& writer, const Options& options,
                        const CutPieceLoop& piece, JobPump& pump);
