#pragma once

// The cut and join jobs' running flag. Commands that must not run during a
// job test it first; Stop clears it and the job's loop ends at its next test.
class JobRunner {
public:
    bool JobRunning = false;
};
