// SPDX-License-Identifier: GPL-3.0-or-later
#include "engine/CutJob.h"

#include "audio/AudioFile.h"
#include "audio/encoders/Mp3EncoderSettings.h"
#include "audio/mpeg/Mp3PieceWriter.h"
#include "base/IniFile.h"
#include "engine/CutPiece.h"
#include "engine/CutTasks.h"
#include "engine/EncoderSetup.h"
#include "engine/JobError.h"
#include "engine/JobPanel.h"
#include "engine/JobPumps.h"
#include "engine/JobRunner.h"
#include "engine/JobView.h"
#include "engine/Mp3CopySources.h"
#include "engine/OpenOutput.h"
#include "settings/Options.h"

#include <algorithm>
#include <condition_variable>
#include <map>
#include <mutex>
#include <system_error>
#include <thread>

namespace {

SegmentDisplay displayFor(segmentplan::Choice choice)
{
    switch (choice) {
    case segmentplan::Custom:
        return SegmentDisplay::Custom;
    case segmentplan::EverySeconds:
        return SegmentDisplay::Timed;
    case segmentplan::EqualCount:
        return SegmentDisplay::Equal;
    case segmentplan::Unification:
        break;
    }
    return SegmentDisplay::Keep;
}

} // namespace

void CutJob::run(segmentplan::Choice choice)
{
    m_runner.startJob();
    try {
        cutFiles(choice);
    } catch (const std::exception& e) {
        m_runner.fail(QString::fromUtf8(e.what()));
    }
    m_runner.finish();
}

void CutJob::cutFiles(segmentplan::Choice choice)
{
    const JobRunner::Parts& parts = m_runner.parts();
    JobView& view = parts.view;
    AudioFile& reader = parts.reader;
    JobPump& pump = m_runner.jobPump();

    if (view.fileCount() == 0)
        return;
    JobRunner::checkOutputFolder(parts.options.outputDir);
    CutTasks tasks(view, choice, parts.options);
    // The shared list is shown once, for the whole job.
    if (choice == segmentplan::Unification)
        view.showFile(0, SegmentDisplay::Unified);

    // A piece that cannot be copied is encoded, as if copying were off.
    Mp3CopySources copies;
    const PieceTools tools{reader, parts.writer, parts.encoder,      m_runner.unfinished(),
                           pump,   &copies,      RefusedCopy::Encode};
    while (tasks.hasFile() && pump.pump()) {
        tasks.nextFile();
        const int i = tasks.fileIndex();
        view.showFile(i, displayFor(choice));
        if (reader.IsOpen())
            reader.Close();
        reader.OpenRead(view.file(i).path, 0, 1);

        while (tasks.hasPiece() && pump.pump()) {
            // The format box is read, and the name chosen, for every piece.
            const CutTask task = tasks.takePiece(parts.panel.outputFormat());
            PieceHooks hooks;
            hooks.fallback = [&] { return tasks.fallbackFor(task); };
            hooks.opened = [&](const QString&) {
                view.setSegmentStatus(task.piece.row, SegmentStatus::Converting);
            };
            const PieceWritten written = cutPiece(task, tools, hooks);
            m_outputs << written.output;
            view.setSegmentStatus(task.piece.row, SegmentStatus::Finished);
            if (written.copied)
                view.markSegmentCopied(task.piece.row);
        }
        reader.Close();
        copies.release(view.file(i).path);
    }
}

namespace {

// Lets the workers open their outputs in the tasks' order: a worker waits
// for its task's turn before it opens, and passes the turn on once it has
// opened (or has given the task up).
class OpenTurns {
public:
    void await(int task)
    {
        std::unique_lock<std::mutex> lock(m_mutex);
        m_changed.wait(lock, [&] { return m_next == task; });
    }
    void pass(int task)
    {
        const std::lock_guard<std::mutex> lock(m_mutex);
        m_next = task + 1;
        m_changed.notify_all();
    }

private:
    std::mutex m_mutex;
    std::condition_variable m_changed;
    int m_next = 0;
};

// One task's turn, passed on however the task ends.
class Turn {
public:
    Turn(OpenTurns& turns, int task) : m_turns(turns), m_task(task) {}
    ~Turn() { take(); }
    Turn(const Turn&) = delete;
    Turn& operator=(const Turn&) = delete;

    void await()
    {
        if (!m_awaited)
            m_turns.await(m_task);
        m_awaited = true;
    }
    void take()
    {
        if (m_passed)
            return;
        await();
        m_turns.pass(m_task);
        m_passed = true;
    }

private:
    OpenTurns& m_turns;
    int m_task;
    bool m_awaited = false;
    bool m_passed = false;
};

// Holds the workers until all of them have started, so that a run whose
// threads cannot all be started cuts nothing.
class StartGate {
public:
    // False when the run was called off.
    bool wait()
    {
        std::unique_lock<std::mutex> lock(m_mutex);
        m_changed.wait(lock, [&] { return m_open || m_calledOff; });
        return m_open;
    }
    void open() { settle(m_open); }
    void callOff() { settle(m_calledOff); }

private:
    // Atomic, although only touched under the mutex: ThreadSanitizer reports
    // the flags read after a condition wait as racing with settle(), and a
    // threaded run must stay free of reports to be checked at all.
    void settle(std::atomic<bool>& flag)
    {
        const std::lock_guard<std::mutex> lock(m_mutex);
        flag = true;
        m_changed.notify_all();
    }

    std::mutex m_mutex;
    std::condition_variable m_changed;
    std::atomic<bool> m_open{false};
    std::atomic<bool> m_calledOff{false};
};

} // namespace

QVector<CutJob::Outcome> CutJob::runOnWorkers(CutTasks& planner, const QVector<CutTask>& tasks,
                                              const Workers& workers)
{
    QVector<Outcome> outcomes(tasks.size());
    if (tasks.isEmpty())
        return outcomes;
    static const std::atomic<bool> never{false};
    const std::atomic<bool>& stop = workers.stop ? *workers.stop : never;
    std::atomic<int> next{0};
    OpenTurns turns;
    std::mutex naming; // the planner's names, shared by every worker's fallback
    StartGate gate;
    // A copied source is indexed once for every worker, and let go once its
    // last piece is done: tasks come file by file, so only the sources the
    // workers are at are held.
    Mp3CopySources copies;
    std::mutex piecesLeftMutex;
    std::map<QString, int> piecesLeft;
    for (const CutTask& task : tasks)
        ++piecesLeft[task.source];
    const auto pieceDone = [&](const QString& source) {
        const std::lock_guard<std::mutex> lock(piecesLeftMutex);
        if (--piecesLeft[source] == 0)
            copies.release(source);
    };

    auto work = [&](int worker) {
        if (!gate.wait())
            return;
        AudioFile reader;
        AudioFile writer;
        reader.SetEnabled(true);
        writer.SetEnabled(true);
        IniFile ini(workers.iniPath);
        Mp3EncoderSettings mp3;
        EncoderSetup encoder(ini, mp3);
        encoder.setOverrides(workers.encoderOverrides);
        UnfinishedOutput unfinished(writer);
        QString openSource;
        for (int k = next++; k < tasks.size(); k = next++) {
            Turn turn(turns, k);
            if (stop.load())
                break;
            const CutTask& task = tasks[k];
            Outcome& outcome = outcomes[k];
            outcome.started = true;
            StopFlagPump pump(stop, [&](int64_t done, int64_t total) {
                if (workers.progress)
                    workers.progress(worker, k, done, total);
            });
            PieceHooks hooks;
            if (workers.fallbackNames)
                hooks.fallback = [&] {
                    const std::lock_guard<std::mutex> lock(naming);
                    return planner.fallbackFor(task);
                };
            hooks.beforeOpen = [&] { turn.await(); };
            hooks.opened = [&](const QString&) { turn.take(); };
            try {
                // A piece that is encoded opens the reader; one that is
                // copied does without.
                if (openSource != task.source && reader.IsOpen())
                    reader.Close();
                openSource = task.source;
                const PieceWritten written =
                    cutPiece(task,
                             PieceTools{reader, writer, encoder, unfinished, pump, &copies,
                                        workers.refusedCopy},
                             hooks);
                outcome.output = written.output;
                outcome.firstFrame = written.firstFrame;
                outcome.frames = written.frames;
                outcome.copied = written.copied;
            } catch (const std::exception& e) {
                unfinished.abandon();
                outcome.error = QString::fromUtf8(e.what());
                outcome.copyRefused = dynamic_cast<const Mp3CopyRefused*>(&e) != nullptr;
                if (reader.IsOpen())
                    reader.Close();
                openSource.clear();
            }
            pieceDone(task.source);
            if (workers.settle && !stop.load())
                workers.settle(k, outcome);
            if (workers.finished)
                workers.finished(worker, k);
        }
    };

    const int count = std::clamp<int>(workers.count, 1, static_cast<int>(tasks.size()));
    if (count == 1) {
        gate.open();
        work(0);
        return outcomes;
    }
    std::vector<std::thread> threads;
    try {
        for (int w = 0; w < count; ++w)
            threads.emplace_back(work, w);
    } catch (const std::system_error& e) {
        gate.callOff();
        for (std::thread& t : threads)
            t.join();
        throw JobError(QStringLiteral("Cannot start %1 workers (%2 started): %3")
                           .arg(count)
                           .arg(threads.size())
                           .arg(QString::fromLocal8Bit(e.what())));
    }
    gate.open();
    for (std::thread& t : threads)
        t.join();
    return outcomes;
}
