// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// What the cut and join commands share: the plan options (as the plan
// command takes them), the stop flag that Ctrl-C raises, the progress line
// on a terminal, and the prompts of a run without a window.

#include "base/Prompts.h"
#include "cli/PlanOptions.h"
#include "cli/RunReport.h"
#include "settings/Options.h"

#include <QElapsedTimer>
#include <QString>
#include <QStringList>
#include <QVector>
#include <atomic>
#include <functional>
#include <mutex>
#include <optional>

class JobArea;

namespace cli::jobs {

// --fade-in and --fade-out; throws UsageError.
struct Fades {
    std::optional<TimeText> in;
    std::optional<TimeText> out;
};
Fades parseFades(const ParsedLine& line);

// The options of the run's options file (settingsPath), with the fades of
// the command line applied (in whole seconds; a cut places them exactly)
// and the output folder of --out or the current folder.
Options loadOptions(const ParsedLine& line, const Fades& fades);

// Throws UsageError when a fade is longer than half a piece (of the joined
// output when `joined`).
void checkFadesFit(const Fades& fades, const QVector<PlannedFile>& files, bool joined);

// The paths of the command line and of --files-from (one a line, or
// NUL-separated with --null; "-" reads standard input). False when there
// is none and nothing was reported.
bool inputPaths(const ParsedLine& line, RunReport& report, QStringList& paths);

// From installStopHandler() on, the first Ctrl-C, SIGTERM or SIGHUP raises
// the flag; a second one ends the process at once, removing the pieces under
// way (EndSignals).
std::atomic<bool>& stopFlag();
void installStopHandler();

// Prompts without a window: messages go to standard error and are kept;
// nothing is ever asked.
class QuietPrompts : public Prompts {
public:
    QStringList errors;
    void information(const QString& text) override;
    void error(const QString& text) override;
    QStringList openFiles(const QString&) override { return {}; }
    SaveChoice joinTarget(const QString&, int, const QString&) override { return {}; }
    QString chooseFolder(const QString&) override { return {}; }
    void showModal(Dialog) override {}
};

// Adds each path as the file or folder dialog would; a path that cannot be
// added is reported with its cause.
void addPaths(JobArea& area, RunReport& report, const QStringList& paths);

// The paths of the run, with --cue the sheet's files; the exit status when
// the run ends here (a usage error, a bad sheet).
std::optional<int> collectPaths(Command command, const ParsedLine& line, ExactRequest& request,
                                RunReport& report, QStringList& paths);

// The skipped and clipped segments of `file` as warnings.
void reportNotes(RunReport& report, const PlannedFile& file);
// A piece in seconds and frames, and a file with its pieces, for JSON.
QJsonObject pieceJson(const Segment& piece, int rate);
QJsonObject fileJson(const PlannedFile& file);

// One progress line on standard error, drawn only when it is a terminal and
// at most ten times a second; safe to call from several threads.
class ProgressLine {
public:
    // Drawn only when `wanted` (not --quiet) and standard error is a terminal.
    explicit ProgressLine(bool wanted = true);
    ~ProgressLine();

    // `piece` of `pieces` (1-based), the file being written, the percentage
    // of the whole run and the seconds of audio done so far.
    void show(int piece, int pieces, const QString& name, int percent, double audioSeconds);
    void clear();

private:
    bool m_enabled;
    bool m_drawn = false;
    std::mutex m_mutex;
    QElapsedTimer m_clock;
    qint64 m_lastDraw = -1000;
};

// The folder outputs go to must exist and be writable; it is never created.
// Returns the message, empty when the folder can be used.
QString checkFolder(const QString& folder);

} // namespace cli::jobs
