// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "engine/JobPump.h"
#include "engine/OpenOutput.h"

#include <QString>
#include <functional>

class AudioFile;
class EncoderSetup;
class JobPanel;
class JobView;
class Prompts;
class SessionState;
struct Options;

// Runs the cut and join jobs; a job runs while the session's state says so
// (JobRunning). Between its steps a job pumps: the surroundings' pump runs
// first (the window's events, or the command line's stop flag), then
// JobRunning is tested, so a Stop that arrives during the pump ends the job
// at that very step.
class JobRunner : private JobPump {
public:
    struct Parts {
        AudioFile& reader;
        AudioFile& writer;
        const Options& options;
        JobView& view;
        JobPanel& panel;
        const EncoderSetup& encoder;
        Prompts& prompts;
        JobPump& surroundings;
    };

    JobRunner(Parts parts, SessionState& state);

    bool JobRunning() const;
    // A job variant begins: sets JobRunning.
    void startJob();

    // Clears JobRunning and empties the bar; the running job ends at its
    // next pump and keeps what it wrote.
    void StopJob();
    void SetConversionBar(int progress);

    // The cut command: runs the cut variant of the function choice. The
    // command table has refused it while a job runs or the list is empty.
    bool Cut();
    // The join command after the preview was stopped: lets the user choose
    // the target and runs the join variant of the function choice. False
    // when the dialog was cancelled.
    bool Join();

    // The folder of the last output the last job wrote and kept (a stopped
    // piece's included), empty when it kept none: where its results are.
    QString writtenFolder() const;

    const Parts& parts() const { return m_parts; }
    JobPump& jobPump() { return *this; }

    // The failure path of every job: removes the output that was being
    // written (finished outputs stay) and shows the message in the error box.
    void fail(const QString& message);
    // The output being written, which a failure removes.
    UnfinishedOutput& unfinished() { return m_unfinished; }
    // The end of every job, also after a failure or a stop: clears
    // JobRunning, empties "pbpos" and the bar, closes reader and writer.
    void finish();

    // Refuses a missing or unwritable output folder before anything is read.
    static void checkOutputFolder(const QString& folder);

private:
    bool pump() override;
    void progress(int64_t done, int64_t total) override;

    Parts m_parts;
    SessionState& m_state;
    UnfinishedOutput m_unfinished;
    QString m_written; // the last output kept by the last job
};
