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

const char* const kJoinUsage =
    "usage: vessimo-cli join [--every N | --pieces N | --segments LIST] [--fade-in S]\n"
    "                        [--fade-out S] [--settings INI] [--overwrite] [--json]\n"
    "                        -o OUTPUT PATH...\n";

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
int cli::join(const QStringList& args)
{
    QTextStream out(stdout);
    QTextStream err(stderr);

    const QString command = QStringLiteral("vessimo-cli join");
    QCommandLineParser parser;
    addSharedOptions(parser);
    parser.addOptions({
        {{QStringLiteral("o"), QStringLiteral("output")},
         QStringLiteral("The joined file."),
         QStringLiteral("OUTPUT")},
        {QStringLiteral("overwrite"), QStringLiteral("Replace an existing output.")},
    });

    PlanChoice plan;
    Options options;
    QString target;
    OutputFormat format = OutputFormat::Mp3;
    QString iniPath;
    try {
        parseCommandLine(parser, command, args);
        if (!parser.isSet(QStringLiteral("o")))
            throw UsageError(QStringLiteral("no output given (-o OUTPUT)"));
        plan = parseSharedOptions(parser);
        // Whole files unless the shared segments are given.
        if (plan.choice != segmentplan::Unification)
            plan.choice = segmentplan::EverySeconds;
        iniPath = settingsPath(parser);
        options = loadOptions(parser, plan);
        target = parser.value(QStringLiteral("o"));
        format = formatOfTarget(target);
    } catch (const UsageError& e) {
        return usageFailure(err, command, e, kJoinUsage);
    }
    const bool json = parser.isSet(QStringLiteral("json"));

    QJsonArray failures;
    auto fail = [&](const QString& path, const QString& message) {
        failures.append(
            QJsonObject{{QStringLiteral("path"), path}, {QStringLiteral("error"), message}});
        err << "vessimo-cli join: " << printable(message) << "\n";
        err.flush();
    };
    auto finishFailed = [&]() {
        if (json)
            out << QJsonDocument(failures).toJson(QJsonDocument::Indented);
        return 1;
    };

    const QFileInfo targetInfo(target);
    if (const QString problem = checkFolder(targetInfo.absolutePath()); !problem.isEmpty()) {
        fail(target, problem);
        return finishFailed();
    }
    if ((targetInfo.exists() || targetInfo.isSymLink()) &&
        !parser.isSet(QStringLiteral("overwrite"))) {
        fail(target, QStringLiteral("%1 exists; give --overwrite to replace it.").arg(target));
        return finishFailed();
    }

    QuietPrompts prompts;
    AudioFile reader;
    AudioFile writer;
    reader.SetEnabled(true);
    writer.SetEnabled(true);
    SessionState state;
    JobArea area(prompts, reader, options, state);
    addPaths(area, prompts, parser.positionalArguments(), fail);
    // A join without one of its files would be a different file: nothing
    // is written when any path was refused.
    if (!failures.isEmpty())
        return finishFailed();
    JobList& list = area.list();
    if (list.isEmpty()) {
        fail(target, QStringLiteral("no file to join"));
        return finishFailed();
    }
    for (int i = 0; i < list.count(); ++i) {
        if (sameFileKey(list.entry(i).path) == sameFileKey(target)) {
            fail(target, QStringLiteral("%1 is one of the files to join.").arg(target));
            return finishFailed();
        }
    }
    applySegments(plan, list);

    installStopHandler();
    IniFile ini(iniPath);
    Mp3EncoderSettings mp3;
    const EncoderSetup encoder(ini, mp3);
    JobAreaView view(area);
    SilentPanel panel(format);
    ProgressLine line;
    const QString name = targetInfo.fileName();
    StopFlagPump pump(stopFlag(), [&](int64_t done, int64_t total) {
        line.show(1, 1, name, total > 0 ? int(done * 100 / total) : 100,
                  double(done) / std::max(1, reader.IsOpen() ? reader.GetSampleRate() : 1));
    });
    const qsizetype errorsBefore = prompts.errors.size();
    JobRunner runner(JobRunner::Parts{reader, writer, options, view, panel, encoder, prompts, pump},
                     state);
    JoinJob job(runner);
    job.setTarget(target, format);
    job.run(plan.choice);
    line.clear();

    for (qsizetype k = errorsBefore; k < prompts.errors.size(); ++k)
        fail(target, prompts.errors[k]);
    if (!failures.isEmpty())
        return finishFailed();
    if (json)
        out << QJsonDocument(
                   QJsonObject{{QStringLiteral("output"), target},
                               {QStringLiteral("frames"), static_cast<qint64>(job.framesWritten())},
                               {QStringLiteral("parts"), job.partsWritten()}})
                   .toJson(QJsonDocument::Indented);
    else
        out << printable(target) << "\n";
    if (stopFlag().load()) {
        err << "vessimo-cli join: stopped; the output holds what was joined so far\n";
        return 1;
    }
    return 0;
}
