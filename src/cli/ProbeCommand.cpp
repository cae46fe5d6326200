// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/Commands.h"
#include "cli/CutCommand.h"
#include "cli/PlanOptions.h"
#include "cli/RunReport.h"

#include "audio/AudioError.h"
#include "audio/AudioReader.h"

#include <QJsonObject>
#include <QTextStream>

// vessimo-cli probe [--json] FILE...: what the reader reports for each file.
// Every file is probed even when one fails; the status is then 1.
int cli::probe(const ParsedLine& line)
{
    QTextStream err(stderr);
    RunReport report(Probe, line);
    QStringList files;
    if (!jobs::inputPaths(line, report, files))
        return usageFailure(err, Probe, UsageError(QStringLiteral("no file given")));

    for (const QString& path : files) {
        if (const QString problem = fileProblem(path); !problem.isEmpty()) {
            report.fail(path, problem);
            continue;
        }
        try {
            const std::unique_ptr<AudioReader> reader = AudioReader::open(path);
            report.addFile(QJsonObject{
                {QStringLiteral("path"), path},
                {QStringLiteral("format"), reader->formatName()},
                {QStringLiteral("rate"), reader->sampleRate()},
                {QStringLiteral("channels"), reader->channels()},
                {QStringLiteral("frames"), static_cast<qint64>(reader->sampleCount())},
                {QStringLiteral("seconds"), secondsOf(reader->sampleCount(), reader->sampleRate())},
            });
            report.print(QStringLiteral("%1: %2, %3 Hz, %4 channels, %5 frames, %6 ms")
                             .arg(printable(path), reader->formatName())
                             .arg(reader->sampleRate())
                             .arg(reader->channels())
                             .arg(reader->sampleCount())
                             .arg(reader->durationMs()));
        } catch (const AudioError& e) {
            report.fail(path, readerCause(e.message()));
        }
    }
    return report.finish();
}
