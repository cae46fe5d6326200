// SPDX-License-Identifier: GPL-3.0-or-later
#include "JobAreaFixture.h"

#include "base/TimeCode.h"
#include "jobs/PiecePlanSegments.h"
#include "jobs/SegmentPlan.h"
#include "jobs/SegmentPoint.h"
#include "jobs/SegmentStatus.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>

namespace {

class SegmentPlanTest : public ::testing::Test, public JobAreaFixture {
protected:
    void choose(int choice, int seconds = 60, int count = 6)
    {
        options.functionChoice = choice;
        options.pieceSeconds = seconds;
        options.pieceCount = count;
    }
    void click(int row)
    {
        area->list().select(row);
        area->lvClick();
    }
    // The slider position that stands for `seconds` of a file of `duration`.
    void slideTo(int seconds, int duration)
    {
        const int range = area->sliderRange();
        state.setSliderPosition(seconds * range / duration);
        ASSERT_EQ(area->sliderSeconds(duration), seconds);
    }
};

} // namespace

TEST_F(SegmentPlanTest, TimedPiecesEndInAShorterOrEmptyPiece)
{
    choose(1, 60);
    addEntry(125);
    addEntry(120);
    addEntry(30);
    click(0);
    EXPECT_EQ(ranges(),
              (QStringList{"00:00:00 - 00:01:00", "00:01:00 - 00:02:00", "00:02:00 - 00:02:05"}));
    EXPECT_EQ(lengths(), (QStringList{"00:01:00", "00:01:00", "00:00:05"}));
    EXPECT_EQ(statuses(), (QStringList{"Unconvert", "Unconvert", "Unconvert"}));
    click(1);
    EXPECT_EQ(ranges().last(), "00:02:00 - 00:02:00");
    EXPECT_EQ(lengths().last(), "00:00:00");
    click(2);
    EXPECT_EQ(ranges(), QStringList{"00:00:00 - 00:00:30"});
    area->ShowTotalLength();
    EXPECT_EQ(area->totalLengthText(), "00:04:35");
    EXPECT_EQ(area->list().entry(0).segmentCount, 1) << "computed pieces are never stored";
}

TEST_F(SegmentPlanTest, EqualPiecesLeaveTheRemainderOut)
{
    choose(2, 60, 6);
    addEntry(100);
    addEntry(4);
    click(0);
    ASSERT_EQ(area->segments().count(), 6);
    EXPECT_EQ(ranges().last(), "00:01:20 - 00:01:36");
    EXPECT_EQ(lengths(), QStringList(6, "00:00:16"));
    click(1);
    EXPECT_EQ(ranges(), QStringList(6, "00:00:00 - 00:00:00"));
    area->ShowTotalLength();
    EXPECT_EQ(area->totalLengthText(), "00:01:44") << "the total includes the remainders";
}

TEST_F(SegmentPlanTest, HandEditedCountsBelowOneCountAsOne)
{
    addEntry(90);
    for (int n : {0, -5}) {
        choose(1, n, n);
        click(0);
        EXPECT_EQ(area->segments().count(), 91) << "one-second pieces for " << n;
        choose(2, n, n);
        click(0);
        EXPECT_EQ(ranges(), QStringList{"00:00:00 - 00:01:30"}) << "one piece for " << n;
    }
    EXPECT_EQ(options.pieceSeconds, -5) << "the option itself is left as it is";
}

TEST_F(SegmentPlanTest, AHugeCountListsNoMoreEmptyPiecesThanTheFileHasSeconds)
{
    addEntry(3600);
    addEntry(4);
    // Counts up to the file's seconds, or up to the floor for a short file,
    // list exactly as many pieces as asked.
    choose(2, 60, 3600);
    click(0);
    ASSERT_EQ(area->segments().count(), 3600);
    EXPECT_EQ(ranges().last(), "00:59:59 - 01:00:00");
    choose(2, 60, segmentplan::kMaxEmptyPieces);
    click(1);
    EXPECT_EQ(area->segments().count(), segmentplan::kMaxEmptyPieces);

    // A count of a billion (typed or hand-edited) gives empty pieces only;
    // the list stops at the file's seconds instead of freezing the window.
    choose(2, 60, 1000000000);
    click(0);
    ASSERT_EQ(area->segments().count(), 3600);
    EXPECT_EQ(ranges(), QStringList(3600, "00:00:00 - 00:00:00"));
    click(1);
    EXPECT_EQ(area->segments().count(), segmentplan::kMaxEmptyPieces);
    area->ShowTotalLength();
    EXPECT_EQ(area->totalLength(), 3600 + 4) << "the total is still every file's length";
    EXPECT_EQ(options.pieceCount, 1000000000) << "the option itself is left as it is";
}

TEST_F(SegmentPlanTest, CustomTotalsCountConfirmedSegmentsOrTheLoneOpenOne)
{
    choose(0);
    addEntry(300);
    addEntry(45);
    area->list().entry(0).setConfirmedSegments({{0, 10}, {20, 30}});
    click(0);
    EXPECT_EQ(ranges(),
              (QStringList{"00:00:00 - 00:00:10", "00:00:20 - 00:00:30", "00:00:00 - 00:05:00"}));
    EXPECT_EQ(statuses(), (QStringList{"OK", "OK", "Uncertain"}));
    EXPECT_EQ(area->totalLength(), 20 + 45);
}

TEST_F(SegmentPlanTest, UnificationCutsTheFirstFilesListOutOfEveryFileClipped)
{
    choose(3);
    addEntry(150);
    addEntry(120);
    addEntry(90);
    area->list().entry(0).setConfirmedSegments({{0, 60}, {100, 140}});
    area->list().entry(2).setConfirmedSegments({{1, 2}}); // plays no part
    for (int row : {0, 1, 2}) {
        click(row);
        EXPECT_EQ(ranges(), (QStringList{"00:00:00 - 00:01:00", "00:01:40 - 00:02:20",
                                         "00:00:00 - 00:02:30"}))
            << "row " << row;
    }
    area->ShowTotalLength();
    EXPECT_EQ(area->totalLength(), 100 + 80 + 60);
    EXPECT_EQ(area->totalLengthText(), "00:04:00");

    // While it has only its open segment, that one is cut, clipped.
    area->list().entry(0).setConfirmedSegments({});
    area->list().entry(0).beginTimes[0] = SegmentPoint::seconds(100);
    area->list().entry(0).endTimes[0] = SegmentPoint::seconds(130);
    EXPECT_EQ(area->totalLength(), 30 + 20 + 0);
}

// Nothing makes bounds below a second by hand yet, but a list may hold them
// (typed times, cue sheets): their rows show milliseconds, whole seconds look
// as they always did, and totals add the milliseconds before they are shown.
TEST_F(SegmentPlanTest, BoundsBelowASecondShowMillisecondsAndAddUpInTheTotals)
{
    using P = SegmentPoint;
    struct Case {
        Segment segment;
        const char* range;
        const char* length;
    };
    const Case cases[] = {
        {{P::milliseconds(62'345), P::seconds(70)}, "00:01:02.345 - 00:01:10", "00:00:07.655"},
        {{P::seconds(1), P::seconds(3)}, "00:00:01 - 00:00:03", "00:00:02"},
        {{P::milliseconds(5'500), P::milliseconds(5'000)},
         "00:00:05.500 - 00:00:05",
         "-00:00:00.500"},
        {{P::frame(66'151, 44'100), P::frame(88'200, 44'100)},
         "00:00:01.500 - 00:00:02.000",
         "00:00:00.500"},
        {{P::milliseconds(3'600'000 + 7), P::milliseconds(3'600'000 + 1'007)},
         "01:00:00.007 - 01:00:01.007",
         "00:00:01.000"},
    };
    choose(0);
    addEntry(4000);
    QVector<Segment> confirmed;
    for (const Case& c : cases)
        confirmed << c.segment;
    area->list().entry(0).setConfirmedSegments(confirmed);
    click(0);
    for (int i = 0; i < std::ssize(cases); ++i) {
        EXPECT_EQ(area->segments().range(i), cases[i].range) << i;
        EXPECT_EQ(area->segments().length(i), cases[i].length) << i;
    }
    // 7655 + 2000 - 500 + 500 + 1000 ms.
    EXPECT_EQ(area->totalLength(), 10);

    // Under Unification each piece is clipped to the file in milliseconds.
    choose(3);
    addEntry(11);
    area->list().entry(0).setConfirmedSegments({{P::milliseconds(9'500), P::seconds(12)}});
    area->list().entry(0).duration = 10;
    // 10 000 - 9 500 of the first file, 11 000 - 9 500 of the second.
    EXPECT_EQ(area->totalLength(), 2);
}

TEST_F(SegmentPlanTest, APlanBecomesTheLabelledConfirmedSegmentsOfItsFile)
{
    using P = SegmentPoint;
    PiecePlan plan;
    plan.trackTotal = 12; // a sheet of two files counts all its tracks
    plan.album = "Live";
    plan.albumPerformer = "Band";
    plan.date = "1999";
    plan.genre = "Rock";
    plan.pieces = {
        {P::frame(0, 44'100), P::frame(2'712'150, 44'100), 7, "Intro", "Singer"},
        {P::frame(2'712'150, 44'100), P::frame(26'460'000, 44'100), 8, "Song", ""},
    };
    choose(0);
    addEntry(900, "other.wav");
    addEntry(600, "live.wav");
    click(0);
    area->list().entry(1).setConfirmedSegments({{P::seconds(5), P::seconds(6)}});

    ASSERT_TRUE(area->placePlan(1, plan));
    EXPECT_EQ(area->list().selectedRow(), 1) << "the file of the plan is shown";
    EXPECT_EQ(state.SelectedFileIndex(), 1);
    EXPECT_EQ(ranges(), (QStringList{"00:00:00.000 - 00:01:01.500", "00:01:01.500 - 00:10:00.000",
                                     "00:00:00 - 00:10:00"}));
    EXPECT_EQ(statuses(), (QStringList{"OK", "OK", "Uncertain"}));
    EXPECT_EQ(lengths()[0], "00:01:01.500");
    EXPECT_EQ(area->totalLength(), 900 + 600)
        << "the other file whole, and the pieces without the open segment";
    EXPECT_EQ(area->segments().title(0), "07 Intro \u2013 Singer");
    EXPECT_EQ(area->segments().title(1), "08 Song \u2013 Band");
    EXPECT_EQ(area->segments().title(2), "");
    EXPECT_EQ(area->segments().data(area->segments().index(1, 2), Qt::ToolTipRole).toString(),
              "08 Song \u2013 Band");
    EXPECT_FALSE(area->segments().data(area->segments().index(2, 0), Qt::ToolTipRole).isValid());

    const listrecord& e = area->list().entry(1);
    EXPECT_EQ(e.segment(0).begin.exactFrame(), 0) << "exact frames stay exact";
    EXPECT_EQ(e.segment(1).begin.exactFrame(), 2'712'150);
    const SegmentLabel first = e.segment(0).label;
    EXPECT_EQ(first.track, 7);
    EXPECT_EQ(first.trackTotal, 12);
    EXPECT_EQ(first.title, "Intro");
    EXPECT_EQ(first.performer, "Singer");
    EXPECT_EQ(first.album, "Live");
    EXPECT_EQ(first.date, "1999");
    EXPECT_EQ(first.genre, "Rock");
    EXPECT_EQ(e.segment(1).label.performer, "Band") << "the disc's performer stands in";
    EXPECT_TRUE(e.segment(2).label.isEmpty()) << "the open segment is the user's";
    EXPECT_EQ(area->list().entry(0).usedSegments(), 1) << "the other file keeps its list";

    // A plan of no pieces (a file of silence only, its silences dropped)
    // changes nothing; nor does a row that is not listed.
    EXPECT_FALSE(area->placePlan(1, PiecePlan()));
    EXPECT_FALSE(area->placePlan(2, plan));
    EXPECT_EQ(area->list().entry(1).usedSegments(), 3);

    // Pieces without a number (none given by the source) count to no total.
    PiecePlan unnumbered;
    unnumbered.trackTotal = 1;
    unnumbered.pieces = {{P::seconds(1), P::seconds(2), 0, "", ""}};
    EXPECT_EQ(PlannedSegments(unnumbered).first().label.trackTotal, 0);
    // The pieces of a silence search carry numbers only.
    PiecePlan found;
    found.trackTotal = 5;
    found.pieces = {{P::seconds(0), P::seconds(20), 3, "", ""}};
    ASSERT_TRUE(area->placePlan(0, found));
    EXPECT_EQ(area->segments().title(0), "Piece 3 of 5");
}

TEST_F(SegmentPlanTest, ListedFilesAreFoundByWhatTheirPathsAre)
{
    QTemporaryDir dir;
    QDir(dir.path()).mkdir("sub");
    testsupport::writeAll(dir.filePath("a.wav"), "x");
    QFile::link(dir.filePath("a.wav"), dir.filePath("sub/link.wav"));
    addEntry(10, "b.wav");
    addEntry(10, "a.wav");
    area->list().entry(1).path = dir.filePath("a.wav");
    EXPECT_EQ(area->rowOfFile(dir.filePath("sub/../a.wav")), 1);
    EXPECT_EQ(area->rowOfFile(dir.filePath("sub/link.wav")), 1);
    EXPECT_EQ(area->rowOfFile("/nowhere/b.wav"), 0) << "a file that is gone, by its path";
    EXPECT_EQ(area->rowOfFile(dir.filePath("c.wav")), -1);
}

TEST_F(SegmentPlanTest, APlayingRowGetsBackWhatItReadBefore)
{
    addEntry(100);
    area->list().entry(0).setConfirmedSegments({{1, 2}});
    click(0);
    SegmentList& rows = area->segments();
    rows.startPlaying(0);
    EXPECT_EQ(statuses(), (QStringList{"Playing", "Uncertain"}));
    rows.endPlaying(0);
    EXPECT_EQ(statuses(), (QStringList{"OK", "Uncertain"}));
    rows.startPlaying(1);
    rows.setStatus(1, SegmentStatus::Finished); // something else wrote meanwhile
    rows.endPlaying(1);
    EXPECT_EQ(statuses(), (QStringList{"OK", "Finish"})) << "only a row still playing is restored";
    rows.endPlaying(7); // no such row
}

// The rows stay with their file when the file list changes under them.
TEST_F(SegmentPlanTest, TheRowsFollowTheirFileThroughMovesAndRemovals)
{
    addEntry(100, "a.wav");
    addEntry(200, "b.wav");
    addEntry(300, "c.wav");
    area->list().entry(1).setConfirmedSegments({{5, 6}});
    click(1);
    const QStringList shown = ranges();
    area->MoveFileUp();
    EXPECT_EQ(area->segments().shownEntry(), 0);
    EXPECT_EQ(ranges(), shown) << "a move does not rebuild the list";
    area->list().select(2);
    area->MoveFileUp(); // b, c, a: the shown file is not one of the two
    EXPECT_EQ(area->segments().shownEntry(), 0);
    area->list().swapRows(0, 2); // a, c, b
    EXPECT_EQ(area->segments().shownEntry(), 2);
    area->list().removeAt(0);
    EXPECT_EQ(area->segments().shownEntry(), 1) << "a row above it went";
    EXPECT_EQ(ranges(), shown);
    area->list().removeAt(1);
    EXPECT_TRUE(area->segments().isEmpty()) << "its file is gone";
    EXPECT_EQ(area->segments().shownEntry(), -1);
}

TEST_F(SegmentPlanTest, TotalsOfManyLongFilesDoNotWrap)
{
    choose(1);
    JobList& list = area->list();
    for (int i = 0; i < 3000; ++i)
        addEntry(24 * 3600);
    list.entry(0).sampleCount = int64_t(24) * 3600 * 44100;
    EXPECT_EQ(area->totalLength(), int64_t(3000) * 24 * 3600);
    EXPECT_GT(list.entry(0).sampleCount, INT32_MAX);
    EXPECT_EQ(timecode::SliderMaximum(int64_t(24) * 3600 * 1000, 1084), 172800);
}

TEST_F(SegmentPlanTest, ClickingEmptySpaceAJobOrAPreviewKeepsTheirFile)
{
    for (int d : {10, 20, 30})
        addEntry(d);
    click(1);
    EXPECT_EQ(state.SelectedFileIndex(), 1);
    click(-1); // empty space
    EXPECT_EQ(area->list().selectedRow(), 1);
    EXPECT_EQ(ranges(), QStringList{"00:00:00 - 00:00:20"});

    setMode(SessionState::Mode::Running);
    click(2);
    EXPECT_EQ(area->list().selectedRow(), 1);
    EXPECT_EQ(ranges(), QStringList{"00:00:00 - 00:00:20"}) << "not rebuilt during a job";
    setMode(SessionState::Mode::Idle);

    setMode(SessionState::Mode::Previewing);
    state.setPreviewFileIndex(0);
    click(2);
    EXPECT_EQ(area->list().selectedRow(), 0);
    setMode(SessionState::Mode::Idle);

    state.setSelectedFileIndex(9); // beyond the last row
    click(-1);
    EXPECT_EQ(area->list().selectedRow(), 2);
    EXPECT_FALSE(state.SegmentSelected());
}

TEST_F(SegmentPlanTest, TheSliderIsSetUpForTheSelectedFile)
{
    addEntry(1000); // slider maximum 2000
    click(0);
    EXPECT_EQ(area->sliderRange(), 2000 - timecode::Scale(170, 2000, 1100));
    state.setSliderPosition(area->sliderRange() / 2);
    click(0);
    EXPECT_EQ(area->positionTimeText(), "00:08:20");
}

// ---- The segment editor ---------------------------------------------------

TEST_F(SegmentPlanTest, BeginEndAndOkMarkASegmentOfTheSelectedFile)
{
    choose(0);
    addEntry(240);
    click(0);
    slideTo(80, 240);
    area->SetSegmentBegin();
    EXPECT_EQ(ranges(), QStringList{"00:01:20 - 00:04:00"});
    EXPECT_EQ(lengths(), QStringList{"00:02:40"});
    slideTo(120, 240);
    area->SetSegmentEnd();
    EXPECT_EQ(ranges(), QStringList{"00:01:20 - 00:02:00"});
    area->ConfirmSegment();
    EXPECT_EQ(ranges(), (QStringList{"00:01:20 - 00:02:00", "00:00:00 - 00:04:00"}));
    EXPECT_EQ(statuses(), (QStringList{"Ok", "Uncertain"}));
    EXPECT_EQ(area->totalLengthText(), "00:00:40");
    EXPECT_EQ(area->list().entry(0).segments(), (QVector<Segment>{{80, 120}, {0, 240}}));
    click(0);
    EXPECT_EQ(statuses(), (QStringList{"OK", "Uncertain"})) << "a rebuild says OK";
    EXPECT_TRUE(prompts.informations.isEmpty());
}

TEST_F(SegmentPlanTest, OkRefusesAnOpenSegmentEndingBeforeItBegins)
{
    addEntry(240);
    click(0);
    slideTo(120, 240);
    area->SetSegmentBegin();
    slideTo(60, 240);
    area->SetSegmentEnd();
    EXPECT_EQ(lengths(), QStringList{"00:00:00"});
    EXPECT_EQ(area->totalLengthText(), "-00:01:00") << "the lone open segment counts as it is";
    area->ConfirmSegment();
    EXPECT_EQ(prompts.informations, QStringList{"Start-time must not be larger than end-time."});
    EXPECT_EQ(area->segments().count(), 1);
    area->SetSegmentEnd(); // at the same place as the begin: length 0 is fine
    slideTo(120, 240);
    area->SetSegmentEnd();
    area->ConfirmSegment();
    EXPECT_EQ(area->segments().count(), 2);
    EXPECT_EQ(lengths().first(), "00:00:00");
}

TEST_F(SegmentPlanTest, RemoveKeepsTheOpenSegmentAndTheOrderOfTheOthers)
{
    addEntry(100);
    area->list().entry(0).setConfirmedSegments({{1, 2}, {3, 4}, {5, 6}});
    click(0);
    area->segments().select(3);
    area->lv_timeClick();
    EXPECT_TRUE(state.SegmentSelected());
    area->RemoveSegment();
    EXPECT_EQ(prompts.informations,
              QStringList{"This item, the procedure will automatically process. Need not delete."});
    // While the preview plays the open segment its status reads otherwise.
    area->segments().setStatus(3, SegmentStatus::Playing);
    area->RemoveSegment();
    EXPECT_EQ(prompts.informations.size(), 2);
    EXPECT_EQ(area->segments().count(), 4);

    area->segments().select(1);
    area->lv_timeClick();
    area->RemoveSegment();
    EXPECT_EQ(area->list().entry(0).segments(), (QVector<Segment>{{1, 2}, {5, 6}, {0, 100}}));
    EXPECT_EQ(ranges(),
              (QStringList{"00:00:01 - 00:00:02", "00:00:05 - 00:00:06", "00:00:00 - 00:01:40"}));
    EXPECT_EQ(area->segments().selectedRow(), 1);
    EXPECT_EQ(area->totalLength(), 2);
}

TEST_F(SegmentPlanTest, AClickOnEmptySpaceSelectsTheRememberedSegmentRow)
{
    addEntry(100);
    area->list().entry(0).setConfirmedSegments({{1, 2}});
    click(0);
    area->lv_timeClick();
    EXPECT_EQ(area->segments().selectedRow(), 0);
    state.setSelectedSegmentIndex(5);
    area->segments().select(-1);
    area->lv_timeDblClick();
    EXPECT_EQ(area->segments().selectedRow(), 1);
    EXPECT_EQ(state.SelectedSegmentIndex(), 1);
}

TEST_F(SegmentPlanTest, ComputedChoicesRefuseTheEditor)
{
    choose(1);
    addEntry(100);
    click(0);
    area->SetSegmentBegin();
    area->SetSegmentEnd();
    area->ConfirmSegment();
    const QString only =
        "Only chose \"Custom\" or \"unification\" function, this button is usable.";
    EXPECT_EQ(prompts.informations, QStringList(3, only));
    area->segments().select(0);
    area->RemoveSegment();
    EXPECT_EQ(prompts.informations.size(), 3) << "Remove says nothing";
    EXPECT_EQ(area->segments().count(), 2);
    EXPECT_EQ(area->list().entry(0).segmentCount, 1);
}

TEST_F(SegmentPlanTest, UnificationEditsTheFirstFilesListInItsLength)
{
    choose(3);
    addEntry(200);
    addEntry(50);
    click(1);
    slideTo(100, 200);
    area->SetSegmentBegin();
    slideTo(150, 200);
    area->SetSegmentEnd();
    area->ConfirmSegment();
    EXPECT_EQ(area->list().entry(0).segments(), (QVector<Segment>{{100, 150}, {0, 200}}));
    EXPECT_EQ(area->list().entry(1).segments(), (QVector<Segment>{{0, 50}}));
    EXPECT_EQ(ranges().last(), "00:00:00 - 00:03:20");
    EXPECT_EQ(area->totalLength(), 50) << "the second file ends before 100 s";
}

TEST_F(SegmentPlanTest, TheEditorRebuildsRowsThatShowAnotherList)
{
    choose(1, 10);
    addEntry(100);
    click(0);
    ASSERT_EQ(area->segments().count(), 11);
    choose(0); // changed in the settings dialog, list not rebuilt
    area->segments().select(4);
    area->RemoveSegment();
    EXPECT_TRUE(prompts.informations.isEmpty());
    EXPECT_EQ(area->list().entry(0).segmentCount, 1);
    area->SetSegmentEnd();
    EXPECT_EQ(area->segments().count(), 1);
    EXPECT_EQ(area->list().entry(0).segmentCount, 1);
    area->ConfirmSegment();
    EXPECT_EQ(area->list().entry(0).segmentCount, 2);
    EXPECT_EQ(area->segments().count(), 2);
}

TEST_F(SegmentPlanTest, WithoutASelectedFileTheEditorDoesNothing)
{
    addEntry(100);
    area->SetSegmentBegin();
    area->ConfirmSegment();
    area->RemoveSegment();
    area->ShowSegmentPlan();
    EXPECT_TRUE(area->segments().isEmpty());
    EXPECT_EQ(area->list().entry(0).segmentCount, 1);
    EXPECT_TRUE(prompts.informations.isEmpty());
}

// A bound in whole seconds lands on the frame every job has always placed it
// on; milliseconds refine it; an exact frame is never rounded through time.
TEST(SegmentPoint, PlacesTimesLikeTheJobsAndKeepsExactFrames)
{
    const int64_t N = 529'200, L = 12'000; // 12 s at 44.1 kHz
    EXPECT_EQ(SegmentPoint::seconds(3).frameIn(N, L), timecode::Scale64(3000, N, L));
    EXPECT_EQ(SegmentPoint::seconds(3).frameIn(N, L), 132'300);
    EXPECT_EQ(SegmentPoint::milliseconds(1500).frameIn(N, L), 66'150);
    // An odd length: the time rounds half away from zero, the frame stays.
    EXPECT_EQ(SegmentPoint::milliseconds(1).frameIn(441, 10), 44);
    const SegmentPoint exact = SegmentPoint::frame(66'151, 44'100);
    EXPECT_EQ(exact.frameIn(N, L), 66'151);
    EXPECT_EQ(exact.ms(), 1500);
    EXPECT_FALSE(exact.isWholeSecond());
    EXPECT_TRUE(SegmentPoint::seconds(7).isWholeSecond());
    EXPECT_FALSE(SegmentPoint::milliseconds(7001).isWholeSecond());
    EXPECT_EQ(SegmentPoint::milliseconds(7999).wholeSeconds(), 7);
    EXPECT_NE(SegmentPoint::seconds(1), SegmentPoint::frame(44'100, 44'100));
}

// Labels stay with their segment through the record's edits, and the open
// segment (the user's own) never inherits one.
TEST(SegmentLabels, FollowTheirSegmentThroughRemovalConfirmationAndClearing)
{
    listrecord e;
    e.duration = 300;
    auto labelled = [](int track, const char* title) {
        SegmentLabel l;
        l.track = track;
        l.trackTotal = 3;
        l.title = title;
        return l;
    };
    e.setConfirmedSegments(
        {{SegmentPoint::seconds(0), SegmentPoint::seconds(60), labelled(1, "Intro")},
         {SegmentPoint::seconds(60), SegmentPoint::seconds(200), labelled(2, "Song")},
         {SegmentPoint::seconds(200), SegmentPoint::seconds(300), labelled(3, "Coda")}});
    ASSERT_EQ(e.usedSegments(), 4);
    EXPECT_TRUE(e.segment(3).label.isEmpty()) << "the open segment";
    e.removeSegment(0);
    EXPECT_EQ(e.segment(0).label.title, "Song");
    EXPECT_EQ(e.segment(1).label.title, "Coda");
    EXPECT_TRUE(e.segment(2).label.isEmpty());
    e.setOpenBound(true, SegmentPoint::seconds(10));
    e.confirmOpenSegment();
    EXPECT_TRUE(e.segment(2).label.isEmpty()) << "a hand-made segment";
    EXPECT_TRUE(e.segment(3).label.isEmpty());
    e.clearSegments();
    EXPECT_TRUE(e.segment(0).label.isEmpty());
    e.setConfirmedSegments({{SegmentPoint::seconds(1), SegmentPoint::seconds(2)}});
    EXPECT_TRUE(e.labels.isEmpty()) << "unlabelled segments keep no labels";
}

TEST(SegmentStatus, RendersTheFixedTexts)
{
    const std::pair<SegmentStatus, const char*> table[] = {
        {SegmentStatus::Confirmed, "OK"},          {SegmentStatus::JustConfirmed, "Ok"},
        {SegmentStatus::Open, "Uncertain"},        {SegmentStatus::Unconverted, "Unconvert"},
        {SegmentStatus::Converting, "Converting"}, {SegmentStatus::Finished, "Finish"},
        {SegmentStatus::Playing, "Playing"},
    };
    for (const auto& [status, text] : table)
        EXPECT_EQ(statusText(status), QString::fromLatin1(text));
}
