// SPDX-License-Identifier: GPL-3.0-or-later
#include "FuzzInput.h"
#include "audio/mpeg/MpegFrameIndex.h"

// The frame index walks whatever it is given: its frames must lie in order
// inside the audio, and the audio inside the file.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    FuzzInput input(data, size);
    const mpeg::MpegFrameIndex index(input.device());
    if (index.audioEnd() > index.fileSize() || index.fileSize() != static_cast<int64_t>(size))
        __builtin_trap();
    int64_t end = 0;
    for (size_t i = 0; i < index.frameCount(); ++i) {
        const mpeg::IndexedFrame& frame = index.frame(i);
        if (frame.offset() < end || frame.size() <= 0 ||
            frame.offset() + frame.size() > index.audioEnd())
            __builtin_trap();
        end = frame.offset() + frame.size();
    }
    if (index.intact() && (index.empty() || index.sampleCount() < 0))
        __builtin_trap();
    return 0;
}
