// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <grp.h>
#include <sys/resource.h>
#include <unistd.h>

// Checks that run in a child process of their own: its exit status is the
// check's result, so that a check may drop privileges or hang without taking
// the test program with it.
namespace testsupport {

// The user and group without rights that root drops to: "nobody", "nogroup".
inline constexpr uid_t kNobody = 65534;
inline constexpr gid_t kNoGroup = 65534;

// As "nobody" when the suite runs as root, where permissions then hold.
inline void asUnprivileged(const std::function<bool()>& check)
{
    EXPECT_EXIT(
        {
            if (::geteuid() == 0) {
                if (::setgroups(1, &kNoGroup) != 0 || ::setgid(kNoGroup) != 0 ||
                    ::setuid(kNobody) != 0)
                    ::_exit(3);
            }
            ::_exit(check() ? 0 : 1);
        },
        ::testing::ExitedWithCode(0), "");
}

// A check that would wait or read for ever if the code under test went
// wrong: ended by an alarm after `seconds`, and refused memory beyond 4 GB
// (except under a sanitizer, which reserves far more address space), so that
// it fails instead of hanging the suite or exhausting the machine.
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
inline constexpr bool kSanitized = true;
#else
inline constexpr bool kSanitized = false;
#endif

inline void limitMemory(rlim_t bytes)
{
    rlimit memory{};
    memory.rlim_cur = memory.rlim_max = bytes;
    ::setrlimit(RLIMIT_AS, &memory);
}

inline void withinBounds(const std::function<bool()>& check, unsigned seconds = 30)
{
    EXPECT_EXIT(
        {
            if (!kSanitized)
                limitMemory(rlim_t(4) << 30);
            ::alarm(seconds);
            ::_exit(check() ? 0 : 1);
        },
        ::testing::ExitedWithCode(0), "");
}

} // namespace testsupport
