#include "engine/JoinJob.h"

#include "audio/AudioFile.h"
#include "audio/AudioTransform.h"
#include "base/Prompts.h"
#include "base/TimeCode.h"
#include "engine/CutPlan.h"
#include "engine/EncoderSetup.h"
#include "engine/FrameMath.h"
#include "engine/JobError.h"
#include "engine/JobPanel.h"
#include "engine/JobRunner.h"
#include "engine/JobView.h"
#include "engine/OutputNaming.h"
#include "settings/Options.h"

#include <QFileInfo>
#include <algorithm>

const QString JoinJob::kFilter = QStringLiteral(
    "MP3 Files(*.mp3)|*.mp3|WAV Files(*.wav)|*.wav|WMA Files(*.wma)|*.wma|OGG Files(*.ogg)|*.ogg");

namespace {

QString sameFileKey(const QString& path)
{
    const QFileInfo info(path);
    const QString canonical = info.canonicalFilePath();
    return canonical.isEmpty() ? info.absoluteFilePath() : canonical;
}

// Gain in percent of a frame of a linear ramp over `length` frames: 0 at the
// ramp's first frame rising to 100 at its last (or the other way round).
float rampGain(int64_t index, int64_t length, bool rising)
{
    if (length <= 1)
        return rising ? 100.0f : 0.0f;
    const double x = std::clamp(double(index) / double(length - 1), 0.0, 1.0);
    return static_cast<float>(100.0 * (rising ? x : 1.0 - x));
}

} // namespace

QString JoinJob::withFormatExtension(const QString& name, int format)
{
    const QString extension = OutputNaming::OutputExtension(format);
    if (name.endsWith(extension, Qt::CaseInsensitive))
        return name;
    return name + extension;
}

bool JoinJob::ChooseJoinTarget()
{
    const JobRunner::Parts& parts = m_runner.parts();
    if (parts.view.fileCount() == 0)
        return false;
    const int format = parts.panel.outputFormat();
    const Prompts::SaveChoice choice =
        parts.prompts.joinTarget(kFilter, format + 1, parts.options.outputDir);
    if (choice.fileName.isEmpty())
        return false;
    m_format = std::clamp(choice.filterIndex, 1, 4) - 1;
    parts.panel.setOutputFormat(m_format);
    m_target = withFormatExtension(choice.fileName, m_format);
    if (m_target != choice.fileName && QFileInfo::exists(m_target)) {
        // The dialog confirmed the name it was given, not this one.
        parts.prompts.information(QStringLiteral("%1 already exists.").arg(m_target));
        return false;
    }
    for (int i = 0; i < parts.view.fileCount(); ++i) {
        if (sameFileKey(parts.view.file(i).path) == sameFileKey(m_target)) {
            parts.prompts.information(
                QStringLiteral("%1 is one of the files to join; choose another name.")
                    .arg(m_target));
            return false;
        }
    }
    return true;
}

void JoinJob::setTarget(const QString& path, int format)
{
    m_target = path;
    m_format = format;
}

void JoinJob::run(int choice)
{
    Variant variant;
    switch (choice) {
    case 0:
        variant = Variant::Custom;
        break;
    case 1:
    case 2:
        variant = Variant::Whole;
        break;
    case 3:
        variant = Variant::Unified;
        break;
    default:
        return;
    }
    m_runner.JobRunning = true;
    m_completed = false;
    try {
        join(variant);
    } catch (const std::exception& e) {
        m_runner.fail(QString::fromUtf8(e.what()));
    }
    m_runner.finish();
}

void JoinJob::checkTarget() const
{
    const JobView& view = m_runner.parts().view;
    for (int i = 0; i < view.fileCount(); ++i) {
        if (sameFileKey(view.file(i).path) == sameFileKey(m_target))
            throw JobError(
                QStringLiteral("Cannot write %1: it is one of the files to join.").arg(m_target));
    }
    const QFileInfo info(m_target);
    if (info.isDir())
        throw JobError(
            QStringLiteral("Cannot write %1: a folder of that name exists.").arg(m_target));
    JobRunner::checkOutputFolder(info.absolutePath());
}

QVector<JoinJob::Part> JoinJob::partsOf(Variant variant, const JobFile& file, const JobFile& first,
                                        int64_t N, int64_t L, int rate, int targetRate) const
{
    QVector<Part> parts;
    auto add = [&](int row, int64_t D, int64_t F) {
        // A part never reads outside its file.
        D = std::clamp<int64_t>(D, 0, N);
        F = std::clamp<int64_t>(F, D, N);
        Part p;
        p.row = row;
        p.start = D;
        p.sourceFrames = F - D;
        p.outputFrames = rate == targetRate
                             ? p.sourceFrames
                             : framemath::ScaleHalfEven(p.sourceFrames, targetRate, rate);
        parts.push_back(p);
    };
    auto frame = [&](int32_t seconds) { return timecode::Scale64(int64_t(seconds) * 1000, N, L); };
    if (variant == Variant::Whole) {
        add(0, 0, N);
        return parts;
    }
    const JobFile& list = variant == Variant::Custom ? file : first;
    const int count =
        std::min<int>(cutplan::processedSegments(list.segmentCount),
                      static_cast<int>(std::min(list.beginTimes.size(), list.endTimes.size())));
    for (int j = 0; j < count; ++j)
        add(j, frame(list.beginTimes[j]), frame(list.endTimes[j]));
    return parts;
}

void JoinJob::join(Variant variant)
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

    checkTarget();
    parts.encoder.configure(writer, m_format);

    // Every part and the length of the whole output are known before the
    // first block, so the progress and the fade-out can be placed exactly.
    QVector<FilePlan> plans(fileCount);
    int targetRate = 0;
    int targetChannels = 0;
    int64_t fadeInFrames = 0;
    int64_t fadeOutFrames = 0;
    int64_t expectedTotal = 0;
    int64_t expectedOutput = 0;
    const JobFile first = view.file(0);
    for (int i = 0; i < fileCount; ++i) {
        const JobFile file = view.file(i);
        if (reader.IsOpen())
            reader.Close();
        reader.OpenRead(file.path, 0, 1);
        const int64_t N = reader.GetSampleCount();
        const int64_t L = reader.GetDurationMs();
        const int rate = reader.GetSampleRate();
        if (i == 0) {
            targetRate = rate;
            targetChannels = reader.GetChannels();
            // The output runs at the first file's rate, so its lengths are
            // the first file's.
            fadeInFrames = timecode::Scale64(int64_t(options.fadeInSeconds) * 1000, N, L);
            fadeOutFrames = timecode::Scale64(int64_t(options.fadeOutSeconds) * 1000, N, L);
        }
        plans[i].rate = rate;
        plans[i].parts = partsOf(variant, file, first, N, L, rate, targetRate);
        for (const Part& p : plans[i].parts) {
            expectedTotal += p.sourceFrames;
            expectedOutput += p.outputFrames;
        }
        reader.Close();
    }

    // An output shorter than a fade is faded over its whole length.
    fadeInFrames = std::min(fadeInFrames, expectedOutput);
    fadeOutFrames = std::min(fadeOutFrames, expectedOutput);

    writer.SetBlockFormat(targetRate, targetChannels);
    if (writer.IsOpen())
        writer.Close();
    writer.OpenWrite(m_target, 0);
    m_runner.beginOutput(m_target);
    writer.SetBlockFormat(targetRate, targetChannels);

    const int64_t blockFrames = int64_t(targetRate) * targetChannels;
    int64_t done = 0;    // source frames moved
    int64_t written = 0; // output frames written
    m_partsWritten = 0;
    for (int i = 0; i < fileCount; ++i) {
        if (!pump.pump())
            break;
        const FilePlan& plan = plans[i];
        switch (variant) {
        case Variant::Custom:
        case Variant::Unified:
            view.showFile(i, variant == Variant::Custom ? SegmentDisplay::Custom
                                                        : SegmentDisplay::Unified);
            if (view.segmentRowCount() == 1)
                view.setSegmentStatus(0, QStringLiteral("OK"));
            else if (view.segmentRowCount() > 1)
                view.removeLastSegmentRow();
            break;
        case Variant::Whole:
            view.showFile(i, SegmentDisplay::WholeFile);
            break;
        }
        if (reader.IsOpen())
            reader.Close();
        reader.OpenRead(view.file(i).path, 0, 1);
        reader.SetBlockFormat(targetRate, targetChannels);

        for (const Part& part : plan.parts) {
            if (!pump.pump())
                break;
            view.setSegmentStatus(part.row, QStringLiteral("Converting"));
            if (variant != Variant::Whole)
                reader.Seek(static_cast<int32_t>(part.start));
            const int64_t doneBefore = done;
            int64_t got = 0;
            while (got < part.outputFrames) {
                if (!pump.pump())
                    break;
                int64_t request = std::min(part.outputFrames - got, blockFrames);
                const bool fadeIn = options.fadeIn && written < fadeInFrames;
                if (fadeIn)
                    request = std::min(request, fadeInFrames - written);
                const int64_t fadeStart = expectedOutput - fadeOutFrames;
                if (options.fadeOut && written < fadeStart)
                    request = std::min(request, fadeStart - written);

                SampleArray block = reader.ReadBlock(static_cast<int>(request));
                const int frames = block.frames();
                if (frames <= 0)
                    break;
                // Each block's gain follows from where it lies in the output.
                if (fadeIn)
                    AudioTransform::Fade(block, rampGain(written, fadeInFrames, true),
                                         rampGain(written + frames - 1, fadeInFrames, true));
                if (options.fadeOut && written >= fadeStart)
                    AudioTransform::Fade(
                        block, rampGain(written - fadeStart, fadeOutFrames, false),
                        rampGain(written + frames - 1 - fadeStart, fadeOutFrames, false));
                got += frames;
                written += frames;
                const int64_t consumed =
                    plan.rate == targetRate
                        ? got
                        : std::min(part.sourceFrames,
                                   framemath::ScaleHalfEven(got, plan.rate, targetRate));
                done = std::min(doneBefore + consumed, expectedTotal);
                pump.progress(done, expectedTotal);
                writer.WriteBlock(block);
            }
            ++m_partsWritten;
            view.setSegmentStatus(part.row, QStringLiteral("Finish"));
        }
        reader.Close();
    }
    writer.Close();
    m_runner.endOutput();
    m_framesWritten = written;
    m_completed = m_runner.JobRunning;
}
