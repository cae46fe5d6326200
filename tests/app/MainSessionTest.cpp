// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/MainSession.h"
#include "support/FakeSeams.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <vector>

#include <QDir>
#include <QTemporaryDir>

namespace {

class MainSessionTest : public ::testing::Test {
protected:
    QString iniPath() const { return dir.filePath("Vessimo.ini"); }
    std::unique_ptr<MainSession> start()
    {
        auto s = std::make_unique<MainSession>(prompts, shell, iniPath(),
                                               testsupport::sourceDir() + "/skin/vessimo.skin");
        s->FormShow(&window, [this](const QString& d) { shownDir << d; });
        return s;
    }
    QString ini() const { return QString::fromUtf8(testsupport::readAll(iniPath())); }

    QTemporaryDir dir;
    QObject window;
    RecordingPrompts prompts;
    RecordingShell shell;
    QStringList shownDir;
};

} // namespace

TEST_F(MainSessionTest, FirstRunShowsTheDefaultFolderAndClosingWritesTheNineKeys)
{
    auto session = start();
    EXPECT_EQ(shownDir, QStringList{Options::defaultOutputDir()});
    EXPECT_FALSE(QFile::exists(iniPath())) << "showing writes nothing";
    session->FormCloseQuery();
    EXPECT_EQ(ini(), "[Function]\nChoice=0\n\n"
                     "[Output]\nDir=" +
                         Options::defaultOutputDir() +
                         "\n\n"
                         "[Choice]\ntime=60\nCount=6\n\n"
                         "[Fade]\nIn=0\nOut=0\nIntime=5\nOuttime=5\n\n"
                         "[VSM]\nSkin=0\n");
    EXPECT_TRUE(prompts.errors.isEmpty());
}

TEST_F(MainSessionTest, ChangedOptionsSurviveARestart)
{
    {
        auto session = start();
        session->options().pieceSeconds = 42;
        session->options().fadeOut = true;
        session->options().outputDir = "/srv/music/";
        session->FormCloseQuery();
    }
    shownDir.clear();
    auto again = start();
    EXPECT_EQ(again->options().pieceSeconds, 42);
    EXPECT_TRUE(again->options().fadeOut);
    EXPECT_EQ(shownDir, QStringList{"/srv/music/"});
}

TEST_F(MainSessionTest, ShowingResetsTheSharedStateAndTheSlider)
{
    MainSession session(prompts, shell, iniPath(), testsupport::sourceDir() + "/skin/vessimo.skin");
    // A job and a preview never run together; the job is the stronger flag.
    session.state().setMode(SessionState::Mode::Running);
    session.state().setSliderDragging(true);
    session.state().setSegmentSelected(true);
    session.state().setSelectedSegmentIndex(7);
    session.FormShow(&window, {});
    EXPECT_FALSE(session.state().JobRunning());
    EXPECT_FALSE(session.state().PreviewActive());
    EXPECT_FALSE(session.state().SliderDragging());
    EXPECT_FALSE(session.state().SegmentSelected());
    EXPECT_EQ(session.state().SelectedSegmentIndex(), 0);
    EXPECT_EQ(session.panel().pb().GetPosition(), 0);
    EXPECT_NE(session.skin().GetSkinnedWindow(&window), nullptr);
}

TEST_F(MainSessionTest, ShowingSwitchesTheReaderAndWriterOn)
{
    MainSession session(prompts, shell, iniPath(), testsupport::sourceDir() + "/skin/vessimo.skin");
    EXPECT_FALSE(session.AudioFileRead().IsEnabled());
    EXPECT_FALSE(session.AudioFile2write().IsEnabled());
    session.FormShow(&window, {});
    EXPECT_TRUE(session.AudioFileRead().IsEnabled());
    EXPECT_TRUE(session.AudioFile2write().IsEnabled());
}

TEST_F(MainSessionTest, ClosingDuringAJobStopsItAndStillSaves)
{
    auto session = start();
    session->state().setMode(SessionState::Mode::Running);
    session->panel().SetConversionBar(5000, false);
    session->FormCloseQuery();
    EXPECT_FALSE(session->state().JobRunning());
    EXPECT_EQ(session->panel().convertpb().GetBounds().width(), 0);
    EXPECT_TRUE(ini().contains("[VSM]\nSkin=0\n"));
}

TEST_F(MainSessionTest, ARefusedWriteIsShownAndTheCloseGoesOn)
{
    // A folder where the options file should be: the write is refused even for root.
    ASSERT_TRUE(QDir(dir.path()).mkdir("Vessimo.ini"));
    auto session = start();
    EXPECT_NO_THROW(session->FormCloseQuery());
    ASSERT_EQ(prompts.errors.size(), 1);
    EXPECT_EQ(prompts.errors[0], "Unable to write to " + iniPath());
}

TEST_F(MainSessionTest, ClicksRunTheCommandOfTheExactElementName)
{
    auto session = start();
    SkinnedWindow* form = session->skin().GetSkinnedWindow(&window);
    ASSERT_NE(form, nullptr);

    session->Skin1Click(form->FindElement("helpfile"));
    ASSERT_EQ(shell.calls.size(), 1);
    EXPECT_TRUE(shell.calls[0].startsWith("help:"));
    EXPECT_TRUE(shell.calls[0].endsWith("/help/index.html"));

    session->Skin1Click(form->FindElement("dir"));
    EXPECT_EQ(prompts.folderCaptions, QStringList{"Output Directory"});

    // Elements without a command do nothing; names are exact.
    for (const char* name : {"Split", "play", "pb", "tataltime"})
        session->Skin1Click(form->FindElement(name));
    EXPECT_EQ(CommandOfElement("Dir"), nullptr);
    EXPECT_FALSE(session->commands().click("Dir"));
    EXPECT_EQ(shell.calls.size(), 1);
    EXPECT_EQ(prompts.folderCaptions.size(), 1);
}

TEST_F(MainSessionTest, AFailingCommandEndsInTheErrorBox)
{
    auto session = start();
    session->commands().provide(Operation::Join,
                                [] { throw std::runtime_error("Cannot open the file"); });
    SkinnedWindow* form = session->skin().GetSkinnedWindow(&window);
    EXPECT_NO_THROW(session->Skin1Click(form->FindElement("Join")));
    EXPECT_EQ(prompts.errors, QStringList{"Cannot open the file"});

    // Not only the failures the program expects stay on this side of the event loop.
    session->commands().provide(Operation::SetSegmentBegin, [] { (void)std::vector<int>().at(3); });
    EXPECT_NO_THROW(session->Skin1Click(form->FindElement("Begin")));
    EXPECT_EQ(prompts.errors.size(), 2);
}

namespace {

// Rows filled directly: the commands' choices need no audio.
void addRows(MainSession& session, std::initializer_list<int> durations)
{
    JobList& list = session.jobs().list();
    for (int d : durations) {
        const int row = list.append(QString("f%1.wav").arg(d));
        list.entry(row).duration = d;
        list.entry(row).endTimes = {SegmentPoint::seconds(d)};
        list.entry(row).sliderMaximum = 1084;
    }
    list.select(0);
    session.jobs().lvClick();
}

} // namespace

TEST_F(MainSessionTest, RemoveAndClearActOnTheListClickedLast)
{
    auto session = start();
    SkinnedWindow* form = session->skin().GetSkinnedWindow(&window);
    const auto click = [&](const char* name) { session->Skin1Click(form->FindElement(name)); };
    addRows(*session, {100, 200, 300});
    session->jobs().list().entry(0).setConfirmedSegments({{1, 2}, {3, 4}});
    session->jobs().lvClick();

    session->jobs().segments().select(0);
    session->jobs().lv_timeClick();
    session->runCommand(Command::RemoveFile); // the menus remove files only
    EXPECT_EQ(session->jobs().list().count(), 3);
    EXPECT_EQ(session->jobs().segments().count(), 3);
    click("Remove"); // the panel removes the segment
    EXPECT_EQ(session->jobs().list().count(), 3);
    EXPECT_EQ(session->jobs().list().entry(0).segmentCount, 2);
    click("Clear"); // the file's segments
    EXPECT_EQ(session->jobs().list().entry(0).segmentCount, 1);
    EXPECT_EQ(session->jobs().list().count(), 3);

    session->jobs().lvClick(); // back to the file list
    click("Remove");
    EXPECT_EQ(session->jobs().list().count(), 2);
    EXPECT_EQ(session->panel().tataltime().GetText(), "00:08:20");
    session->runCommand(Command::Clear);
    EXPECT_TRUE(session->jobs().list().isEmpty());
    EXPECT_EQ(session->panel().tataltime().GetText(), "00:00:00");
}

TEST_F(MainSessionTest, DuringAJobTheListCommandsDoNothingAndStopEndsIt)
{
    auto session = start();
    SkinnedWindow* form = session->skin().GetSkinnedWindow(&window);
    addRows(*session, {100, 200});
    session->state().setMode(SessionState::Mode::Running);
    session->jobs().list().select(1);
    for (const char* name : {"addfile", "Up", "Down", "Remove", "Clear", "Begin", "End", "Ok"})
        session->Skin1Click(form->FindElement(name));
    for (Command command : {Command::AddFiles, Command::AddFolder, Command::MoveUp,
                            Command::RemoveFile, Command::Clear})
        session->runCommand(command);
    EXPECT_EQ(session->jobs().list().caption(1), "f200.wav");
    EXPECT_EQ(session->jobs().list().count(), 2);
    EXPECT_EQ(session->jobs().list().entry(0).segmentCount, 1);
    EXPECT_TRUE(prompts.folderCaptions.isEmpty());

    // A preview never plays during a job: the two stops are seen one by one.
    session->Skin1Click(form->FindElement("Stop"));
    EXPECT_FALSE(session->state().JobRunning());
    session->state().setMode(SessionState::Mode::Previewing);
    session->Skin1Click(form->FindElement("Stop"));
    EXPECT_FALSE(session->state().PreviewActive());
    session->Skin1Click(form->FindElement("Up"));
    EXPECT_EQ(session->jobs().list().caption(0), "f200.wav");
}

TEST_F(MainSessionTest, TheSliderOfThePanelGivesTheSegmentTimes)
{
    auto session = start();
    SkinnedWindow* form = session->skin().GetSkinnedWindow(&window);
    addRows(*session, {240});
    SkinScroller& pb = session->panel().pb();
    EXPECT_EQ(pb.GetMax(), 1084);
    EXPECT_EQ(pb.GetThumbSize(), 168);
    pb.SetPosition(458); // half of the travel
    session->Skin1Click(form->FindElement("Begin"));
    EXPECT_EQ(session->state().SliderPosition(), 458);
    EXPECT_EQ(session->jobs().segments().range(0), "00:02:00 - 00:04:00");
    EXPECT_EQ(session->panel().tataltime().GetText(), "00:02:00");
    session->options().functionChoice = 2;
    session->Skin1Click(form->FindElement("Ok"));
    EXPECT_EQ(
        prompts.informations,
        QStringList{"Only chose \"Custom\" or \"unification\" function, this button is usable."});
}
