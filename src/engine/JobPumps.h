#pragma once

#include "engine/JobPump.h"

#include <atomic>
#include <functional>

// The window's pump: lets the event loop handle what is pending (a click on
// Stop among it); the job runner then tests JobRunning.
class EventLoopPump : public JobPump {
public:
    bool pump() override;
    void progress(int64_t, int64_t) override {}
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
