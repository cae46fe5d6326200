#include "engine/CutJob.h"

#include "audio/AudioFile.h"
#include "base/TimeCode.h"
#include "engine/BlockLoop.h"
#include "engine/CutPlan.h"
#include "engine/EncoderSetup.h"
#include "engine/JobPanel.h"
#include "engine/JobRunner.h"
#include "engine/JobView.h"
#include "engine/OutputNaming.h"
#include "engine/WriteOutputTags.h"
#include "settings/Options.h"

namespace {

SegmentDisplay displayFor(int choice)
{
    switch (choice) {
    case 0:
        return SegmentDisplay::Custom;
    case 1:
        return SegmentDisplay::Timed;
    case 2:
        return SegmentDisplay::Equal;
    default:
        return SegmentDisplay::Keep;
    }
}

// The open segment, the last row, is not cut while more rows stand before
// it; a single row is cut and marked "OK". Counts the rows left as the
// file's segments. True when the open row was taken out.
bool takeOutOpenSegment(JobView& view, int file)
{
    bool removed = false;
    const int rows = view.segmentRowCount();
    if (rows == 1) {
        view.setSegmentStatus(0, QStringLiteral("OK"));
    } else if (rows > 1) {
        view.removeLastSegmentRow();
        removed = true;
    }
    view.setSegmentCount(file, view.segmentRowCount());
    return removed;
}

} // namespace

void CutJob::run(int choice)
{
    if (choice < 0 || choice > 3)
        return;
    m_runner.JobRunning = true;
    JobView& view = m_runner.parts().view;
    m_openSegmentRemoved = QVector<bool>(view.fileCount(), false);
    m_sharedOpenSegmentRemoved = false;
    try {
        cutFiles(choice);
    } catch (const std::exception& e) {
        m_runner.fail(QString::fromUtf8(e.what()));
    }
    m_runner.finish();
    // The open segments taken out for the job are listed again.
    for (int i = 0; i < m_openSegmentRemoved.size() && i < view.fileCount(); ++i) {
        if (m_openSegmentRemoved[i])
            view.setSegmentCount(i, view.file(i).segmentCount + 1);
    }
    if (m_sharedOpenSegmentRemoved && view.fileCount() > 0)
        view.setSegmentCount(0, view.file(0).segmentCount + 1);
}

void CutJob::cutFiles(int choice)
{
    const JobRunner::Parts& parts = m_runner.parts();
    JobView& view = parts.view;
    AudioFile& reader = parts.reader;
    AudioFile& writer = parts.writer;
    const Options& options = parts.options;
    JobPump& pump = m_runner.jobPump();

    const int fileCount = view.fileCount();
    if (fileCount == 0)
        return;
    JobRunner::checkOutputFolder(options.outputDir);
    OutputNaming naming(options.outputDir);
    QStringList sources;
    for (int i = 0; i < fileCount; ++i)
        sources << view.file(i).path;
    naming.protect(sources);

    // The pieces follow the stored lists as they were before the open
    // segments were taken out of the counts.
    const JobFile shared = view.file(0);
    if (choice == 3) {
        // The shared list loses its open segment for the whole job.
        view.showFile(0, SegmentDisplay::Unified);
        if (takeOutOpenSegment(view, 0))
            m_sharedOpenSegmentRemoved = true;
    }

    QString extension;
    for (int i = 0; i < fileCount; ++i) {
        if (!pump.pump())
            break;
        const JobFile before = view.file(i);
        const int32_t n = static_cast<int32_t>(before.sampleCount);
        const int32_t S = before.duration;
        const int32_t fadeOutFrames = static_cast<int32_t>(
            timecode::Scale64(int64_t(options.fadeOutSeconds) * 1000, n, int64_t(S) * 1000));
        view.showFile(i, displayFor(choice));
        if (choice == 0 && takeOutOpenSegment(view, i))
            m_openSegmentRemoved[i] = true;
        const JobFile file = view.file(i);

        if (reader.IsOpen())
            reader.Close();
        reader.OpenRead(file.path, 0, 1);
        const int64_t N = reader.GetSampleCount();
        const int64_t L = reader.GetDurationMs();
        // Computed pieces follow Choice/time and Choice/Count as they are now.
        const QVector<PlannedPiece> pieces = cutplan::pieces(choice, before, shared, options);

        for (const PlannedPiece& piece : pieces) {
            if (!pump.pump())
                break;
            const int64_t start = cutplan::startFrame(piece, N, L);
            const int64_t length = cutplan::lengthFrames(piece, N, L);
            reader.Seek(static_cast<int32_t>(start));

            if (writer.IsOpen())
                writer.Close();
            const int format = parts.panel.outputFormat();
            parts.encoder.configure(writer, format);
            if (const QString e = OutputNaming::OutputExtension(format); !e.isEmpty())
                extension = e;
            QString path = naming.choose(file.caption, extension, cutplan::numberedFirst(choice));
            const int rate = reader.GetSampleRate();
            const int channels = reader.GetChannels();
            writer.SetBlockFormat(rate, channels);
            if (writer.IsOpen())
                writer.Close();
            try {
                writer.OpenWrite(path, 0);
            } catch (const std::exception&) {
                // A name the file system refuses (too long, say): the
                // source's own name is tried instead.
                if (writer.IsOpen())
                    writer.Close();
                naming.release(path);
                path = naming.fallback(file.path, extension);
                writer.OpenWrite(path, 0);
            }
            m_runner.beginOutput(path);
            view.setSegmentStatus(piece.row, QStringLiteral("Converting"));
            writer.SetBlockFormat(rate, channels);

            CutPieceLoop loop;
            loop.length = length;
            loop.storedSamples = n;
            loop.storedSeconds = S;
            loop.fadeOutFrames = fadeOutFrames;
            loop.earlyEnd = choice == 0;
            RunCutBlockLoop(reader, writer, options, loop, pump);

            writer.Close();
            m_runner.endOutput();
            m_outputs << path;
            WriteOutputTags(path, file.tags);
            view.setSegmentStatus(piece.row, QStringLiteral("Finish"));
        }
        reader.Close();
    }
}
