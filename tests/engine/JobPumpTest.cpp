// SPDX-License-Identifier: GPL-3.0-or-later
// The window's pump answers a whole exchange of requests between two blocks
// of a job: each request arrives only after the previous one was answered,
// as a screen reader's calls do, and one pump answers them all, up to its
// slice; with nothing asked it does not wait.
#include "engine/JobPumps.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QObject>
#include <QTimer>

#include <functional>

namespace {

// Sends a request (a queued call) that, once answered, sends the next one a
// moment later, until `count` have been answered or without end.
class Asker : public QObject {
public:
    int answered = 0;
    int count = -1; // -1: without end

    void ask()
    {
        QMetaObject::invokeMethod(
            this, [this] { answer(); }, Qt::QueuedConnection);
    }

private:
    void answer()
    {
        ++answered;
        if (count < 0 || answered < count)
            QTimer::singleShot(1, this, [this] { ask(); });
    }
};

} // namespace

TEST(JobPumpTest, OnePumpAnswersAWholeExchange)
{
    // Generous times: the test never depends on the machine's speed.
    EventLoopPump pump(EventLoopPump::Timing{60000, 500});
    Asker asker;
    asker.count = 25;
    asker.ask();
    EXPECT_TRUE(pump.pump());
    EXPECT_EQ(asker.answered, 25) << "every request of the exchange, within one pump";
    EXPECT_EQ(pump.pumps(), 1);
}

TEST(JobPumpTest, AnEndlessExchangeStillLeavesTheJobItsTurn)
{
    EventLoopPump pump(EventLoopPump::Timing{100, 2000});
    Asker asker;
    asker.ask();
    EXPECT_TRUE(pump.pump()); // returns although the requests never stop
    EXPECT_GT(asker.answered, 1);
    asker.count = asker.answered; // the exchange ends
}

TEST(JobPumpTest, WithNothingAskedThePumpDoesNotWait)
{
    EventLoopPump pump(EventLoopPump::Timing{60000, 60000});
    bool late = false;
    // Due long after a pump that does not wait has returned.
    QTimer::singleShot(3000, [&late] { late = true; });
    // A timer is no request and does not hold it either (a zero-time single
    // shot would be a queued call, which is one).
    QTimer::singleShot(1, [] {});
    EXPECT_TRUE(pump.pump());
    EXPECT_TRUE(pump.pump());
    EXPECT_FALSE(late);
}

TEST(JobPumpTest, InputAndCallsAreRequestsPaintingAndTimersAreNot)
{
    for (const QEvent::Type type : {QEvent::MetaCall, QEvent::KeyPress, QEvent::MouseButtonPress,
                                    QEvent::Wheel, QEvent::Drop})
        EXPECT_TRUE(EventLoopPump::isRequest(QEvent(type))) << type;
    for (const QEvent::Type type :
         {QEvent::Timer, QEvent::Paint, QEvent::UpdateRequest, QEvent::DeferredDelete})
        EXPECT_FALSE(EventLoopPump::isRequest(QEvent(type))) << type;
}
