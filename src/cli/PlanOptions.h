#pragma once

// The plan options that the plan, cut and join commands take alike, and the
// usage errors they raise: one parser, so that the three commands accept the
// same texts and answer with the same messages.

#include "base/Error.h"
#include "jobs/JobEntry.h"
#include "jobs/SegmentPlan.h"
#include "settings/Options.h"

#include <QCommandLineParser>
#include <QString>
#include <QStringList>
#include <QTextStream>
#include <QVector>

class JobList;

namespace cli {

// A command line the command cannot run; the command prints it with its
// usage and exits with 2.
class UsageError : public Error {
public:
    using Error::Error;
};

// --every N, --pieces N and --segments LIST.
void addPlanOptions(QCommandLineParser& parser);
// --settings INI.
void addSettingsOption(QCommandLineParser& parser);

// Parses `args` for the command `name` ("vessimo-cli plan") and requires at
// least one path; throws UsageError.
void parseCommandLine(QCommandLineParser& parser, const QString& name, const QStringList& args);

struct PlanChoice {
    segmentplan::Choice choice = segmentplan::Custom; // the function choice of the run
    int number = 0;                                   // seconds per piece or piece count
    QVector<Segment> segments;
    bool given = false;
};

// --every, --pieces, --segments, at most one of them; throws UsageError.
PlanChoice parsePlan(const QCommandLineParser& parser);
// Sets the function choice and its number in `options`.
void applyPlan(const PlanChoice& plan, Options& options);
// Gives a --segments list to the first file of `list`, whose segments the
// Unification plan applies to every file.
void applySegments(const PlanChoice& plan, JobList& list);
// Throws UsageError for the first of `names` given more than once.
void refuseRepeats(const QCommandLineParser& parser, const QStringList& names);
// A whole number from 1 to 2^31 - 1; throws UsageError naming the option.
int positiveNumber(const QString& option, const QString& text);
// Text for a terminal: control characters (C0, DEL and C1) appear as \xHH,
// so that a name from a file or a tag cannot move the cursor or send escape
// sequences. JSON output escapes them itself.
QString printable(const QString& text);
// The options file of the run: --settings, which must exist, or the user's.
QString settingsPath(const QCommandLineParser& parser);

// Prints a usage error the way every command does and returns the exit
// status 2.
int usageFailure(QTextStream& err, const QString& name, const UsageError& error, const char* usage);

} // namespace cli
