// SPDX-License-Identifier: GPL-3.0-or-later
#include "base/EndRequests.h"

#include "base/EndSignals.h"

#include <QSocketNotifier>
#include <fcntl.h>
#include <unistd.h>

EndRequests::EndRequests(QObject* parent) : QObject(parent)
{
    EndSignals::install();
    // The handler must never block on a full pipe.
    if (::pipe2(m_pipe, O_CLOEXEC | O_NONBLOCK) != 0)
        return;
    m_notifier = new QSocketNotifier(m_pipe[0], QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, [this] {
        char bytes[16];
        while (::read(m_pipe[0], bytes, sizeof bytes) > 0) {
        }
        emit endRequested();
    });
    EndSignals::notifyThrough(m_pipe[1]);
}

EndRequests::~EndRequests()
{
    EndSignals::notifyThrough(-1);
    delete m_notifier;
    for (const int fd : m_pipe)
        if (fd >= 0)
            ::close(fd);
}
