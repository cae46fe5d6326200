// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/WaitFor.h"

#include <QDeadlineTimer>
#include <QEventLoop>
#include <QTimer>

namespace testsupport {

namespace {

constexpr int kPatienceMs = 60000;
// How often the condition is looked at when no event says it changed.
constexpr int kLookEveryMs = 5;

} // namespace

::testing::AssertionResult waitFor(const std::function<bool()>& condition, const QString& what)
{
    if (condition())
        return ::testing::AssertionSuccess();
    const QDeadlineTimer patience(kPatienceMs);
    QEventLoop loop;
    QTimer look;
    look.setInterval(kLookEveryMs);
    bool held = false;
    QObject::connect(&look, &QTimer::timeout, &loop, [&] {
        held = condition();
        if (held || patience.hasExpired())
            loop.quit();
    });
    look.start();
    loop.exec();
    if (held)
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure()
           << "waited " << kPatienceMs / 1000 << " s in vain for " << what.toStdString();
}

} // namespace testsupport
