#include "engine/CutBatch.h"

#include "audio/AudioFile.h"
#include "base/TimeCode.h"
#include "engine/BlockLoop.h"
#include "engine/EncoderSetup.h"
#include "engine/JobPump.h"
#include "engine/OutputNaming.h"
#include "engine/WriteOutputTags.h"
#include "settings/Options.h"

QVector<CutTask> CutBatch::plan(const QVector<JobFile>& files, int choice, int format,
                                const QString& folder, const Options& options)
{
    QVector<CutTask> tasks;
    if (files.isEmpty())
        return tasks;
    OutputNaming naming(folder);
    QStringList sources;
    for (const JobFile& f : files)
        sources << f.path;
    naming.protect(sources);
    const QString extension = OutputNaming::OutputExtension(format);
    for (int i = 0; i < files.size(); ++i) {
        const JobFile& file = files[i];
        for (const PlannedPiece& piece : cutplan::pieces(choice, file, files[0], options)) {
            CutTask task;
            task.fileIndex = i;
            task.piece = piece;
            task.source = file.path;
            task.output = naming.choose(file.caption, extension, cutplan::numberedFirst(choice));
            task.tags = file.tags;
            task.storedSamples = static_cast<int32_t>(file.sampleCount);
            task.storedSeconds = file.duration;
            task.earlyEnd = choice == 0;
            tasks.push_back(task);
        }
    }
    return tasks;
}

int64_t CutBatch::cut(const CutTask& task, int format, AudioFile& reader, AudioFile& writer,
                      const EncoderSetup& encoder, const Options& options, JobPump& pump)
{
    if (!reader.IsOpen())
        reader.OpenRead(task.source, 0, 1);
    const int64_t N = reader.GetSampleCount();
    const int64_t L = reader.GetDurationMs();
    const int64_t start = cutplan::startFrame(task.piece, N, L);
    reader.Seek(static_cast<int32_t>(start));

    if (writer.IsOpen())
        writer.Close();
    encoder.configure(writer, format);
    const int rate = reader.GetSampleRate();
    const int channels = reader.GetChannels();
    writer.SetBlockFormat(rate, channels);
    writer.OpenWrite(task.output, 0);
    writer.SetBlockFormat(rate, channels);

    CutPieceLoop loop;
    loop.length = cutplan::lengthFrames(task.piece, N, L);
    loop.storedSamples = task.storedSamples;
    loop.storedSeconds = task.storedSeconds;
    loop.fadeOutFrames = static_cast<int32_t>(
        timecode::Scale64(int64_t(options.fadeOutSeconds) * 1000, task.storedSamples,
                          int64_t(task.storedSeconds) * 1000));
    loop.earlyEnd = task.earlyEnd;
    int64_t frames = 0;
    try {
        frames = RunCutBlockLoop(reader, writer, options, loop, pump);
    } catch (...) {
        writer.Abandon();
        throw;
    }
    writer.Close();
    WriteOutputTags(task.output, task.tags);
    return frames;
}
