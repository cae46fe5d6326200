// SPDX-License-Identifier: GPL-3.0-or-later
#include "engine/CutPiece.h"

#include "audio/AudioFile.h"
#include "audio/OutputFile.h"
#include "audio/mpeg/Mp3PieceWriter.h"
#include "engine/BlockLoop.h"
#include "engine/CutTask.h"
#include "engine/FadeEnvelope.h"
#include "engine/JobPump.h"
#include "engine/Mp3CopySources.h"
#include "engine/OpenOutput.h"
#include "engine/WriteOutputTags.h"

namespace {

// Where a piece lies in its source of N frames and L ms.
struct Span {
    int64_t start = 0;
    int64_t length = 0;
};

Span spanOf(const CutTask& task, int64_t N, int64_t L)
{
    return {cutplan::startFrame(task.piece, N, L), cutplan::lengthFrames(task.piece, N, L)};
}

BlockStretch stretchOf(const CutTask& task, int64_t length, int rate, int channels)
{
    BlockStretch stretch;
    stretch.frames = length;
    // As many frames as the source has samples in a second: one second of
    // a mono source, two of a stereo one.
    stretch.blockFrames = int64_t(rate) * channels;
    stretch.earlyEnd = task.earlyEnd;
    stretch.source = task.source;
    return stretch;
}

PieceWritten encode(const CutTask& task, const PieceTools& tools, const PieceHooks& hooks)
{
    AudioFile& reader = tools.reader;
    if (!reader.IsOpen())
        reader.OpenRead(task.source, 0, 1);
    const Span span = spanOf(task, reader.GetSampleCount(), reader.GetDurationMs());
    reader.Seek(static_cast<int32_t>(span.start));
    const int rate = reader.GetSampleRate();
    const int channels = reader.GetChannels();
    PieceWritten written;
    written.firstFrame = span.start;
    if (hooks.beforeOpen)
        hooks.beforeOpen();
    written.output =
        openOutput(tools.writer, tools.encoder,
                   {task.format, rate, channels, task.output, hooks.fallback}, tools.unfinished);
    if (hooks.opened)
        hooks.opened(written.output);

    const BlockStretch stretch = stretchOf(task, span.length, rate, channels);
    const FadeEnvelope fades =
        FadeEnvelope::over(span.length, task.fadeInFrames, task.fadeOutFrames);
    written.frames = RunBlockLoop(reader, tools.writer, fades, stretch, tools.pump);

    tools.writer.Close();
    tools.unfinished.end();
    if (task.tagged)
        WriteOutputTags(written.output, task.tags);
    return written;
}

// The name a copied piece is written under: the task's, or the fallback
// name where the file system refuses it, decided in the order the hooks keep,
// as an encoded piece's is when its output is opened.
QString copyTarget(const CutTask& task, const PieceHooks& hooks)
{
    if (hooks.beforeOpen)
        hooks.beforeOpen();
    QString target = task.output;
    try {
        OutputFile::checkTarget(target);
    } catch (const OutputWriteError&) {
        if (!hooks.fallback)
            throw;
        target = hooks.fallback();
        OutputFile::checkTarget(target);
    }
    if (hooks.opened)
        hooks.opened(target);
    return target;
}

// Copies the piece's frames. Throws Mp3CopyRefused before anything is
// written when the source or this piece of it cannot be copied; `named`
// then holds the name decided for it, if it came that far.
PieceWritten copy(const CutTask& task, const PieceTools& tools, const PieceHooks& hooks,
                  QString& named)
{
    const std::shared_ptr<const Mp3PieceWriter> source = tools.copies->writerFor(task.source);
    const int64_t N = source->sampleCount();
    // The reader's length in ms, which places times as for an encoded piece.
    const int64_t L = N * 1000 / source->sampleRate();
    const Span span = spanOf(task, N, L);
    const int64_t length = FramesMovedWithoutFades(
        stretchOf(task, span.length, source->sampleRate(), source->channels()));
    PieceWritten written;
    written.firstFrame = span.start;
    written.output = named = copyTarget(task, hooks);
    tools.pump.progress(0, length);
    source->write(span.start, span.start + length, written.output);
    tools.pump.progress(length, length);
    written.frames = length;
    written.copied = true;
    if (task.tagged)
        WriteOutputTags(written.output, task.tags);
    return written;
}

} // namespace

PieceWritten cutPiece(const CutTask& task, const PieceTools& tools, const PieceHooks& hooks)
{
    if (task.how == PieceMethod::Encode || !tools.copies)
        return encode(task, tools, hooks);
    QString named;
    QString refusal;
    try {
        return copy(task, tools, hooks, named);
    } catch (const Mp3CopyRefused& e) {
        if (tools.refusedCopy == RefusedCopy::Fail)
            throw;
        refusal = e.message();
    }
    // Encoded under the name already decided, if one was.
    CutTask instead = task;
    instead.how = PieceMethod::Encode;
    if (!named.isEmpty())
        instead.output = named;
    PieceWritten written = encode(instead, tools, hooks);
    written.notCopied = refusal;
    return written;
}
