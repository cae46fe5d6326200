#pragma once

// What the cut and join commands share: the plan options (as the plan
// command takes them), the stop flag that Ctrl-C raises, the progress line
// on a terminal, and the prompts of a run without a window.

#include "base/Prompts.h"
#include "cli/PlanOptions.h"
#include "settings/Options.h"

#include <QCommandLineParser>
#include <QElapsedTimer>
#include <QString>
#include <QStringList>
#include <QVector>
#include <atomic>
#include <functional>
#include <mutex>

class JobArea;

namespace cli::jobs {

// The options both commands take besides their own.
void addSharedOptions(QCommandLineParser& parser);

// The plan options with every option given at most once; throws UsageError.
PlanChoice parseSharedOptions(const QCommandLineParser& parser);
// The options of the run's options file (settingsPath), with the plan and the
// fades of the command line applied.
Options loadOptions(const QCommandLineParser& parser, const PlanChoice& plan);

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

// Adds each path as the file or folder dialog would; `refused`, when given,
// gets each path with every message the list refused it with.
void addPaths(JobArea& area, QuietPrompts& prompts, const QStringList& paths,
              const std::function<void(const QString& path, const QString& message)>& refused = {});

// One progress line on standard error, drawn only when it is a terminal and
// at most ten times a second; safe to call from several threads.
class ProgressLine {
public:
    ProgressLine();
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
