// SPDX-License-Identifier: GPL-3.0-or-later
#include "engine/JoinJob.h"

#include "audio/AudioFile.h"
#include "base/Prompts.h"
#include "engine/BlockLoop.h"
#include "engine/FrameMath.h"
#include "engine/JobError.h"
#include "engine/JobPanel.h"
#include "engine/JobRunner.h"
#include "engine/JobView.h"
#include "engine/OpenOutput.h"
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

} // namespace

QString JoinJob::withFormatExtension(const QString& name, OutputFormat format)
{
    const QString extension = outputExtension(format);
    if (name.endsWith(extension, Qt::CaseInsensitive))
        return name;
    return name + extension;
}

bool JoinJob::ChooseJoinTarget()
{
    const JobRunner::Parts& parts = m_runner.parts();
    if (parts.view.fileCount() == 0)
        return false;
    const OutputFormat format = parts.panel.outputFormat();
    const Prompts::SaveChoice choice =
        parts.prompts.joinTarget(kFilter, formatIndex(format) + 1, parts.options.outputDir);
    if (choice.fileName.isEmpty())
        return false;
    m_format = *outputFormatAt(std::clamp(choice.filterIndex, 1, 4) - 1);
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

void JoinJob::setTarget(const QString& path, OutputFormat format)
{
    m_target = path;
    m_format = format;
}

void JoinJob::run(segmentplan::Choice choice)
{
    m_runner.startJob();
    m_completed = false;
    try {
        join(joinVariantOf(choice));
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

void JoinJob::join(JoinVariant variant)
{
    if (m_runner.parts().view.fileCount() == 0)
        return;
    checkTarget();
    write(variant, plan(variant));
}

JoinPlan JoinJob::plan(JoinVariant variant)
{
    // Every part and the length of the whole output are known before the
    // first block, so the progress and the fade-out can be placed exactly.
    const JobRunner::Parts& parts = m_runner.parts();
    AudioFile& reader = parts.reader;
    QVector<JoinSource> sources;
    for (int i = 0; i < parts.view.fileCount(); ++i) {
        JoinSource source;
        source.file = parts.view.file(i);
        if (reader.IsOpen())
            reader.Close();
        reader.OpenRead(source.file.path, 0, 1);
        source.frames = reader.GetSampleCount();
        source.durationMs = reader.GetDurationMs();
        source.rate = reader.GetSampleRate();
        source.channels = reader.GetChannels();
        reader.Close();
        sources.push_back(source);
    }
    return planJoin(variant, sources, parts.options);
}

void JoinJob::write(JoinVariant variant, const JoinPlan& plan)
{
    const JobRunner::Parts& parts = m_runner.parts();
    JobView& view = parts.view;
    AudioFile& reader = parts.reader;
    AudioFile& writer = parts.writer;
    JobPump& pump = m_runner.jobPump();

    openOutput(writer, parts.encoder, {m_format, plan.rate, plan.channels, m_target, {}},
               m_runner.unfinished());

    int64_t done = 0;    // source frames moved
    int64_t written = 0; // output frames written
    m_partsWritten = 0;
    for (int i = 0; i < plan.files.size(); ++i) {
        if (!pump.pump())
            break;
        const JoinFilePlan& file = plan.files[i];
        switch (variant) {
        case JoinVariant::Custom:
        case JoinVariant::Unified:
            view.showFile(i, variant == JoinVariant::Custom ? SegmentDisplay::Custom
                                                            : SegmentDisplay::Unified);
            break;
        case JoinVariant::Whole:
            view.showFile(i, SegmentDisplay::WholeFile);
            break;
        }
        const QString source = view.file(i).path;
        if (reader.IsOpen())
            reader.Close();
        reader.OpenRead(source, 0, 1);
        reader.SetBlockFormat(plan.rate, plan.channels);

        for (const JoinPart& part : file.parts) {
            if (!pump.pump())
                break;
            view.setSegmentStatus(part.row, SegmentStatus::Converting);
            if (variant != JoinVariant::Whole)
                reader.Seek(static_cast<int32_t>(part.start));
            const int64_t doneBefore = done;
            BlockStretch stretch;
            stretch.frames = part.outputFrames;
            stretch.outputStart = written;
            stretch.blockFrames = int64_t(plan.rate) * plan.channels;
            stretch.source = source;
            // The progress counts source frames over the whole output; a
            // converted part counts its frames back at its own rate.
            stretch.progress = [&](int64_t got) {
                const int64_t consumed =
                    file.rate == plan.rate
                        ? got
                        : std::min(part.sourceFrames,
                                   framemath::ScaleHalfEven(got, file.rate, plan.rate));
                done = std::min(doneBefore + consumed, plan.expectedTotal);
                pump.progress(done, plan.expectedTotal);
            };
            written += RunBlockLoop(reader, writer, plan.fades, stretch, pump);
            ++m_partsWritten;
            view.setSegmentStatus(part.row, SegmentStatus::Finished);
        }
        reader.Close();
    }
    writer.Close();
    m_runner.unfinished().end();
    m_framesWritten = written;
    m_completed = m_runner.JobRunning();
}
