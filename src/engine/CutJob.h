// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "engine/CutPiece.h"
#include "engine/CutTask.h"
#include "engine/EncoderOverrides.h"
#include "jobs/SegmentPlan.h"

#include <QString>
#include <QStringList>
#include <QVector>
#include <atomic>
#include <functional>

class CutTasks;
class JobRunner;

// The cut job: every piece of every listed file becomes an output file of
// its own in the output folder. Its tasks come from CutTasks and each is
// cut by cutPiece; the window runs them one after another on its own thread,
// the command line on several workers.
class CutJob {
public:
    explicit CutJob(JobRunner& runner) : m_runner(runner) {}

    // The window's run of a function choice: one piece after another on
    // this thread, each planned when its turn comes, pumping before every
    // file, piece and block, with the lists and the panel following along.
    void run(segmentplan::Choice choice);

    void CutCustomSegments() { run(segmentplan::Custom); }
    void CutTimedPieces() { run(segmentplan::EverySeconds); }
    void CutEqualPieces() { run(segmentplan::EqualCount); }
    void CutUnifiedSegments() { run(segmentplan::Unification); }

    // The outputs written, in order (partial ones of a stop included).
    const QStringList& outputs() const { return m_outputs; }

    // What became of one task of a run on workers.
    struct Outcome {
        bool started = false;
        QString output; // the name written under
        int64_t firstFrame = 0;
        int64_t frames = 0;
        bool copied = false;
        QString error; // why it failed; its output was removed
        // The error is a refusal to copy the piece (under RefusedCopy::Fail);
        // a source that cannot be copied at all refuses each of its pieces
        // with the same message.
        bool copyRefused = false;
    };
    struct Workers {
        int count = 1;                           // at most this many threads, never more than tasks
        QString iniPath;                         // the settings file each worker configures from
        EncoderOverrides encoderOverrides;       // put over the settings file's values
        const std::atomic<bool>* stop = nullptr; // ends every piece at its next block
        RefusedCopy refusedCopy = RefusedCopy::Encode; // what a piece that cannot be copied becomes
        // Whether a name the file system refuses gives way to the fallback
        // name; without, the piece fails (a batch's names are its plan's).
        bool fallbackNames = true;
        // Progress of a worker's current task, and the end of a task.
        std::function<void(int worker, int task, int64_t done, int64_t total)> progress;
        std::function<void(int worker, int task)> finished;
        // Called on the worker's thread once a task has ended, before
        // `finished`, unless a stop came: what is done with a finished output
        // (a batch puts it in place and records it) and may change the outcome.
        std::function<void(int task, Outcome& outcome)> settle;
    };
    // The command line's run: the tasks, all planned up front by `planner`,
    // are cut by worker threads, each with its own reader, writer and encoder
    // configuration; a source that is copied is indexed once, for all of them.
    // A piece that fails is reported in its outcome and the others go on. Outputs are opened in the
    // tasks' order, so that a fallback name is the one the window would give, whatever the number
    // of workers. Throws JobError, with nothing cut, when the threads cannot be started.
    static QVector<Outcome> runOnWorkers(CutTasks& planner, const QVector<CutTask>& tasks,
                                         const Workers& workers);

private:
    void cutFiles(segmentplan::Choice choice);

    JobRunner& m_runner;
    QStringList m_outputs;
};
