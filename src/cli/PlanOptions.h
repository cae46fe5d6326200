#pragma once

// The plan options that the plan, cut and join commands take alike, and the
// usage errors they raise: one parser, so that the three commands accept the
// same texts and answer with the same messages.

#include "cli/OptionTable.h"
#include "jobs/JobEntry.h"
#include "jobs/SegmentPlan.h"
#include "settings/Options.h"

#include <QString>
#include <QStringList>
#include <QTextStream>
#include <QVector>

class JobList;

namespace cli {

// Throws UsageError when no path is given.
void requirePaths(const ParsedLine& line);

struct PlanChoice {
    segmentplan::Choice choice = segmentplan::Custom; // the function choice of the run
    int number = 0;                                   // seconds per piece or piece count
    QVector<Segment> segments;
    bool given = false;
};

// --every, --pieces, --segments, at most one of them; throws UsageError.
PlanChoice parsePlan(const ParsedLine& line);
// Sets the function choice and its number in `options`.
void applyPlan(const PlanChoice& plan, Options& options);
// Gives a --segments list to the first file of `list`, whose segments the
// Unification plan applies to every file.
void applySegments(const PlanChoice& plan, JobList& list);
// A whole number from 1 to 2^31 - 1; throws UsageError naming the option.
int positiveNumber(const QString& option, const QString& text);
// Text for a terminal: control characters (C0, DEL and C1) appear as \xHH,
// so that a name from a file or a tag cannot move the cursor or send escape
// sequences. JSON output escapes them itself.
QString printable(const QString& text);
// The options file of the run: --settings, which must exist, or the user's.
QString settingsPath(const ParsedLine& line);

// Prints a usage error the way every command does and returns the exit
// status 2.
int usageFailure(QTextStream& err, Command command, const UsageError& error);

} // namespace cli
