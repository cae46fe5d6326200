// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/MainSession.h"
#include "player/PreviewTesting.h"
#include "support/FakeSeams.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <QFileInfo>
#include <QTemporaryDir>

// The preview inside the session: the panel's transport reaches it through
// the real job list, and the job list and the jobs stop it before they use
// the reader it shares with them.
class PreviewSessionTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        previewtest::writeIndexedWav(dir.filePath("a.wav"), 120);
        previewtest::writeIndexedWav(dir.filePath("b.wav"), 30);
        session = std::make_unique<MainSession>(prompts, shell, dir.filePath("Vessimo.ini"),
                                                testsupport::sourceDir() + "/skin/vessimo.skin");
        session->FormShow(&window, {});
        session->options().outputDir = dir.path() + "/";
        form = session->skin().GetSkinnedWindow(&window);
        ASSERT_NE(form, nullptr);
        ASSERT_EQ(session->jobs().addFilePaths({dir.filePath("a.wav")}), 1);
        session->jobs().list().select(0);
        session->jobs().lvClick();
    }
    void click(const char* name) { session->Skin1Click(form->FindElement(name)); }
    Preview& preview() { return session->preview(); }

    QTemporaryDir dir;
    QObject window;
    RecordingPrompts prompts;
    RecordingShell shell;
    std::unique_ptr<MainSession> session;
    SkinnedWindow* form = nullptr;
};

TEST_F(PreviewSessionTest, PlayAndTheTwoStopsReachThePreviewThroughTheJobList)
{
    session->panel().pb().SetPosition(458);
    click("play");
    ASSERT_TRUE(session->state().PreviewActive()) << prompts.errors.join('\n').toStdString();
    EXPECT_EQ(session->state().PreviewFileIndex(), 0);
    EXPECT_EQ(session->state().PreviewStartSample(), 60 * previewtest::kRate);
    EXPECT_TRUE(session->AudioFileRead().IsOpen());
    click("stop");
    EXPECT_FALSE(session->state().PreviewActive());
    EXPECT_FALSE(session->AudioFileRead().IsOpen());
    EXPECT_EQ(session->panel().timecaption().GetText(), "00:00:00");

    // A segment of the file: its status cell reads "Playing" until the stop.
    session->jobs().list().entry(0).setConfirmedSegments({{10, 20}});
    session->jobs().lvClick();
    session->jobs().segments().select(0);
    session->jobs().lv_timeClick();
    const QString before = session->jobs().segments().status(0);
    click("play");
    ASSERT_TRUE(session->state().PreviewActive());
    EXPECT_TRUE(preview().playsSegment());
    EXPECT_EQ(session->jobs().segments().status(0), "Playing");
    click("Stop");
    EXPECT_FALSE(session->state().PreviewActive());
    EXPECT_EQ(session->jobs().segments().status(0), before);
    EXPECT_TRUE(prompts.errors.isEmpty()) << prompts.errors.join('\n').toStdString();
}

TEST_F(PreviewSessionTest, AddingFilesAndCuttingStopThePreviewFirst)
{
    click("play");
    ASSERT_TRUE(session->state().PreviewActive());
    session->jobs().addFilePaths({dir.filePath("b.wav")});
    EXPECT_FALSE(session->state().PreviewActive()) << "adding needs the shared reader";
    EXPECT_EQ(session->jobs().list().count(), 2);

    session->jobs().list().select(0);
    session->jobs().lvClick();
    click("play");
    ASSERT_TRUE(session->state().PreviewActive());
    session->options().functionChoice = 2;
    session->options().pieceCount = 2;
    session->jobPanel().setOutputFormat(1);
    click("Split");
    EXPECT_FALSE(session->state().PreviewActive()) << "the cut stopped the preview before it ran";
    EXPECT_EQ(shell.calls.size(), 1) << "and opened the output folder after it";
    EXPECT_TRUE(prompts.errors.isEmpty()) << prompts.errors.join('\n').toStdString();

    // During a job the play command does nothing.
    session->state().setMode(SessionState::Mode::Running);
    click("play");
    EXPECT_FALSE(session->state().PreviewActive());
}

// Adding pumps the window between files: a click on "play" that arrives then
// is refused with the other commands a job refuses, so no preview can start
// on the reader the next probe takes.
TEST_F(PreviewSessionTest, WhileFilesAreAddedPlayAndTheJobCommandsAreRefused)
{
    int pumps = 0;
    bool previewedDuringAdd = false;
    QObject::connect(&session->jobs(), &JobArea::pumpRequested, [&] {
        if (++pumps != 2)
            return;
        click("play");
        previewedDuringAdd = session->state().PreviewActive();
        click("Split");
        session->runCommand(Command::Play);
        previewedDuringAdd = previewedDuringAdd || session->state().PreviewActive();
    });
    session->jobs().addFilePaths(
        {dir.filePath("b.wav"), dir.filePath("a.wav"), dir.filePath("b.wav")});
    EXPECT_GE(pumps, 2);
    EXPECT_FALSE(previewedDuringAdd);
    EXPECT_FALSE(session->state().PreviewActive());
    EXPECT_FALSE(session->AudioFileRead().IsOpen());
    EXPECT_TRUE(shell.calls.isEmpty()) << "no cut ran";
    EXPECT_EQ(session->jobs().list().count(), 4);
    EXPECT_EQ(session->state().mode(), SessionState::Mode::Idle);

    click("play");
    EXPECT_TRUE(session->state().PreviewActive()) << "the next play works at once";
    EXPECT_TRUE(session->AudioFileRead().IsOpen());
    EXPECT_TRUE(prompts.errors.isEmpty()) << prompts.errors.join('\n').toStdString();
}

// A preview never plays a file that is no longer listed; removing another
// file leaves it playing the file it plays.
TEST_F(PreviewSessionTest, RemovingOrClearingThePreviewedFileStopsThePreview)
{
    ASSERT_EQ(session->jobs().addFilePaths({dir.filePath("b.wav")}), 1);
    JobList& list = session->jobs().list();
    list.select(1);
    session->jobs().lvClick();
    click("play");
    ASSERT_TRUE(session->state().PreviewActive());
    ASSERT_EQ(session->state().PreviewFileIndex(), 1);

    list.select(0);
    click("Remove");
    ASSERT_EQ(list.count(), 1);
    EXPECT_TRUE(session->state().PreviewActive()) << "another file went";
    EXPECT_EQ(session->state().PreviewFileIndex(), 0) << "the previewed file moved up";
    EXPECT_EQ(list.selectedRow(), 0);
    EXPECT_EQ(QFileInfo(list.entry(0).path).fileName(), "b.wav");

    click("Remove");
    EXPECT_TRUE(list.isEmpty());
    EXPECT_FALSE(session->state().PreviewActive()) << "its file left the list";
    EXPECT_FALSE(session->AudioFileRead().IsOpen());

    for (const Command clear : {Command::ClearSelection, Command::Clear}) {
        ASSERT_EQ(session->jobs().addFilePaths({dir.filePath("a.wav")}), 1);
        click("play");
        ASSERT_TRUE(session->state().PreviewActive());
        session->runCommand(clear);
        EXPECT_TRUE(list.isEmpty());
        EXPECT_FALSE(session->state().PreviewActive());
        EXPECT_FALSE(session->AudioFileRead().IsOpen());
    }
    EXPECT_TRUE(prompts.errors.isEmpty()) << prompts.errors.join('\n').toStdString();
}
