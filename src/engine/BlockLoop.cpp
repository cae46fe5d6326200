// SPDX-License-Identifier: GPL-3.0-or-later
#include "engine/BlockLoop.h"

#include "audio/AudioFile.h"
#include "engine/FadeEnvelope.h"
#include "engine/JobError.h"
#include "engine/JobPump.h"

#include <algorithm>

namespace {

// The Custom cut leaves when fewer frames than this remain after a block.
constexpr int64_t kEarlyEndFrames = 100;

} // namespace

int64_t RunBlockLoop(AudioFile& reader, AudioFile& writer, const FadeEnvelope& fades,
                     const BlockStretch& stretch, JobPump& pump)
{
    const int64_t blockFrames = std::max<int64_t>(stretch.blockFrames, 1);
    int64_t position = 0;
    while (position < stretch.frames) {
        if (!pump.pump())
            break;
        const int64_t at = stretch.outputStart + position;
        const int64_t request =
            std::min({stretch.frames - position, blockFrames, fades.nextEdge(at) - at});
        SampleArray block = reader.ReadBlock(static_cast<int>(request));
        const int frames = block.frames();
        if (frames <= 0)
            throw JobError(QStringLiteral("Cannot read \"%1\": it ended after %2 of the %3 frames "
                                          "to be written; it is shorter than when it was added, "
                                          "or it could not be read to its end.")
                               .arg(stretch.source)
                               .arg(position)
                               .arg(stretch.frames));
        fades.apply(block, at);
        position += frames;
        if (stretch.progress)
            stretch.progress(position);
        else
            pump.progress(position, stretch.frames);
        writer.WriteBlock(block);
        if (stretch.earlyEnd && stretch.frames - position < kEarlyEndFrames &&
            !fades.fadesOut(stretch.outputStart + position - 1))
            break;
    }
    return position;
}

int64_t FramesMovedWithoutFades(const BlockStretch& stretch)
{
    if (!stretch.earlyEnd)
        return stretch.frames;
    // The loop's own steps, with nothing read.
    const int64_t blockFrames = std::max<int64_t>(stretch.blockFrames, 1);
    int64_t position = 0;
    while (position < stretch.frames) {
        position += std::min(stretch.frames - position, blockFrames);
        if (stretch.frames - position < kEarlyEndFrames)
            break;
    }
    return position;
}
