// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/Commands.h"
#include "cli/CutCommand.h"

#include "app/JobAreaView.h"
#include "audio/AudioFile.h"
#include "audio/encoders/Mp3EncoderSettings.h"
#include "base/IniFile.h"
#include "base/SessionState.h"
#include "engine/EncoderSetup.h"
#include "engine/JobPanel.h"
#include "engine/JobPumps.h"
#include "engine/JobRunner.h"
#include "engine/JoinJob.h"
#include "jobs/JobArea.h"
#include "jobs/SegmentPlan.h"

#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTextStream>

namespace {

using namespace cli;
using namespace cli::jobs;

// The format an output name asks for by its extension, in any case.
OutputFormat formatOfTarget(const QString& target)
{
    const QString suffix = QFileInfo(target).suffix().toLower();
    for (const OutputFormat format :
         {OutputFormat::Mp3, OutputFormat::Wav, OutputFormat::Wma, OutputFormat::Ogg})
        if (outputExtension(format) == QLatin1Char('.') + suffix)
            return format;
    throw UsageError(
        QStringLiteral("the output %1 must end in .mp3, .wav, .wma or .ogg").arg(target));
}

QString sameFileKey(const QString& path)
{
    const QFileInfo info(path);
    const QString canonical = info.canonicalFilePath();
    return canonical.isEmpty() ? info.absoluteFilePath() : canonical;
}

} // namespace

// vessimo-cli join: writes the parts of all files one after another into
// one output.
int cli::join(const ParsedLine& line)
{
    QTextStream err(stderr);

    ExactRequest request;
    Fades fades;
    Options options;
    QString target;
    OutputFormat format = OutputFormat::Mp3;
    QString iniPath;
    try {
        if (!line.isSet(QStringLiteral("output")))
            throw UsageError(QStringLiteral("no output given (-o OUTPUT)"));
        request = parsePlan(line);
        fades = parseFades(line);
        // The join places its fades in whole seconds of the first file.
        for (const auto& [fade, option] : {std::pair{fades.in, "fade-in"}, {fades.out, "fade-out"}})
            if (fade && fade->nanoseconds() % 1'000'000'000 != 0)
                throw UsageError(QStringLiteral("join fades in whole seconds: write --%1 %2")
                                     .arg(QLatin1String(option))
                                     .arg(fade->nanoseconds() / 1'000'000'000 + 1));
        iniPath = settingsPath(line);
        options = loadOptions(line, fades);
        target = line.value(QStringLiteral("output"));
        format = formatOfTarget(target);
    } catch (const UsageError& e) {
        return usageFailure(err, Join, e);
    }
    const bool dryRun = line.isSet(QStringLiteral("dry-run"));
    RunReport report(Join, line);
    QStringList paths;
    if (const std::optional<int> status = jobs::collectPaths(Join, line, request, report, paths))
        return *status;

    const QFileInfo targetInfo(target);
    if (const QString problem = checkFolder(targetInfo.absolutePath()); !problem.isEmpty()) {
        report.fail(targetInfo.absolutePath(), problem);
        return report.finish();
    }
    if (targetInfo.isDir()) {
        report.fail(target, QStringLiteral("is a folder"));
        return report.finish();
    }
    if ((targetInfo.exists() || targetInfo.isSymLink()) &&
        !line.isSet(QStringLiteral("overwrite"))) {
        report.fail(target, QStringLiteral("exists; give --overwrite to replace it"));
        return report.finish();
    }

    QuietPrompts prompts;
    AudioFile reader;
    AudioFile writer;
    reader.SetEnabled(true);
    writer.SetEnabled(true);
    SessionState state;
    JobArea area(prompts, reader, options, state);
    addPaths(area, report, paths);
    // A join without one of its files would be a different file: nothing
    // is written when any path was refused.
    if (report.hasErrors())
        return report.finish();
    JobList& list = area.list();
    if (list.isEmpty()) {
        report.fail(target, QStringLiteral("no file to join"));
        return report.finish();
    }
    for (int i = 0; i < list.count(); ++i) {
        if (sameFileKey(list.entry(i).path) == sameFileKey(target)) {
            report.fail(target, QStringLiteral("is one of the files to join"));
            return report.finish();
        }
    }
    const QVector<PlannedFile> files = planFiles(list, request);
    try {
        checkFadesFit(fades, files, true);
    } catch (const UsageError& e) {
        return usageFailure(err, Join, e);
    }
    int64_t plannedFrames = 0;
    int parts = 0;
    for (const PlannedFile& file : files) {
        reportNotes(report, file);
        report.addFile(fileJson(file));
        for (const Segment& piece : file.pieces) {
            ++parts;
            plannedFrames += frameOf(piece.end, file.rate) - frameOf(piece.begin, file.rate);
        }
    }
    if (list.isEmpty()) {
        report.fail(target, QStringLiteral("no part to join"));
        return report.finish();
    }
    const int rate = files.first().rate;
    const auto outputJson = [&](int64_t frames, int written) {
        return QJsonObject{{QStringLiteral("path"), target},
                           {QStringLiteral("parts"), written},
                           {QStringLiteral("frames"), static_cast<qint64>(frames)},
                           {QStringLiteral("seconds"), secondsOf(frames, rate)}};
    };
    if (dryRun) {
        report.addOutput(outputJson(plannedFrames, parts));
        report.print(QStringLiteral("%1  %2 parts  %3")
                         .arg(printable(target))
                         .arg(parts)
                         .arg(clockText(plannedFrames, rate)));
        return report.finish();
    }

    installStopHandler();
    IniFile ini(iniPath);
    Mp3EncoderSettings mp3;
    const EncoderSetup encoder(ini, mp3);
    JobAreaView view(area);
    SilentPanel panel(format);
    ProgressLine progressLine(!report.quiet());
    const QString name = targetInfo.fileName();
    StopFlagPump pump(stopFlag(), [&](int64_t done, int64_t total) {
        progressLine.show(1, 1, name, total > 0 ? int(done * 100 / total) : 100,
                          double(done) / std::max(1, rate));
    });
    const qsizetype errorsBefore = prompts.errors.size();
    JobRunner runner(JobRunner::Parts{reader, writer, options, view, panel, encoder, prompts, pump},
                     state);
    JoinJob job(runner);
    job.setTarget(target, format);
    job.run(segmentplan::Custom);
    progressLine.clear();

    for (qsizetype k = errorsBefore; k < prompts.errors.size(); ++k)
        report.fail(target, prompts.errors[k]);
    if (!report.hasErrors()) {
        report.addOutput(outputJson(job.framesWritten(), job.partsWritten()));
        report.print(printable(target));
    }
    if (stopFlag().load())
        report.fail(target, QStringLiteral("stopped; the output holds what was joined so far"));
    return report.finish();
}
