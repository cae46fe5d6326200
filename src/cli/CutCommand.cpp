#include "cli/CutCommand.h"
#include "cli/Commands.h"

#include "app/JobAreaView.h"
#include "audio/AudioFile.h"
#include "audio/encoders/Mp3EncoderSettings.h"
#include "base/EndSignals.h"
#include "base/IniFile.h"
#include "base/SessionState.h"
#include "base/TimeCode.h"
#include "engine/CutJob.h"
#include "engine/CutTasks.h"
#include "engine/JobError.h"
#include "jobs/JobArea.h"

#include <QDir>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <QSet>
#include <QTextStream>
#include <QThread>
#include <cstdio>
#include <unistd.h>

namespace cli::jobs {

void addSharedOptions(QCommandLineParser& parser)
{
    addPlanOptions(parser);
    parser.addOptions({
        {QStringLiteral("fade-in"), QStringLiteral("Fade in over S seconds."), QStringLiteral("S")},
        {QStringLiteral("fade-out"), QStringLiteral("Fade out over S seconds."),
         QStringLiteral("S")},
    });
    addSettingsOption(parser);
    parser.addOption({QStringLiteral("json"), QStringLiteral("Print JSON.")});
    parser.addPositionalArgument(QStringLiteral("PATH"), QStringLiteral("Files and folders."));
}

PlanChoice parseSharedOptions(const QCommandLineParser& parser)
{
    const PlanChoice plan = parsePlan(parser);
    refuseRepeats(parser, parser.optionNames());
    return plan;
}

Options loadOptions(const QCommandLineParser& parser, const PlanChoice& plan)
{
    Options options = LoadOptions(IniFile(settingsPath(parser)));
    applyPlan(plan, options);
    if (parser.isSet(QStringLiteral("fade-in"))) {
        options.fadeIn = true;
        options.fadeInSeconds =
            positiveNumber(QStringLiteral("fade-in"), parser.value(QStringLiteral("fade-in")));
    }
    if (parser.isSet(QStringLiteral("fade-out"))) {
        options.fadeOut = true;
        options.fadeOutSeconds =
            positiveNumber(QStringLiteral("fade-out"), parser.value(QStringLiteral("fade-out")));
    }
    return options;
}

std::atomic<bool>& stopFlag()
{
    static std::atomic<bool> flag{false};
    return flag;
}

void installStopHandler()
{
    EndSignals::stopWith(&stopFlag());
}

void QuietPrompts::information(const QString& text)
{
    errors << text;
}

void QuietPrompts::error(const QString& text)
{
    errors << text;
}

void addPaths(JobArea& area, QuietPrompts& prompts, const QStringList& paths,
              const std::function<void(const QString& path, const QString& message)>& refused)
{
    for (const QString& path : paths) {
        const qsizetype before = prompts.errors.size();
        if (QFileInfo(path).isDir())
            area.addFolderPath(path);
        else
            area.addFilePaths({path});
        if (refused)
            for (qsizetype k = before; k < prompts.errors.size(); ++k)
                refused(path, prompts.errors[k]);
    }
}

ProgressLine::ProgressLine() : m_enabled(isatty(STDERR_FILENO) == 1)
{
    m_clock.start();
}

ProgressLine::~ProgressLine()
{
    clear();
}

void ProgressLine::show(int piece, int pieces, const QString& name, int percent,
                        double audioSeconds)
{
    if (!m_enabled)
        return;
    const std::lock_guard<std::mutex> lock(m_mutex);
    const qint64 now = m_clock.elapsed();
    if (now - m_lastDraw < 100 && percent < 100)
        return;
    m_lastDraw = now;
    const double speed = now > 0 ? audioSeconds * 1000.0 / double(now) : 0.0;
    const QString line = QStringLiteral("\r\033[K[%1/%2] %3  %4%  %5x")
                             .arg(piece)
                             .arg(pieces)
                             .arg(printable(QFileInfo(name).fileName()))
                             .arg(percent)
                             .arg(speed, 0, 'f', 1);
    std::fputs(line.toLocal8Bit().constData(), stderr);
    std::fflush(stderr);
    m_drawn = true;
}

void ProgressLine::clear()
{
    const std::lock_guard<std::mutex> lock(m_mutex);
    if (m_drawn) {
        std::fputs("\r\033[K", stderr);
        std::fflush(stderr);
        m_drawn = false;
    }
}

QString checkFolder(const QString& folder)
{
    const QFileInfo info(folder);
    if (folder.isEmpty() || !info.isDir())
        return QStringLiteral("The output folder %1 does not exist.").arg(folder);
    if (::access(QFile::encodeName(info.absoluteFilePath()).constData(), W_OK | X_OK) != 0)
        return QStringLiteral("The output folder %1 cannot be written to.").arg(folder);
    return {};
}

} // namespace cli::jobs

namespace {

using namespace cli;
using namespace cli::jobs;

const char* const kCutUsage =
    "usage: vessimo-cli cut [--every N | --pieces N | --segments LIST] [--format mp3|wav|wma|ogg]\n"
    "                       [--copy] [--out DIR] [--fade-in S] [--fade-out S] [--settings INI]\n"
    "                       [--json] [--jobs N] PATH...\n";

OutputFormat formatNamed(const QString& name)
{
    static const QStringList names{QStringLiteral("mp3"), QStringLiteral("wav"),
                                   QStringLiteral("wma"), QStringLiteral("ogg")};
    if (const auto format = outputFormatAt(static_cast<int>(names.indexOf(name.toLower()))))
        return *format;
    throw UsageError(QStringLiteral("--format takes mp3, wav, wma or ogg, not \"%1\"").arg(name));
}

// A copy takes the source's frames as they are: MP3 pieces, without a fade,
// whether the command line or the options file asks for one. `options` are
// the run's, with the command line's fades applied.
void refuseWhatCannotBeCopied(const QCommandLineParser& parser, OutputFormat format,
                              const Options& options, const QString& iniPath)
{
    if (format != OutputFormat::Mp3)
        throw UsageError(QStringLiteral("--copy makes MP3 pieces; leave out --format %1")
                             .arg(parser.value(QStringLiteral("format"))));
    const struct {
        const char* option;
        bool on;
        const char* name;
        const char* key;
    } fades[] = {{"fade-in", options.fadeIn, "fade-in", "In"},
                 {"fade-out", options.fadeOut, "fade-out", "Out"}};
    for (const auto& fade : fades) {
        if (parser.isSet(QLatin1String(fade.option)))
            throw UsageError(QStringLiteral("--copy cannot fade; leave out --%1").arg(fade.option));
        if (fade.on)
            throw UsageError(
                QStringLiteral("--copy cannot fade, and the %1 is switched on in %2: switch it "
                               "off on the General page of the window's settings, or set %3=0 "
                               "under [Fade] there")
                    .arg(QLatin1String(fade.name), iniPath, QLatin1String(fade.key)));
    }
}

// The progress of all workers together, in seconds of audio.
class CutProgress {
public:
    CutProgress(ProgressLine& line, const QVector<CutTask>& tasks) : m_line(line), m_tasks(tasks)
    {
        for (const CutTask& t : tasks)
            m_total += seconds(t);
    }

    // A worker reports `done` of `total` frames of task `k`.
    void report(int worker, int k, int64_t done, int64_t total)
    {
        const std::lock_guard<std::mutex> lock(m_mutex);
        if (m_current.size() <= static_cast<size_t>(worker))
            m_current.resize(static_cast<size_t>(worker) + 1, 0.0);
        m_current[size_t(worker)] =
            total > 0 ? double(done) / double(total) * seconds(m_tasks[k]) : 0.0;
        double sum = m_finished;
        for (double s : m_current)
            sum += s;
        const int percent = m_total > 0 ? int(sum * 100.0 / m_total) : 100;
        m_line.show(k + 1, static_cast<int>(m_tasks.size()), m_tasks[k].output,
                    std::min(percent, 100), sum);
    }
    void finished(int worker, int k)
    {
        const std::lock_guard<std::mutex> lock(m_mutex);
        m_finished += seconds(m_tasks[k]);
        if (m_current.size() > static_cast<size_t>(worker))
            m_current[size_t(worker)] = 0.0;
    }

private:
    static double seconds(const CutTask& t)
    {
        return std::max<double>(0, double(t.piece.end.ms() - t.piece.begin.ms()) / 1000.0);
    }

    ProgressLine& m_line;
    const QVector<CutTask>& m_tasks;
    std::mutex m_mutex;
    std::vector<double> m_current;
    double m_finished = 0;
    double m_total = 0;
};

} // namespace

// vessimo-cli cut: cuts every piece of the plan into a file of its own.
int cli::cut(const QStringList& args)
{
    QTextStream out(stdout);
    QTextStream err(stderr);

    const QString command = QStringLiteral("vessimo-cli cut");
    QCommandLineParser parser;
    addSharedOptions(parser);
    parser.addOptions({
        {QStringLiteral("format"), QStringLiteral("Output format: mp3, wav, wma or ogg."),
         QStringLiteral("FORMAT")},
        {QStringLiteral("out"), QStringLiteral("Output folder."), QStringLiteral("DIR")},
        {QStringLiteral("jobs"), QStringLiteral("Pieces cut at once."), QStringLiteral("N")},
        {QStringLiteral("copy"),
         QStringLiteral("Copy the frames of MP3 sources into MP3 pieces: exact, no quality lost.")},
    });

    PlanChoice plan;
    Options options;
    OutputFormat format = OutputFormat::Mp3;
    int workers = std::max(1, QThread::idealThreadCount());
    QString iniPath;
    try {
        parseCommandLine(parser, command, args);
        plan = parseSharedOptions(parser);
        iniPath = settingsPath(parser);
        options = loadOptions(parser, plan);
        if (parser.isSet(QStringLiteral("format")))
            format = formatNamed(parser.value(QStringLiteral("format")));
        if (parser.isSet(QStringLiteral("out")))
            options.outputDir = parser.value(QStringLiteral("out"));
        if (parser.isSet(QStringLiteral("jobs")))
            workers = positiveNumber(QStringLiteral("jobs"), parser.value(QStringLiteral("jobs")));
        // The window's copy option is the window's; here --copy asks for it.
        options.losslessCopy = parser.isSet(QStringLiteral("copy"));
        if (options.losslessCopy)
            refuseWhatCannotBeCopied(parser, format, options, iniPath);
    } catch (const UsageError& e) {
        return usageFailure(err, command, e, kCutUsage);
    }
    const bool json = parser.isSet(QStringLiteral("json"));

    QJsonArray results;
    bool failed = false;
    auto failure = [&](const QString& path, const QString& message) {
        failed = true;
        results.append(
            QJsonObject{{QStringLiteral("path"), path}, {QStringLiteral("error"), message}});
        err << "vessimo-cli cut: " << printable(message) << "\n";
        err.flush();
    };

    if (const QString problem = checkFolder(options.outputDir); !problem.isEmpty()) {
        failure(options.outputDir, problem);
        if (json)
            out << QJsonDocument(results).toJson(QJsonDocument::Indented);
        return 1;
    }

    QuietPrompts prompts;
    AudioFile reader;
    reader.SetEnabled(true);
    SessionState state;
    JobArea area(prompts, reader, options, state);
    addPaths(area, prompts, parser.positionalArguments(), failure);
    applySegments(plan, area.list());

    installStopHandler();
    const JobAreaView view(area);
    CutTasks planner(view, plan.choice, options);
    QVector<CutTask> tasks = planner.all(format);
    if (options.losslessCopy) {
        // Only an MP3 file's pieces are planned to be copied.
        QStringList notMp3;
        tasks.removeIf([&](const CutTask& task) {
            if (task.how == PieceMethod::Copy)
                return false;
            if (!notMp3.contains(task.source)) {
                notMp3 << task.source;
                failure(
                    task.source,
                    QStringLiteral("Cannot copy \"%1\": it is not an MP3 file.").arg(task.source));
            }
            return true;
        });
    }
    ProgressLine line;
    CutProgress progress(line, tasks);
    CutJob::Workers run;
    run.count = workers;
    run.iniPath = iniPath;
    run.stop = &stopFlag();
    run.refusedCopy = RefusedCopy::Fail;
    run.progress = [&](int worker, int k, int64_t done, int64_t total) {
        progress.report(worker, k, done, total);
    };
    run.finished = [&](int worker, int k) { progress.finished(worker, k); };
    QVector<CutJob::Outcome> done;
    try {
        done = CutJob::runOnWorkers(planner, tasks, run);
    } catch (const JobError& e) {
        line.clear();
        failure(options.outputDir, QString::fromUtf8(e.what()));
        if (json)
            out << QJsonDocument(results).toJson(QJsonDocument::Indented);
        return 1;
    }
    line.clear();

    QSet<QString> refusals; // a source that cannot be copied is named once
    for (int i = 0; i < tasks.size(); ++i) {
        const CutTask& task = tasks[i];
        const CutJob::Outcome& r = done[i];
        if (!r.started)
            continue;
        if (!r.error.isEmpty()) {
            if (!r.copyRefused || !refusals.contains(task.source + QLatin1Char('\n') + r.error))
                failure(task.source, r.error);
            if (r.copyRefused)
                refusals.insert(task.source + QLatin1Char('\n') + r.error);
            continue;
        }
        if (json) {
            QJsonObject piece{
                {QStringLiteral("source"), task.source},
                {QStringLiteral("output"), r.output},
                {QStringLiteral("begin"),
                 timecode::FormatTime(static_cast<int>(task.piece.begin.wholeSeconds()))},
                {QStringLiteral("end"),
                 timecode::FormatTime(static_cast<int>(task.piece.end.wholeSeconds()))},
                {QStringLiteral("frames"), static_cast<qint64>(r.frames)},
            };
            if (r.copied)
                piece.insert(QStringLiteral("copied"), true);
            results.append(piece);
        } else
            out << printable(r.output) << "\n";
    }
    if (stopFlag().load()) {
        failed = true;
        err << "vessimo-cli cut: stopped; the piece being cut was kept as far as it got\n";
    }
    if (json)
        out << QJsonDocument(results).toJson(QJsonDocument::Indented);
    return failed ? 1 : 0;
}
