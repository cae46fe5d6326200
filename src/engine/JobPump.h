// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>

// What a job does between its steps. The window's pump lets the event loop
// run (so Stop can be clicked) and shows progress on the front panel; the
// command line's pump tests its stop flag and draws a progress line. The
// same job code runs under both.
class JobPump {
public:
    virtual ~JobPump() = default;

    // Lets the surroundings run; false when the job is to stop.
    virtual bool pump() = 0;
    // Progress of the current output: `done` of `total` source frames.
    virtual void progress(int64_t done, int64_t total) = 0;
};
