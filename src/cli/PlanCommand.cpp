#include "cli/Commands.h"

#include "audio/AudioFile.h"
#include "base/Error.h"
#include "base/IniFile.h"
#include "base/Prompts.h"
#include "jobs/JobArea.h"
#include "jobs/SegmentPlan.h"
#include "settings/Options.h"

#include <QCommandLineParser>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <QTextStream>
#include <optional>
#include <stdexcept>

namespace {

const char* const kUsage =
    "usage: vessimo-cli plan [--every N | --pieces N | --segments LIST] [--settings INI] "
    "[--json] PATH...\n";

class UsageError : public Error {
public:
    using Error::Error;
};

// No window: the refusals are collected through the job list's own signal,
// and nothing else is ever asked.
class QuietPrompts : public Prompts {
public:
    void information(const QString&) override {}
    void error(const QString&) override {}
    QStringList openFiles(const QString&) override { return {}; }
    QString joinTarget(const QString&) override { return {}; }
    QString chooseFolder(const QString&) override { return {}; }
    void showModal(Dialog) override {}
};

int positiveNumber(const QString& option, const QString& text)
{
    static const QRegularExpression digits(QStringLiteral("^[0-9]{1,9}$"));
    if (!digits.match(text).hasMatch() || text.toInt() < 1)
        throw UsageError(
            QStringLiteral("--%1 needs a whole number of 1 or more, not \"%2\"").arg(option, text));
    return text.toInt();
}

// SS, MM:SS or HH:MM:SS in whole seconds.
int32_t parseTime(const QString& text, const QString& segment)
{
    static const QRegularExpression form(
        QStringLiteral("^(?:(?:([0-9]{1,5}):)?([0-9]{1,5}):)?([0-9]{1,9})$"));
    const QRegularExpressionMatch m = form.match(text);
    const auto bad = [&](const QString& why) {
        return UsageError(
            QStringLiteral("bad time \"%1\" in segment \"%2\": %3").arg(text, segment, why));
    };
    if (!m.hasMatch())
        throw bad(QStringLiteral("write SS, MM:SS or HH:MM:SS"));
    const bool hasMinutes = !m.captured(2).isEmpty();
    const bool hasHours = !m.captured(1).isEmpty();
    const qint64 seconds = m.captured(3).toLongLong();
    const qint64 minutes = m.captured(2).toLongLong();
    if (hasMinutes && seconds > 59)
        throw bad(QStringLiteral("seconds must be below 60"));
    if (hasHours && minutes > 59)
        throw bad(QStringLiteral("minutes must be below 60"));
    const qint64 total = m.captured(1).toLongLong() * 3600 + minutes * 60 + seconds;
    if (total > INT32_MAX)
        throw bad(QStringLiteral("too long"));
    return static_cast<int32_t>(total);
}

QVector<Segment> parseSegments(const QString& list)
{
    QVector<Segment> segments;
    for (const QString& item : list.split(QLatin1Char(','))) {
        const QStringList ends = item.split(QLatin1Char('-'));
        if (ends.size() != 2)
            throw UsageError(
                QStringLiteral("bad segment \"%1\": write BEGIN-END, e.g. 1:00-2:30").arg(item));
        const Segment s{parseTime(ends[0].trimmed(), item), parseTime(ends[1].trimmed(), item)};
        if (s.end < s.begin)
            throw UsageError(
                QStringLiteral("bad segment \"%1\": it ends before it begins").arg(item));
        segments.append(s);
    }
    return segments;
}

struct Plan {
    int choice = segmentplan::Custom;
    int number = 0;
    QVector<Segment> segments;
};

Plan parsePlan(const QCommandLineParser& parser)
{
    int given = 0;
    Plan plan;
    if (parser.isSet(QStringLiteral("every"))) {
        ++given;
        plan.choice = segmentplan::EverySeconds;
        plan.number =
            positiveNumber(QStringLiteral("every"), parser.value(QStringLiteral("every")));
    }
    if (parser.isSet(QStringLiteral("pieces"))) {
        ++given;
        plan.choice = segmentplan::EqualCount;
        plan.number =
            positiveNumber(QStringLiteral("pieces"), parser.value(QStringLiteral("pieces")));
    }
    if (parser.isSet(QStringLiteral("segments"))) {
        ++given;
        plan.choice = segmentplan::Unification;
        plan.segments = parseSegments(parser.value(QStringLiteral("segments")));
    }
    if (given > 1)
        throw UsageError(QStringLiteral("give only one of --every, --pieces and --segments"));
    for (const char* name : {"every", "pieces", "segments", "settings"})
        if (parser.values(QString::fromLatin1(name)).size() > 1)
            throw UsageError(QStringLiteral("--%1 is given more than once").arg(name));
    return plan;
}

} // namespace

// vessimo-cli plan: adds the paths as the file and folder dialogs would and
// prints each file's segment list and the total under the chosen plan.
int cli::plan(const QStringList& args)
{
    QTextStream out(stdout);
    QTextStream err(stderr);

    QCommandLineParser parser;
    parser.addOptions({
        {QStringLiteral("every"), QStringLiteral("Pieces of N seconds."), QStringLiteral("N")},
        {QStringLiteral("pieces"), QStringLiteral("N pieces of equal length."),
         QStringLiteral("N")},
        {QStringLiteral("segments"),
         QStringLiteral("The first file's segments, applied to every file."),
         QStringLiteral("LIST")},
        {QStringLiteral("settings"), QStringLiteral("Read the options from this file."),
         QStringLiteral("INI")},
        {QStringLiteral("json"), QStringLiteral("Print JSON.")},
    });
    parser.addPositionalArgument(QStringLiteral("PATH"), QStringLiteral("Files and folders."));

    Plan plan;
    Options options;
    try {
        if (!parser.parse(QStringList{QStringLiteral("vessimo-cli plan")} + args))
            throw UsageError(parser.errorText());
        if (parser.positionalArguments().isEmpty())
            throw UsageError(QStringLiteral("no file or folder given"));
        plan = parsePlan(parser);
        const QString ini = parser.isSet(QStringLiteral("settings"))
                                ? parser.value(QStringLiteral("settings"))
                                : IniFile::defaultPath();
        if (parser.isSet(QStringLiteral("settings")) && !QFileInfo(ini).isFile())
            throw UsageError(QStringLiteral("no settings file %1").arg(ini));
        options = LoadOptions(IniFile(ini));
    } catch (const UsageError& e) {
        err << "vessimo-cli plan: " << QString::fromStdString(e.what()) << "\n" << kUsage;
        return 2;
    }
    options.functionChoice = plan.choice;
    if (plan.choice == segmentplan::EverySeconds)
        options.pieceSeconds = plan.number;
    if (plan.choice == segmentplan::EqualCount)
        options.pieceCount = plan.number;

    const bool json = parser.isSet(QStringLiteral("json"));
    QuietPrompts prompts;
    AudioFile reader;
    reader.SetEnabled(true);
    JobArea area(prompts, reader, options);
    QJsonArray errors;
    QObject::connect(&area, &JobArea::fileRefused,
                     [&](const QString& path, const QString& message) {
                         errors.append(QJsonObject{{QStringLiteral("path"), path},
                                                   {QStringLiteral("error"), message}});
                         err << message << "\n";
                         err.flush();
                     });

    for (const QString& path : parser.positionalArguments()) {
        if (QFileInfo(path).isDir())
            area.addFolder(path);
        else
            area.addFiles({path});
    }
    JobList& list = area.list();
    if (plan.choice == segmentplan::Unification && !list.isEmpty())
        list.entry(0).setConfirmedSegments(plan.segments);

    QJsonArray files;
    for (int row = 0; row < list.count(); ++row) {
        list.select(row);
        area.lvClick();
        const listrecord& e = list.entry(row);
        const SegmentList& segments = area.segments();
        QJsonArray rows;
        if (!json)
            out << list.caption(row) << "  " << list.timeText(row) << "\n";
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
