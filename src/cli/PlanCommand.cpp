#include "cli/Commands.h"
#include "cli/CutCommand.h"
#include "cli/PlanOptions.h"

#include "audio/AudioFile.h"
#include "base/IniFile.h"
#include "base/SessionState.h"
#include "jobs/JobArea.h"
#include "settings/Options.h"

#include <QCommandLineParser>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTextStream>

namespace {

using namespace cli;

const char* const kUsage =
    "usage: vessimo-cli plan [--every N | --pieces N | --segments LIST] [--settings INI] "
    "[--json] PATH...\n";

} // namespace

// vessimo-cli plan: adds the paths as the file and folder dialogs would and
// prints each file's segment list and the total under the chosen plan.
int cli::plan(const QStringList& args)
{
    QTextStream out(stdout);
    QTextStream err(stderr);

    const QString command = QStringLiteral("vessimo-cli plan");
    QCommandLineParser parser;
    addPlanOptions(parser);
    addSettingsOption(parser);
    parser.addOption({QStringLiteral("json"), QStringLiteral("Print JSON.")});
    parser.addPositionalArgument(QStringLiteral("PATH"), QStringLiteral("Files and folders."));

    PlanChoice plan;
    Options options;
    try {
        parseCommandLine(parser, command, args);
        plan = parsePlan(parser);
        refuseRepeats(parser, {QStringLiteral("every"), QStringLiteral("pieces"),
                               QStringLiteral("segments"), QStringLiteral("settings")});
        options = LoadOptions(IniFile(settingsPath(parser)));
    } catch (const UsageError& e) {
        return usageFailure(err, command, e, kUsage);
    }
    applyPlan(plan, options);

    const bool json = parser.isSet(QStringLiteral("json"));
    cli::jobs::QuietPrompts prompts;
    AudioFile reader;
    reader.SetEnabled(true);
    SessionState state;
    JobArea area(prompts, reader, options, state);
    QJsonArray errors;
    QObject::connect(&area, &JobArea::fileRefused,
                     [&](const QString& path, const QString& message) {
                         errors.append(QJsonObject{{QStringLiteral("path"), path},
                                                   {QStringLiteral("error"), message}});
                         err << printable(message) << "\n";
                         err.flush();
                     });

    addPaths(area, prompts, parser.positionalArguments());
    JobList& list = area.list();
    applySegments(plan, list);

    QJsonArray files;
    for (int row = 0; row < list.count(); ++row) {
        list.select(row);
        area.lvClick();
        const listrecord& e = list.entry(row);
        const SegmentList& segments = area.segments();
        QJsonArray rows;
        if (!json)
            out << printable(list.caption(row)) << "  " << list.timeText(row) << "\n";
        for (int s = 0; s < segments.count(); ++s) {
            if (json)
                rows.append(QJsonObject{{QStringLiteral("range"), segments.range(s)},
                                        {QStringLiteral("length"), segments.length(s)},
                                        {QStringLiteral("status"), segments.status(s)}});
            else
                out << "  " << segments.range(s) << "  " << segments.length(s) << "  "
                    << segments.status(s) << "\n";
        }
        files.append(QJsonObject{{QStringLiteral("path"), e.path},
                                 {QStringLiteral("name"), list.caption(row)},
                                 {QStringLiteral("time"), list.timeText(row)},
                                 {QStringLiteral("duration"), e.duration},
                                 {QStringLiteral("frames"), static_cast<qint64>(e.sampleCount)},
                                 {QStringLiteral("segments"), rows}});
    }
    area.ShowTotalLength();
    if (json)
        out << QJsonDocument(QJsonObject{{QStringLiteral("files"), files},
                                         {QStringLiteral("total"), area.totalLengthText()},
                                         {QStringLiteral("errors"), errors}})
                   .toJson(QJsonDocument::Indented);
    else
        out << "Total " << area.totalLengthText() << "\n";
    return errors.isEmpty() ? 0 : 1;
}
