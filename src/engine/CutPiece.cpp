#include "engine/CutPiece.h"

#include "audio/AudioFile.h"
#include "engine/BlockLoop.h"
#include "engine/CutTask.h"
#include "engine/FadeEnvelope.h"
#include "engine/OpenOutput.h"
#include "engine/WriteOutputTags.h"

namespace {

PieceWritten encode(const CutTask& task, const PieceTools& tools, int64_t length,
                    const PieceHooks& hooks)
{
    AudioFile& reader = tools.reader;
    const int rate = reader.GetSampleRate();
    const int channels = reader.GetChannels();
    PieceWritten written;
    if (hooks.beforeOpen)
        hooks.beforeOpen();
    written.output =
        openOutput(tools.writer, tools.encoder,
                   {task.format, rate, channels, task.output, hooks.fallback}, tools.unfinished);
    if (hooks.opened)
        hooks.opened(written.output);

    BlockStretch stretch;
    stretch.frames = length;
    // As many frames as the source has samples in a second: one second of
    // a mono source, two of a stereo one.
    stretch.blockFrames = int64_t(rate) * channels;
    stretch.earlyEnd = task.earlyEnd;
    stretch.source = task.source;
    const FadeEnvelope fades = FadeEnvelope::over(length, task.fadeInFrames, task.fadeOutFrames);
    written.frames = RunBlockLoop(reader, tools.writer, fades, stretch, tools.pump);

    tools.writer.Close();
    tools.unfinished.end();
    WriteOutputTags(written.output, task.tags);
    return written;
}

} // namespace

PieceWritten cutPiece(const CutTask& task, const PieceTools& tools, const PieceHooks& hooks)
{
    AudioFile& reader = tools.reader;
    const int64_t N = reader.GetSampleCount();
    const int64_t L = reader.GetDurationMs();
    const int64_t start = cutplan::startFrame(task.piece, N, L);
    const int64_t length = cutplan::lengthFrames(task.piece, N, L);
    reader.Seek(static_cast<int32_t>(start));
    switch (task.how) {
    case PieceMethod::Encode:
        return encode(task, tools, length, hooks);
    }
    return {};
}
