// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/CutCommand.h"
#include "cli/BatchRun.h"
#include "cli/Commands.h"
#include "cli/OutputOptions.h"

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

Fades parseFades(const ParsedLine& line)
{
    Fades fades;
    for (const char* name : {"fade-in", "fade-out"}) {
        const QString option = QLatin1String(name);
        if (!line.isSet(option))
            continue;
        const TimeText time = TimeText::parse(line.value(option), QStringLiteral("--") + option);
        if (time.isZero())
            throw UsageError(QStringLiteral("--%1 needs a time above 0").arg(option));
        (option == QLatin1String("fade-in") ? fades.in : fades.out) = time;
    }
    return fades;
}

Options loadOptions(const ParsedLine& line, const Fades& fades)
{
    Options options = LoadOptions(IniFile(settingsPath(line)));
    // The command line places its own pieces (the Custom choice, each
    // file's exact segments).
    options.functionChoice = segmentplan::Custom;
    // The window's output folder is the window's; here the current folder
    // unless --out names another.
    options.outputDir =
        line.isSet(QStringLiteral("out")) ? line.value(QStringLiteral("out")) : QDir::currentPath();
    if (fades.in) {
        options.fadeIn = true;
        options.fadeInSeconds = static_cast<int>(fades.in->nanoseconds() / 1'000'000'000);
    }
    if (fades.out) {
        options.fadeOut = true;
        options.fadeOutSeconds = static_cast<int>(fades.out->nanoseconds() / 1'000'000'000);
    }
    return options;
}

void checkFadesFit(const Fades& fades, const QVector<PlannedFile>& files, bool joined)
{
    const auto check = [&](const std::optional<TimeText>& fade, const char* option, int64_t length,
                           int rate, const QString& what) {
        if (fade && 2 * fade->frameAt(rate) > length)
            throw UsageError(QStringLiteral("--%1 %2 s is longer than half of %3 (%4 s)")
                                 .arg(QLatin1String(option))
                                 .arg(fade->seconds())
                                 .arg(what)
                                 .arg(secondsOf(length, rate)));
    };
    if (joined) {
        if (files.isEmpty() || files.first().rate <= 0)
            return;
        // The joined output, on the first file's scale as the join places
        // its fades.
        int64_t frames = 0;
        for (const PlannedFile& file : files)
            for (const Segment& piece : file.pieces)
                frames += (frameOf(piece.end, file.rate) - frameOf(piece.begin, file.rate)) *
                          files.first().rate / std::max(1, file.rate);
        for (const auto& [fade, option] : {std::pair{fades.in, "fade-in"}, {fades.out, "fade-out"}})
            check(fade, option, frames, files.first().rate, QStringLiteral("the joined output"));
        return;
    }
    for (const PlannedFile& file : files)
        for (int k = 0; k < file.pieces.size(); ++k) {
            const int64_t length =
                frameOf(file.pieces[k].end, file.rate) - frameOf(file.pieces[k].begin, file.rate);
            const QString what = QStringLiteral("piece %1 of %2").arg(k + 1).arg(file.path);
            check(fades.in, "fade-in", length, file.rate, what);
            check(fades.out, "fade-out", length, file.rate, what);
        }
}

bool inputPaths(const ParsedLine& line, RunReport& report, QStringList& paths)
{
    paths = line.positional();
    if (line.isSet(QStringLiteral("files-from"))) {
        const QString list = line.value(QStringLiteral("files-from"));
        QFile file;
        const bool opened = list == QLatin1String("-")
                                ? file.open(stdin, QIODevice::ReadOnly)
                                : (file.setFileName(list), file.open(QIODevice::ReadOnly));
        if (!opened) {
            const QString problem = fileProblem(list);
            report.fail(list, problem.isEmpty() ? file.errorString() : problem);
            return true;
        }
        const char separator = line.isSet(QStringLiteral("null")) ? '\0' : '\n';
        for (const QByteArray& name : file.readAll().split(separator)) {
            if (name.isEmpty() || (separator == '\n' && name == "\r"))
                continue;
            QByteArray bytes = name;
            if (separator == '\n' && bytes.endsWith('\r'))
                bytes.chop(1);
            paths << decodeName(bytes);
        }
    }
    return !paths.isEmpty() || report.hasErrors();
}

void addPaths(JobArea& area, RunReport& report, const QStringList& paths)
{
    const QMetaObject::Connection refusals = QObject::connect(
        &area, &JobArea::fileRefused,
        [&](const QString& path, const QString&, const QString& cause) {
            const QString problem = fileProblem(path);
            if (!problem.isEmpty())
                report.fail(path, problem);
            else if (cause.contains(QLatin1String("UTF-8")))
                report.fail(path, QStringLiteral("its name is not valid UTF-8 text"));
            else if (cause.contains(QLatin1String("shorter than one second")))
                report.fail(path, QStringLiteral("shorter than one second"));
            else
                report.fail(path, readerCause(cause));
        });
    for (const QString& path : paths) {
        if (const QString problem = fileProblem(path, true); !problem.isEmpty()) {
            report.fail(path, problem);
            continue;
        }
        if (QFileInfo(path).isDir())
            area.addFolderPath(path);
        else
            area.addFilePaths({path});
    }
    QObject::disconnect(refusals);
}

std::optional<int> collectPaths(Command command, const ParsedLine& line, ExactRequest& request,
                                RunReport& report, QStringList& paths)
{
    QTextStream err(stderr);
    const bool any = inputPaths(line, report, paths);
    if (request.kind == ExactRequest::Cue) {
        try {
            if (!importCueSheet(request, paths, report))
                return report.finish();
        } catch (const UsageError& e) {
            return usageFailure(err, command, e);
        }
        return std::nullopt;
    }
    if (!any)
        return usageFailure(err, command, UsageError(QStringLiteral("no file or folder given")));
    return std::nullopt;
}

void reportNotes(RunReport& report, const PlannedFile& file)
{
    if (!file.error.isEmpty())
        report.fail(file.path, file.error);
    for (const PlanNote& note : file.notes)
        report.warn(file.path, note.segment, note.message, note.skipped);
}

QJsonObject pieceJson(const Segment& piece, int rate)
{
    const int64_t b = frameOf(piece.begin, rate);
    const int64_t e = frameOf(piece.end, rate);
    QJsonObject object{{QStringLiteral("begin"), secondsOf(b, rate)},
                       {QStringLiteral("end"), secondsOf(e, rate)},
                       {QStringLiteral("begin_frame"), static_cast<qint64>(b)},
                       {QStringLiteral("end_frame"), static_cast<qint64>(e)},
                       {QStringLiteral("frames"), static_cast<qint64>(e - b)}};
    if (piece.label.track > 0)
        object.insert(QStringLiteral("track"), piece.label.track);
    if (!piece.label.title.isEmpty())
        object.insert(QStringLiteral("title"), piece.label.title);
    if (!piece.label.performer.isEmpty())
        object.insert(QStringLiteral("performer"), piece.label.performer);
    return object;
}

QJsonObject fileJson(const PlannedFile& file)
{
    QJsonArray pieces;
    for (const Segment& piece : file.pieces)
        pieces.append(pieceJson(piece, file.rate));
    QJsonObject object{{QStringLiteral("path"), file.path},
                       {QStringLiteral("name"), file.caption},
                       {QStringLiteral("rate"), file.rate},
                       {QStringLiteral("frames"), static_cast<qint64>(file.frames)},
                       {QStringLiteral("seconds"), secondsOf(file.frames, file.rate)},
                       {QStringLiteral("pieces"), pieces}};
    if (!file.silences.isEmpty()) {
        QJsonArray silences;
        for (const FrameRange& s : file.silences)
            silences.append(QJsonObject{{QStringLiteral("begin"), secondsOf(s.begin, file.rate)},
                                        {QStringLiteral("end"), secondsOf(s.end, file.rate)},
                                        {QStringLiteral("begin_frame"), qint64(s.begin)},
                                        {QStringLiteral("end_frame"), qint64(s.end)}});
        object.insert(QStringLiteral("silences"), silences);
    }
    return object;
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

ProgressLine::ProgressLine(bool wanted) : m_enabled(wanted && isatty(STDERR_FILENO) == 1)
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
    if (folder.isEmpty() || !info.exists())
        return QStringLiteral("no such folder");
    if (!info.isDir())
        return QStringLiteral("not a folder");
    if (::access(QFile::encodeName(info.absoluteFilePath()).constData(), W_OK | X_OK) != 0)
        return QStringLiteral("permission denied");
    return {};
}

} // namespace cli::jobs

namespace {

using namespace cli;
using namespace cli::jobs;

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
void refuseWhatCannotBeCopied(const ParsedLine& parser, OutputFormat format, const Options& options,
                              const QString& iniPath)
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
int cli::cut(const ParsedLine& line)
{
    QTextStream err(stderr);

    EncoderOverrides encoderValues;
    PieceRules pieceRules;
    std::optional<BatchRun> batch;
    ExactRequest request;
    Fades fades;
    Options options;
    OutputFormat format = OutputFormat::Mp3;
    int workers = std::max(1, QThread::idealThreadCount());
    QString iniPath;
    try {
        request = parsePlan(line);
        fades = parseFades(line);
        iniPath = settingsPath(line);
        options = loadOptions(line, fades);
        if (line.isSet(QStringLiteral("format")))
            format = formatNamed(line.value(QStringLiteral("format")));
        if (line.isSet(QStringLiteral("jobs")))
            workers = positiveNumber(QStringLiteral("jobs"), line.value(QStringLiteral("jobs")));
        // The window's copy option is the window's; here --copy asks for it.
        options.losslessCopy = line.isSet(QStringLiteral("copy"));
        if (options.losslessCopy)
            refuseWhatCannotBeCopied(line, format, options, iniPath);
        encoderValues = parseEncoderOptions(line, format);
        if (options.losslessCopy && !encoderValues.isEmpty())
            throw UsageError(QStringLiteral("--copy keeps the source's frames as they are; leave "
                                            "out the encoder options"));
        pieceRules = parsePieceRules(line);
        batch = BatchRun::fromCommandLine(line);
        pieceRules.namesFromPlan = batch.has_value();
    } catch (const UsageError& e) {
        return usageFailure(err, Cut, e);
    }
    const bool dryRun = line.isSet(QStringLiteral("dry-run"));
    RunReport report(Cut, line);
    QStringList paths;
    if (const std::optional<int> status = collectPaths(Cut, line, request, report, paths))
        return *status;

    if (const QString problem = checkFolder(options.outputDir); !problem.isEmpty()) {
        report.fail(options.outputDir, problem);
        return report.finish();
    }

    QuietPrompts prompts;
    AudioFile reader;
    reader.SetEnabled(true);
    SessionState state;
    JobArea area(prompts, reader, options, state);
    addPaths(area, report, paths);
    const QVector<PlannedFile> files = planFiles(area.list(), request);
    try {
        checkFadesFit(fades, files, false);
    } catch (const UsageError& e) {
        return usageFailure(err, Cut, e);
    }
    for (const PlannedFile& file : files) {
        reportNotes(report, file);
        report.addFile(fileJson(file));
    }

    installStopHandler();
    const JobAreaView view(area);
    CutTasks planner(view, segmentplan::Custom, options, pieceRules);
    // Several pieces of a file are numbered from _1, a whole file keeps its
    // name, as the window names computed pieces and a single segment.
    planner.setNumberedFirst(request.kind != ExactRequest::Whole);
    QVector<CutTask> tasks = planner.all(format);
    // The rows of `files` that are still on the list, in its order.
    QVector<const PlannedFile*> listed;
    for (const PlannedFile& file : files)
        if (!file.pieces.isEmpty())
            listed.append(&file);
    for (CutTask& task : tasks) {
        const PlannedFile& file = *listed[task.fileIndex];
        // Every piece runs to its last frame; the window's early end is the
        // window's.
        task.earlyEnd = false;
        if (fades.in)
            task.fadeInFrames = fades.in->frameAt(file.rate);
        if (fades.out)
            task.fadeOutFrames = fades.out->frameAt(file.rate);
    }
    if (options.losslessCopy) {
        // Only an MP3 file's pieces are planned to be copied.
        QStringList notMp3;
        tasks.removeIf([&](const CutTask& task) {
            if (task.how == PieceMethod::Copy)
                return false;
            if (!notMp3.contains(task.source)) {
                notMp3 << task.source;
                report.fail(task.source,
                            QStringLiteral("not an MP3 file; --copy copies MP3 files"));
            }
            return true;
        });
    }
    const auto outputJson = [&](const CutTask& task, const QString& output, int64_t frames) {
        const PlannedFile& file = *listed[task.fileIndex];
        QJsonObject object = pieceJson(file.pieces[task.piece.row], file.rate);
        object.insert(QStringLiteral("path"), output);
        object.insert(QStringLiteral("source"), task.source);
        // What was written: the piece's frames, fewer when the cut was stopped.
        object.insert(QStringLiteral("frames"), static_cast<qint64>(frames));
        return object;
    };
    if (dryRun) {
        for (const CutTask& task : batch ? batch->select(tasks) : tasks) {
            const PlannedFile& file = *listed[task.fileIndex];
            const Segment& piece = file.pieces[task.piece.row];
            QJsonObject object = outputJson(
                task, task.output, frameOf(piece.end, file.rate) - frameOf(piece.begin, file.rate));
            object.insert(QStringLiteral("copied"), task.how == PieceMethod::Copy);
            report.addOutput(object);
            report.print(QStringLiteral("%1  %2 - %3")
                             .arg(printable(task.output),
                                  clockText(frameOf(piece.begin, file.rate), file.rate),
                                  clockText(frameOf(piece.end, file.rate), file.rate)));
        }
        return report.finish();
    }

    if (batch) {
        try {
            BatchRun::Prepared prepared = batch->prepare(tasks);
            // Complete from an earlier run: listed as if cut now.
            for (const BatchRun::Kept& kept : prepared.kept) {
                const PlannedFile& file = *listed[kept.task.fileIndex];
                const Segment& piece = file.pieces[kept.task.piece.row];
                QJsonObject object =
                    outputJson(kept.task, kept.output,
                               frameOf(piece.end, file.rate) - frameOf(piece.begin, file.rate));
                object.insert(QStringLiteral("kept"), true);
                report.addOutput(object);
                report.print(printable(kept.output));
            }
            for (const BatchRun::Refused& refused : prepared.refused)
                report.fail(refused.task.source, refused.message);
            tasks = prepared.toCut;
        } catch (const Error& e) {
            report.fail(options.outputDir, e.message());
            tasks.clear();
        }
    }
    ProgressLine progressLine(!report.quiet());
    CutProgress progress(progressLine, tasks);
    CutJob::Workers run;
    run.count = workers;
    run.iniPath = iniPath;
    run.encoderOverrides = encoderValues;
    run.stop = &stopFlag();
    run.refusedCopy = RefusedCopy::Fail;
    run.progress = [&](int worker, int k, int64_t done, int64_t total) {
        progress.report(worker, k, done, total);
    };
    run.finished = [&](int worker, int k) { progress.finished(worker, k); };
    if (batch) {
        run.fallbackNames = false;
        run.settle = [&](int k, CutJob::Outcome& o) { batch->settle(tasks[k], o); };
    }
    QVector<CutJob::Outcome> done;
    try {
        done = CutJob::runOnWorkers(planner, tasks, run);
        if (batch)
            batch->finish(tasks, done);
    } catch (const JobError& e) {
        progressLine.clear();
        report.fail(options.outputDir, QString::fromUtf8(e.what()));
        return report.finish();
    }
    progressLine.clear();

    QSet<QString> refusals; // a source that cannot be copied is named once
    for (int i = 0; i < tasks.size(); ++i) {
        const CutTask& task = tasks[i];
        const CutJob::Outcome& r = done[i];
        if (!r.started)
            continue;
        if (!r.error.isEmpty()) {
            if (!r.copyRefused || !refusals.contains(task.source + QLatin1Char('\n') + r.error))
                report.fail(task.source, r.error);
            if (r.copyRefused)
                refusals.insert(task.source + QLatin1Char('\n') + r.error);
            continue;
        }
        QJsonObject object = outputJson(task, r.output, r.frames);
        object.insert(QStringLiteral("copied"), r.copied);
        report.addOutput(object);
        report.print(printable(r.output));
    }
    if (stopFlag().load())
        report.fail(QString(), QStringLiteral("stopped; the piece being cut was kept as far as "
                                              "it got"));
    return report.finish();
}
