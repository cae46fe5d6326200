// SPDX-License-Identifier: GPL-3.0-or-later
#include "base/EndSignals.h"

#include "base/UnfinishedFile.h"

#include <cerrno>
#include <csignal>
#include <unistd.h>

namespace {

std::atomic<std::atomic<bool>*> stopFlag{nullptr};
std::atomic<int> notifyFd{-1};
// Whether the first signal since the stop was armed has come.
std::atomic<bool> stopAsked{false};

extern "C" void onEndSignal(int signal)
{
    const int savedErrno = errno;
    std::atomic<bool>* flag = stopFlag.load();
    const int fd = notifyFd.load();
    if ((flag || fd >= 0) && !stopAsked.exchange(true)) {
        if (flag)
            flag->store(true);
        if (fd >= 0) {
            const char byte = 1;
            [[maybe_unused]] const ssize_t written = ::write(fd, &byte, 1);
        }
        errno = savedErrno;
        return;
    }
    UnfinishedFile::removeAll();
    // Ended as the signal ends a process without a handler, so that the
    // shell sees why; delivered once this handler returns, as the signal is
    // blocked while it runs.
    ::signal(signal, SIG_DFL);
    ::raise(signal);
    errno = savedErrno;
}

} // namespace

void EndSignals::install()
{
    struct sigaction action {};
    action.sa_handler = onEndSignal;
    sigemptyset(&action.sa_mask);
    // A second signal of another kind waits until the first is handled.
    for (const int signal : {SIGINT, SIGTERM, SIGHUP})
        sigaddset(&action.sa_mask, signal);
    action.sa_flags = SA_RESTART;
    for (const int signal : {SIGINT, SIGTERM, SIGHUP})
        ::sigaction(signal, &action, nullptr);
    ::signal(SIGXFSZ, SIG_IGN);
}

void EndSignals::stopWith(std::atomic<bool>* flag)
{
    stopFlag.store(flag);
    if (flag)
        stopAsked.store(false);
}

void EndSignals::notifyThrough(int fd)
{
    notifyFd.store(fd);
    if (fd >= 0)
        stopAsked.store(false);
}
