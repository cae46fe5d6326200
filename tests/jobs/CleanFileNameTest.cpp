// SPDX-License-Identifier: GPL-3.0-or-later
#include "jobs/CleanFileName.h"

#include <gtest/gtest.h>

TEST(CleanFileName, RemovesTheNineCharactersWithoutReplacement)
{
    EXPECT_EQ(CleanFileName("AC/DC: Live"), "ACDC Live");
    EXPECT_EQ(CleanFileName(R"(a*b?c|d:e"f/g\h<i>j)"), "abcdefghij");
    EXPECT_EQ(CleanFileName("***"), "");
    EXPECT_EQ(CleanFileName(""), "");
}

TEST(CleanFileName, KeepsEverythingElse)
{
    EXPECT_EQ(CleanFileName("  Ärzte – 東京 (live) [1].mp3 "), "  Ärzte – 東京 (live) [1].mp3 ");
    EXPECT_EQ(CleanFileName("a_b-c'd,e;f=g+h%i#j&k"), "a_b-c'd,e;f=g+h%i#j&k");
}
