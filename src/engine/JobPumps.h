// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "engine/JobPump.h"

#include <QObject>
#include <atomic>
#include <functional>
#include <memory>

// The window's pump: lets the event loop handle what is pending (a click on
// Stop among it); the job runner then tests JobRunning.
//
// A screen reader, and a user at the keyboard or the mouse, talk to the
// window in exchanges of many small requests, each sent only when the last
// one was answered. Answering one request per block would stretch an
// exchange to seconds, so while requests keep arriving the pump keeps
// answering them, for up to a slice of time, before the job goes on with its
// next block.
class EventLoopPump : public JobPump {
public:
    // How long one pump may keep answering an exchange, and how long it
    // waits for the next request of one.
    struct Timing {
        int sliceMs = 150;
        int quietMs = 12;
    };

    EventLoopPump();
    explicit EventLoopPump(Timing timing);
    ~EventLoopPump() override;
    EventLoopPump(const EventLoopPump&) = delete;
    EventLoopPump& operator=(const EventLoopPump&) = delete;

    bool pump() override;
    void progress(int64_t, int64_t) override {}

    // How often the job has pumped, and the longest time between two pumps
    // seen so far, in milliseconds (a job's block time, as the window felt it).
    int64_t pumps() const { return m_pumps; }
    int64_t longestGapMs() const { return m_longestGapMs; }

    // Requests that keep an exchange going: calls from assistive technology
    // and queued calls (both arrive as meta-call events), and the user's input.
    static bool isRequest(const QEvent& event);

private:
    class RequestWatch;

    void answerExchange();

    Timing m_timing;
    std::unique_ptr<RequestWatch> m_watch;
    int64_t m_pumps = 0;
    int64_t m_lastPumpMs = -1;
    int64_t m_longestGapMs = 0;
};

// The pump of a run without a window: the job goes on until the stop flag
// is raised (Ctrl-C); progress goes to a callback that may draw it. Safe to
// share between threads when the callback is.
class StopFlagPump : public JobPump {
public:
    using ProgressCallback = std::function<void(int64_t done, int64_t total)>;

    explicit StopFlagPump(const std::atomic<bool>& stop, ProgressCallback onProgress = {})
        : m_stop(stop), m_onProgress(std::move(onProgress))
    {
    }

    bool pump() override { return !m_stop.load(std::memory_order_relaxed); }
    void progress(int64_t done, int64_t total) override
    {
        if (m_onProgress)
            m_onProgress(done, total);
    }

private:
    const std::atomic<bool>& m_stop;
    ProgressCallback m_onProgress;
};
