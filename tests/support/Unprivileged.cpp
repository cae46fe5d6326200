#include "support/Unprivileged.h"

#include <gtest/gtest.h>

#include <grp.h>
#include <unistd.h>

namespace testsupport {

void asUnprivileged(const std::function<bool()>& check)
{
    EXPECT_EXIT(
        {
            if (::geteuid() == 0) {
                const gid_t nogroup = 65534;
                if (::setgroups(1, &nogroup) != 0 || ::setgid(65534) != 0 || ::setuid(65534) != 0)
                    ::_exit(3);
            }
            ::_exit(check() ? 0 : 1);
        },
        ::testing::ExitedWithCode(0), "");
}

} // namespace testsupport
