// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/PlanOptions.h"

#include "audio/AudioError.h"
#include "audio/AudioReader.h"
#include "base/IniFile.h"
#include "cli/RunReport.h"
#include "jobs/ChapterPlan.h"
#include "jobs/CueSheetImport.h"
#include "jobs/JobList.h"
#include "tags/TagFile.h"

#include <QFileInfo>
#include <QRegularExpression>
#include <limits>

namespace cli {

void requirePaths(const ParsedLine& line)
{
    if (line.positional().isEmpty())
        throw UsageError(QStringLiteral("no file or folder given"));
}

int positiveNumber(const QString& option, const QString& text)
{
    static const QRegularExpression digits(QStringLiteral("^[0-9]+$"));
    bool fits = false;
    const int value = text.toInt(&fits);
    if (!digits.match(text).hasMatch() || (fits && value < 1))
        throw UsageError(
            QStringLiteral("--%1 needs a whole number of 1 or more, not \"%2\"").arg(option, text));
    if (!fits)
        throw UsageError(QStringLiteral("--%1 %2 is too large (at most %3)")
                             .arg(option, text)
                             .arg(std::numeric_limits<int>::max()));
    return value;
}

QString printable(const QString& text)
{
    QString shown;
    shown.reserve(text.size());
    for (const QChar c : text) {
        const char16_t u = c.unicode();
        if (u < 0x20 || (u >= 0x7f && u <= 0x9f))
            shown += QStringLiteral("\\x%1").arg(int(u), 2, 16, QLatin1Char('0'));
        else
            shown += c;
    }
    return shown;
}

namespace {

// --silence[=DB[,SECONDS]], --min-piece SECONDS and --drop-silence.
void parseSilence(const ParsedLine& line, SilenceOptions& silence)
{
    const QString given = line.value(QStringLiteral("silence"));
    if (!given.isEmpty()) {
        const QStringList parts = given.split(QLatin1Char(','));
        bool dbOk = false;
        const double db = parts[0].toDouble(&dbOk);
        if (parts.size() > 2 || !dbOk || db > 0 || db < -150)
            throw UsageError(QStringLiteral("bad --silence=%1: write --silence=DB or "
                                            "--silence=DB,SECONDS, e.g. --silence=-50,2 "
                                            "(DB from -150 to 0)")
                                 .arg(given));
        silence.thresholdDb = db;
        if (parts.size() == 2) {
            const TimeText seconds = TimeText::parse(parts[1], QStringLiteral("--silence"));
            if (seconds.isZero())
                throw UsageError(QStringLiteral("--silence needs a silence longer than 0"));
            silence.minSilenceSeconds = seconds.seconds();
        }
    }
    if (line.isSet(QStringLiteral("min-piece")))
        silence.minPieceSeconds =
            TimeText::parse(line.value(QStringLiteral("min-piece")), QStringLiteral("--min-piece"))
                .seconds();
    silence.dropSilence = line.isSet(QStringLiteral("drop-silence"));
}

QString canonical(const QString& path)
{
    const QFileInfo info(path);
    const QString real = info.canonicalFilePath();
    return real.isEmpty() ? info.absoluteFilePath() : real;
}

} // namespace

bool importCueSheet(ExactRequest& request, QStringList& paths, RunReport& report)
{
    if (const QString problem = fileProblem(request.cueSheet); !problem.isEmpty()) {
        report.fail(request.cueSheet, problem);
        return false;
    }
    QVector<CueSource> sources;
    try {
        sources = ImportCueSheet(request.cueSheet);
    } catch (const Error& e) {
        // Nothing of a bad sheet is applied: no file of it is cut.
        report.fail(request.cueSheet, e.message());
        return false;
    }
    QStringList sheetFiles;
    for (const CueSource& source : sources) {
        request.cuePlans.insert(canonical(source.audioPath), source.plan);
        sheetFiles << source.audioPath;
    }
    for (const QString& path : paths)
        if (!request.cuePlans.contains(canonical(path)))
            throw UsageError(
                QStringLiteral("%1 is not one of the files of %2; with --cue, give no PATH or "
                               "only the sheet's files")
                    .arg(path, request.cueSheet));
    paths = sheetFiles;
    return true;
}

ExactRequest parsePlan(const ParsedLine& line)
{
    ExactRequest request;
    int given = 0;
    if (line.isSet(QStringLiteral("every"))) {
        ++given;
        request.kind = ExactRequest::Every;
        request.every =
            TimeText::parse(line.value(QStringLiteral("every")), QStringLiteral("--every"));
        if (request.every.isZero())
            throw UsageError(QStringLiteral("--every needs a time above 0"));
    }
    if (line.isSet(QStringLiteral("pieces"))) {
        ++given;
        request.kind = ExactRequest::Pieces;
        request.pieces =
            positiveNumber(QStringLiteral("pieces"), line.value(QStringLiteral("pieces")));
    }
    if (line.isSet(QStringLiteral("segments"))) {
        ++given;
        request.kind = ExactRequest::Segments;
        request.segments = parseTimeRanges(line.value(QStringLiteral("segments")));
    }
    if (line.isSet(QStringLiteral("cue"))) {
        ++given;
        request.kind = ExactRequest::Cue;
        request.cueSheet = line.value(QStringLiteral("cue"));
    }
    if (line.isSet(QStringLiteral("chapters"))) {
        ++given;
        request.kind = ExactRequest::Chapters;
    }
    if (line.isSet(QStringLiteral("silence"))) {
        ++given;
        request.kind = ExactRequest::Silence;
        parseSilence(line, request.silence);
    } else {
        for (const char* option : {"min-piece", "drop-silence"})
            if (line.isSet(QLatin1String(option)))
                throw UsageError(QStringLiteral("--%1 goes with --silence").arg(option));
    }
    if (given > 1)
        throw UsageError(QStringLiteral("give only one of --every, --pieces, --segments, --cue, "
                                        "--chapters and --silence"));
    return request;
}

namespace {

// The pieces a cue sheet, the file's chapters or its silences give `file`;
// what kept them from it goes into its notes or its error.
QVector<Segment> sourcePieces(const ExactRequest& request, PlannedFile& file)
{
    PiecePlan plan;
    try {
        switch (request.kind) {
        case ExactRequest::Cue:
            plan = request.cuePlans.value(canonical(file.path));
            break;
        case ExactRequest::Chapters:
            plan = PlanFromChapters(TagFile::chapters(file.path), file.rate, file.frames);
            if (plan.pieces.isEmpty())
                file.notes.append({QString(), true, QStringLiteral("has no chapters; skipped")});
            break;
        case ExactRequest::Silence: {
            const std::optional<SilenceReport> found = FindSilences(file.path, request.silence);
            if (found) {
                plan = found->plan;
                file.silences = found->silences;
            }
            if (plan.pieces.isEmpty())
                file.notes.append(
                    {QString(), true, QStringLiteral("is silence only; nothing to keep")});
            break;
        }
        default:
            break;
        }
    } catch (const Error& e) {
        file.error = e.message();
        return {};
    }
    return labelledPieces(plan);
}

} // namespace

QVector<PlannedFile> planFiles(JobList& list, const ExactRequest& request)
{
    QVector<PlannedFile> files;
    for (int row = 0; row < list.count(); ++row) {
        listrecord& entry = list.entry(row);
        PlannedFile file;
        file.path = entry.path;
        file.caption = list.caption(row);
        file.frames = entry.sampleCount;
        try {
            file.rate = AudioReader::open(entry.path)->sampleRate();
        } catch (const AudioError&) {
            // The list read it a moment ago; a file that changed since is
            // reported by the job that reads it.
            file.rate = 0;
        }
        if (file.rate > 0 && !request.isSource())
            file.pieces = exactPieces(request, file.frames, file.rate, file.notes);
        else if (file.rate > 0)
            file.pieces = sourcePieces(request, file);
        entry.setConfirmedSegments(file.pieces);
        files.append(file);
    }
    for (int row = list.count() - 1; row >= 0; --row)
        if (files[row].pieces.isEmpty())
            list.removeAt(row);
    return files;
}

QString clockText(int64_t frames, int rate)
{
    if (rate <= 0)
        return QStringLiteral("00:00:00");
    const int64_t whole = frames / rate;
    QString text = QStringLiteral("%1:%2:%3")
                       .arg(whole / 3600, 2, 10, QLatin1Char('0'))
                       .arg(whole / 60 % 60, 2, 10, QLatin1Char('0'))
                       .arg(whole % 60, 2, 10, QLatin1Char('0'));
    if (frames % rate != 0)
        text += QStringLiteral(".%1").arg(frames % rate * 1000 / rate, 3, 10, QLatin1Char('0'));
    return text;
}

QString settingsPath(const ParsedLine& parser)
{
    if (!parser.isSet(QStringLiteral("settings")))
        return IniFile::defaultPath();
    const QString ini = parser.value(QStringLiteral("settings"));
    if (!QFileInfo(ini).isFile())
        throw UsageError(QStringLiteral("no settings file %1").arg(ini));
    return ini;
}

int usageFailure(QTextStream& err, Command command, const UsageError& error)
{
    err << "vessimo-cli " << commandName(command) << ": "
        << printable(QString::fromUtf8(error.what())) << "\n"
        << usageText(command);
    return 2;
}

} // namespace cli
