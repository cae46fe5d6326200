#include "engine/BlockLoop.h"

#include "audio/AudioFile.h"
#include "audio/AudioTransform.h"
#include "base/TimeCode.h"
#include "engine/JobPump.h"
#include "settings/Options.h"

#include <algorithm>

int64_t RunCutBlockLoop(AudioFile& reader, AudioFile& writer, const Options& options,
                        const CutPieceLoop& piece, JobPump& pump)
{
    int64_t position = 0;
    while (position < piece.length) {
        if (!pump.pump())
            break;
        const int64_t remaining = piece.length - position;
        const int64_t blockFrames =
            static_cast<int64_t>(reader.GetSampleRate()) * reader.GetChannels();
        int64_t request = std::min(remaining, blockFrames);
        const bool fadeIn = options.fadeIn && position == 0;
        if (fadeIn) {
            const int64_t fadeInFrames =
                timecode::Scale64(int64_t(options.fadeInSeconds) * 1000, piece.storedSamples,
                                  int64_t(piece.storedSeconds) * 1000);
            if (fadeInFrames > 0)
                request = std::min(fadeInFrames, remaining);
        }
        const bool fadeOut = options.fadeOut && remaining <= piece.fadeOutFrames;
        if (fadeOut)
            request = remaining;
        else if (options.fadeOut && remaining - request < piece.fadeOutFrames)
            // The block ends where the fade-out begins, so the fade-out
            // always spans its full length instead of being skipped or
            // shortened by a block that runs past its start.
            request = remaining - piece.fadeOutFrames;

        SampleArray block = reader.ReadBlock(static_cast<int>(request));
        const int frames = block.frames();
        if (frames <= 0)
            break;
        if (fadeIn)
            AudioTransform::Fade(block, 0.0f, 100.0f);
        if (fadeOut)
            AudioTransform::Fade(block, 100.0f, 0.0f);
        position += frames;
        pump.progress(position, piece.length);
        writer.WriteBlock(block);
        if (piece.earlyEnd && piece.length - position < 100)
            break;
    }
    return position;
}
