// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <atomic>

// How the program ends when it is asked to: SIGINT (Ctrl-C), SIGTERM (a
// logout, a shutdown, kill) and SIGHUP (a closed terminal).
//
// Without a stop to ask for, such a signal ends the process at once, after
// removing the files being written (UnfinishedFile), and with the signal's
// own exit status. With one, the first signal only asks for the stop: the job
// ends in order, keeping the pieces it finished; a second signal then ends the
// process at once in the same way, abandoning the pieces under way.
//
// SIGXFSZ is ignored, so that a write beyond the file size limit fails and is
// reported like a full disk instead of ending the process.
class EndSignals {
public:
    // Installs the handlers; once per process, before any file is written.
    static void install();
    // The first signal from now on sets `flag` (a job's stop flag);
    // nullptr: no longer.
    static void stopWith(std::atomic<bool>* flag);
    // The first signal from now on writes a byte to `fd` (for an event loop
    // to notice); -1: no longer.
    static void notifyThrough(int fd);
};
