#include "cli/Commands.h"
#include "cli/CutCommand.h"
#include "cli/PlanOptions.h"
#include "cli/RunReport.h"

#include "audio/AudioFile.h"
#include "base/IniFile.h"
#include "base/SessionState.h"
#include "jobs/JobArea.h"
#include "settings/Options.h"

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
    if (!jobs::inputPaths(line, report, paths))
        return usageFailure(err, Plan, UsageError(QStringLiteral("no file or folder given")));

    jobs::QuietPrompts prompts;
    AudioFile reader;
    reader.SetEnabled(true);
    SessionState state;
    JobArea area(prompts, reader, options, state);
    jobs::addPaths(area, report, paths);
    const QVector<PlannedFile> files = planFiles(area.list(), request);

    int64_t totalMs = 0;
    for (const PlannedFile& file : files) {
        jobs::reportNotes(report, file);
        report.addFile(jobs::fileJson(file));
        report.print(printable(file.caption) + QStringLiteral("  ") +
                     clockText(file.frames, file.rate));
        for (const Segment& piece : file.pieces) {
            const int64_t b = *piece.begin.exactFrame();
            const int64_t e = *piece.end.exactFrame();
            report.print(QStringLiteral("  %1 - %2  %3")
                             .arg(clockText(b, file.rate), clockText(e, file.rate),
                                  clockText(e - b, file.rate)));
            totalMs += (e - b) * 1000 / file.rate;
        }
    }
    report.print(QStringLiteral("Total ") + clockText(totalMs, 1000));
    return report.finish();
}
