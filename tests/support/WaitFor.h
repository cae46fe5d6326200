// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <gtest/gtest.h>

#include <QString>
#include <functional>

namespace testsupport {

// Runs the event loop until `condition` holds, so that timers, queued
// signals and answers from other threads are delivered meanwhile; for use in
// ASSERT_TRUE. Fails naming `what` only when the condition never comes true
// within the patience (a minute, however loaded the machine): a guard against
// a hang, never a measure of time.
::testing::AssertionResult waitFor(const std::function<bool()>& condition, const QString& what);

} // namespace testsupport
