// SPDX-License-Identifier: GPL-3.0-or-later
#include "engine/JobPumps.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QElapsedTimer>
#include <QEvent>
#include <QTimer>

#include <algorithm>

namespace {

int64_t nowMs()
{
    static const QElapsedTimer clock = [] {
        QElapsedTimer t;
        t.start();
        return t;
    }();
    return clock.elapsed();
}

} // namespace

// Counts the requests the event loop delivers while it is watched.
class EventLoopPump::RequestWatch : public QObject {
public:
    RequestWatch()
    {
        if (QCoreApplication* app = QCoreApplication::instance())
            app->installEventFilter(this);
    }

    // Whether a request was delivered since the last call.
    bool take() { return std::exchange(m_seen, false); }
    bool seen() const { return m_seen; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event && EventLoopPump::isRequest(*event))
            m_seen = true;
        return QObject::eventFilter(watched, event);
    }

private:
    bool m_seen = false;
};

EventLoopPump::EventLoopPump() : EventLoopPump(Timing{}) {}

EventLoopPump::EventLoopPump(Timing timing) : m_timing(timing) {}

EventLoopPump::~EventLoopPump() = default;

bool EventLoopPump::isRequest(const QEvent& event)
{
    switch (event.type()) {
    case QEvent::MetaCall:
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::MouseMove:
    case QEvent::Wheel:
    case QEvent::Drop:
        return true;
    default:
        return false;
    }
}

bool EventLoopPump::pump()
{
    const int64_t now = nowMs();
    if (m_lastPumpMs >= 0)
        m_longestGapMs = std::max(m_longestGapMs, now - m_lastPumpMs);
    ++m_pumps;
    // Watched from the first pump on: the application exists by then.
    if (!m_watch)
        m_watch = std::make_unique<RequestWatch>();
    m_watch->take();
    QCoreApplication::processEvents();
    if (m_watch->take())
        answerExchange();
    m_lastPumpMs = nowMs();
    return true;
}

void EventLoopPump::answerExchange()
{
    const QDeadlineTimer slice(m_timing.sliceMs);
    // The wake-up timer ends a wait that no request ends.
    QTimer wake;
    wake.setSingleShot(true);
    wake.setTimerType(Qt::PreciseTimer);
    bool talking = true;
    while (talking && !slice.hasExpired()) {
        const int wait = static_cast<int>(
            std::min<qint64>(m_timing.quietMs, std::max<qint64>(slice.remainingTime(), 1)));
        wake.start(wait);
        while (!m_watch->seen() && wake.isActive())
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
        wake.stop();
        talking = m_watch->take();
    }
}
