// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/Commands.h"
#include "cli/CutCommand.h"
#include "cli/PlanOptions.h"
#include "cli/RunReport.h"

#include "audio/AudioFile.h"
#include "base/IniFile.h"
#include "base/SessionState.h"
#include "jobs/JobArea.h"
#include "settings/Options.h"

#include <QMap>
#include <QTextStream>

// vessimo-cli plan: adds the paths as the file and folder dialogs would and
// prints each file's pieces and their total, exactly as cut would make them.
int cli::plan(const ParsedLine& line)
{
    QTextStream err(stderr);
    ExactRequest request;
    Options options;
    try {
        request = parsePlan(line);
        options = LoadOptions(IniFile(settingsPath(line)));
    } catch (const UsageError& e) {
        return usageFailure(err, Plan, e);
    }
    RunReport report(Plan, line);
    QStringList paths;
    if (const std::optional<int> status = jobs::collectPaths(Plan, line, request, report, paths))
        return *status;

    jobs::QuietPrompts prompts;
    AudioFile reader;
    reader.SetEnabled(true);
    SessionState state;
    JobArea area(prompts, reader, options, state);
    jobs::addPaths(area, report, paths);
    const QVector<PlannedFile> files = planFiles(area.list(), request);

    // Frames summed by rate, so that the total is exact for each.
    QMap<int, int64_t> framesByRate;
    for (const PlannedFile& file : files) {
        jobs::reportNotes(report, file);
        report.addFile(jobs::fileJson(file));
        report.print(printable(file.caption) + QStringLiteral("  ") +
                     clockText(file.frames, file.rate));
        for (const FrameRange& silence : file.silences)
            report.print(
                QStringLiteral("  silence %1 - %2")
                    .arg(clockText(silence.begin, file.rate), clockText(silence.end, file.rate)));
        for (const Segment& piece : file.pieces) {
            const int64_t b = frameOf(piece.begin, file.rate);
            const int64_t e = frameOf(piece.end, file.rate);
            QString row = QStringLiteral("  %1 - %2  %3")
                              .arg(clockText(b, file.rate), clockText(e, file.rate),
                                   clockText(e - b, file.rate));
            if (piece.label.track > 0)
                row += QStringLiteral("  %1").arg(piece.label.track, 2, 10, QLatin1Char('0'));
            if (!piece.label.title.isEmpty())
                row += QStringLiteral(" ") + printable(piece.label.title);
            report.print(row);
            framesByRate[file.rate] += e - b;
        }
    }
    int64_t totalMs = 0;
    for (auto it = framesByRate.cbegin(); it != framesByRate.cend(); ++it)
        totalMs += it.value() * 1000 / it.key();
    report.print(QStringLiteral("Total ") + clockText(totalMs, 1000));
    return report.finish();
}
