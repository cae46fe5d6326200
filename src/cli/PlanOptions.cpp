#include "cli/PlanOptions.h"

#include "base/IniFile.h"
#include "jobs/JobList.h"
#include "jobs/SegmentPlan.h"

#include <QFileInfo>
#include <QRegularExpression>
#include <limits>

namespace cli {

namespace {

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
        if (s.lengthMs() < 0)
            throw UsageError(
                QStringLiteral("bad segment \"%1\": it ends before it begins").arg(item));
        segments.append(s);
    }
    return segments;
}

} // namespace

void addPlanOptions(QCommandLineParser& parser)
{
    parser.addOptions({
        {QStringLiteral("every"), QStringLiteral("Pieces of N seconds."), QStringLiteral("N")},
        {QStringLiteral("pieces"), QStringLiteral("N pieces of equal length."),
         QStringLiteral("N")},
        {QStringLiteral("segments"),
         QStringLiteral("The first file's segments, applied to every file."),
         QStringLiteral("LIST")},
    });
}

void addSettingsOption(QCommandLineParser& parser)
{
    parser.addOption({QStringLiteral("settings"),
                      QStringLiteral("Read the options from this file."), QStringLiteral("INI")});
}

void parseCommandLine(QCommandLineParser& parser, const QString& name, const QStringList& args)
{
    if (!parser.parse(QStringList{name} + args))
        throw UsageError(parser.errorText());
    if (parser.positionalArguments().isEmpty())
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

PlanChoice parsePlan(const QCommandLineParser& parser)
{
    PlanChoice plan;
    plan.choice = segmentplan::Custom;
    int given = 0;
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
    plan.given = given == 1;
    return plan;
}

void applyPlan(const PlanChoice& plan, Options& options)
{
    options.functionChoice = plan.choice;
    if (plan.choice == segmentplan::EverySeconds)
        options.pieceSeconds = plan.number;
    if (plan.choice == segmentplan::EqualCount)
        options.pieceCount = plan.number;
}

void applySegments(const PlanChoice& plan, JobList& list)
{
    if (plan.choice == segmentplan::Unification && !list.isEmpty())
        list.entry(0).setConfirmedSegments(plan.segments);
}

void refuseRepeats(const QCommandLineParser& parser, const QStringList& names)
{
    for (const QString& name : names)
        if (parser.values(name).size() > 1)
            throw UsageError(QStringLiteral("--%1 is given more than once").arg(name));
}

QString settingsPath(const QCommandLineParser& parser)
{
    if (!parser.isSet(QStringLiteral("settings")))
        return IniFile::defaultPath();
    const QString ini = parser.value(QStringLiteral("settings"));
    if (!QFileInfo(ini).isFile())
        throw UsageError(QStringLiteral("no settings file %1").arg(ini));
    return ini;
}

int usageFailure(QTextStream& err, const QString& name, const UsageError& error, const char* usage)
{
    err << name << ": " << printable(QString::fromUtf8(error.what())) << "\n" << usage;
    return 2;
}

} // namespace cli
