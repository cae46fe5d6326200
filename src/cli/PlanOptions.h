// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The plan options that the plan, cut and join commands take alike, and the
// usage errors they raise: one parser, so that the three commands accept the
// same texts and answer with the same messages.

#include "cli/ExactPlan.h"
#include "cli/OptionTable.h"
#include "jobs/JobEntry.h"
#include "settings/Options.h"

#include <QString>
#include <QStringList>
#include <QTextStream>
#include <QVector>

class JobList;

namespace cli {

// Throws UsageError when no path is given.
void requirePaths(const ParsedLine& line);

// --every, --pieces and --segments, at most one of them (none: each file
// whole); throws UsageError.
ExactRequest parsePlan(const ParsedLine& line);

// One file of the run as the command line plans it: its exact pieces and
// what was skipped or clipped of the typed segments.
struct PlannedFile {
    QString path;
    QString caption;
    int64_t frames = 0;
    int rate = 0;
    QVector<Segment> pieces;
    QVector<PlanNote> notes;
    // Why a plan source gave the file no pieces (its chapters or its
    // silences could not be read); empty when it did.
    QString error;
    QVector<FrameRange> silences; // found by --silence
};

class RunReport;
// With --cue: reads and places the sheet; `paths` becomes its audio files
// (those given must be among them, else UsageError). False, with the cause
// reported, for a sheet that cannot be used: then nothing is cut.
bool importCueSheet(ExactRequest& request, QStringList& paths, RunReport& report);

// Plans every file of `list` and stores its pieces as the file's own
// segments, so that a cut or join under the Custom choice takes exactly
// them; a file left without a piece is taken off the list.
QVector<PlannedFile> planFiles(JobList& list, const ExactRequest& request);

// A time in seconds as rows show it: HH:MM:SS, with milliseconds when
// `frames` is not a whole second at `rate`.
QString clockText(int64_t frames, int rate);

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
