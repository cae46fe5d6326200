// SPDX-License-Identifier: GPL-3.0-or-later
#include "jobs/ChapterPlan.h"

#include <gtest/gtest.h>

#include <limits>

namespace {

// Each piece as "track begin-end title", in frames.
QStringList describe(const PiecePlan& plan)
{
    QStringList out;
    for (const PlannedPiece& p : plan.pieces) {
        out << QStringLiteral("%1 %2-%3 %4")
                   .arg(p.track)
                   .arg(p.begin.exactFrame().value_or(-1))
                   .arg(p.end.exactFrame().value_or(-1))
                   .arg(p.title);
    }
    return out;
}

} // namespace

TEST(ChapterPlan, ChaptersBecomePiecesAtExactFrames)
{
    const int64_t minute = 60 * 44100;
    const std::optional<int64_t> open;
    const struct {
        const char* name;
        TagChapters chapters;
        QStringList pieces;
    } cases[] = {
        {"ends from the next start, the last to the end of the file",
         {{0, open, "Intro"}, {12500, open, " Chapter two "}, {30001, open, ""}},
         {"1 0-551250 Intro", "2 551250-1323044 Chapter two", "3 1323044-2646000 "}},
        {"explicit ends kept, a gap left out, an end past the file taken back",
         {{1000, 5000, "a"}, {10000, 999999, "b"}},
         {"1 44100-220500 a", "2 441000-2646000 b"}},
        {"the table of contents' order numbers the pieces; ends follow time",
         {{20000, open, "second"}, {0, open, "first"}},
         {"1 882000-2646000 second", "2 0-882000 first"}},
        {"chapters at or past the end, or empty, are as if absent",
         {{0, open, "a"},
          {60000, open, "at the end"},
          {70000, open, "past"},
          {5000, 5000, "empty"},
          {6000, 5500, "backwards"},
          {7000, open, "b"}},
         {"1 0-308700 a", "2 308700-2646000 b"}},
        {"a negative start counts from 0, a huge one lies past the end",
         {{-40, open, "a"}, {std::numeric_limits<int64_t>::max(), open, "far"}},
         {"1 0-2646000 a"}},
        {"no chapter, no piece", {}, {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const PiecePlan plan = PlanFromChapters(c.chapters, 44100, minute);
        EXPECT_EQ(describe(plan), c.pieces);
        EXPECT_EQ(plan.trackTotal, c.pieces.size());
    }
}

TEST(ChapterPlan, MillisecondsRoundToTheNearestFrame)
{
    // 30001 ms at 44100 Hz is frame 1323044.1, at 22050 Hz 661522.05, at
    // 8000 Hz exactly 240008; 1 ms at 22050 Hz is 22.05.
    const TagChapters chapters{{1, std::nullopt, ""}, {30001, std::nullopt, ""}};
    EXPECT_EQ(PlanFromChapters(chapters, 44100, 44100 * 40).pieces[1].begin.exactFrame(), 1323044);
    EXPECT_EQ(PlanFromChapters(chapters, 22050, 22050 * 40).pieces[1].begin.exactFrame(), 661522);
    EXPECT_EQ(PlanFromChapters(chapters, 8000, 8000 * 40).pieces[1].begin.exactFrame(), 240008);
    EXPECT_EQ(PlanFromChapters(chapters, 22050, 22050 * 40).pieces[0].begin.exactFrame(), 22);
    EXPECT_EQ(PlanFromChapters({{1, std::nullopt, ""}}, 48000, 0).pieces.size(), 0)
        << "an empty file has no piece";
}
