// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/MainSession.h"
#include "app/SkinCommands.h"
#include "support/FakeSeams.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <QTemporaryDir>

#include <map>
#include <memory>
#include <set>

namespace {

using Ops = std::vector<Operation>;

constexpr Operation kAll[] = {
    Operation::AddFiles,
    Operation::AddFolder,
    Operation::MoveFileUp,
    Operation::MoveFileDown,
    Operation::RemoveFile,
    Operation::RemoveSegment,
    Operation::ClearJobList,
    Operation::ClearSegments,
    Operation::ShowTotalLength,
    Operation::SetSegmentBegin,
    Operation::SetSegmentEnd,
    Operation::ConfirmSegment,
    Operation::Cut,
    Operation::Join,
    Operation::StopJob,
    Operation::OpenOutputFolder,
    Operation::PlaySelection,
    Operation::StopPreview,
    Operation::StepForward,
    Operation::StepBack,
    Operation::ShowSettings,
    Operation::ShowTagEditor,
    Operation::ChooseOutputFolder,
    Operation::OpenHelpFile,
    Operation::OpenHomePage,
    Operation::ShowAbout,
    Operation::CloseMainWindow,
    Operation::ImportCueSheet,
    Operation::UseChapters,
    Operation::FindSilences,
    Operation::PopUpFileMenu,
    Operation::PopUpActionMenu,
    Operation::PopUpHelpMenu,
};

struct Situation {
    bool running = false;
    bool previewing = false;
    bool segmentSelected = false;
    bool hasFiles = true;
    bool joinTargetChosen = true;
};

// The rules' questions answered from a situation the test sets.
class SituationContext : public CommandContext {
public:
    explicit SituationContext(const Situation& now) : m_now(now) {}
    SessionState::Mode mode() const override
    {
        return m_now.running      ? SessionState::Mode::Running
               : m_now.previewing ? SessionState::Mode::Previewing
                                  : SessionState::Mode::Idle;
    }
    bool previewActive() const override { return m_now.previewing; }
    bool segmentSelected() const override { return m_now.segmentSelected; }
    bool hasFiles() const override { return m_now.hasFiles; }

private:
    const Situation& m_now;
};

// Every operation records that it ran; the rules decide which ones do.
class DispatchTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        for (Operation op : kAll)
            commands.provide(op, [this, op] {
                ran.push_back(op);
                return op != Operation::Join || now.joinTargetChosen;
            });
    }
    Ops click(const QString& name, Situation situation)
    {
        now = situation;
        ran.clear();
        EXPECT_TRUE(commands.click(name)) << name.toStdString();
        return ran;
    }
    Ops choose(Menu menu, const QString& caption, Situation situation)
    {
        now = situation;
        ran.clear();
        for (const MenuItem& item : PopupMenuOf(menu).items)
            if (item.caption == caption) {
                commands.run(item.command);
                return ran;
            }
        ADD_FAILURE() << "no item " << caption.toStdString();
        return {};
    }

    Situation now;
    SituationContext context{now};
    SkinCommands commands{context};
    Ops ran;
};

const Situation idle;
const Situation running{true};
const Situation previewing{false, true};
const Situation segment{false, false, true};
const Situation previewingSegment{false, true, true};
const Situation previewDuringJob{true, true};

} // namespace

TEST_F(DispatchTest, EveryElementRunsItsCommandWhenIdleAndOnlyTheAllowedOnesDuringAJob)
{
    using O = Operation;
    const std::map<QString, std::pair<Ops, Ops>> expected{
        // name: {idle, running}
        {"file", {{O::PopUpFileMenu}, {}}},
        {"action", {{O::PopUpActionMenu}, {}}},
        {"Settings", {{O::ShowSettings}, {O::ShowSettings}}},
        {"Help", {{O::PopUpHelpMenu}, {O::PopUpHelpMenu}}},
        {"addfile", {{O::AddFiles}, {}}},
        {"Up", {{O::MoveFileUp}, {O::MoveFileUp}}},
        {"Down", {{O::MoveFileDown}, {O::MoveFileDown}}},
        {"Remove", {{O::RemoveFile, O::ShowTotalLength}, {}}},
        {"Clear", {{O::ClearJobList, O::ShowTotalLength}, {}}},
        {"Set", {{O::ShowSettings}, {O::ShowSettings}}},
        {"play", {{O::PlaySelection}, {}}},
        {"stop", {{}, {}}},
        {"hou", {{O::StepBack}, {}}},
        {"qian", {{O::StepForward}, {}}},
        {"Split", {{O::Cut, O::OpenOutputFolder}, {}}},
        {"Join", {{O::Join, O::OpenOutputFolder}, {}}},
        {"Begin", {{O::SetSegmentBegin}, {}}},
        {"End", {{O::SetSegmentEnd}, {}}},
        {"Ok", {{O::ConfirmSegment}, {}}},
        {"Stop", {{}, {O::StopJob}}},
        {"helpfile", {{O::OpenHelpFile}, {O::OpenHelpFile}}},
        // The output folder waits for a running job: its pieces keep their folder.
        {"dir", {{O::ChooseOutputFolder}, {}}},
    };
    ASSERT_EQ(expected.size(), ElementCommands().size());
    for (const auto& row : ElementCommands()) {
        const auto it = expected.find(row.name);
        ASSERT_NE(it, expected.end()) << "unexpected element " << row.name.toStdString();
        EXPECT_EQ(click(row.name, idle), it->second.first) << row.name.toStdString();
        EXPECT_EQ(click(row.name, running), it->second.second) << row.name.toStdString();
    }
}

TEST_F(DispatchTest, WhilePreviewingTheStopsDifferAndTheRestActsAsWhenIdle)
{
    EXPECT_EQ(click("stop", previewing), Ops{Operation::StopPreview});
    EXPECT_EQ(click("Stop", previewing), Ops{Operation::StopPreview});
    EXPECT_EQ(click("stop", previewDuringJob), Ops{Operation::StopPreview})
        << "the small stop leaves the job running";
    EXPECT_EQ(click("Stop", previewDuringJob), (Ops{Operation::StopPreview, Operation::StopJob}));
    EXPECT_EQ(click("play", previewing), Ops{Operation::PlaySelection})
        << "the preview itself ignores a second play";
    EXPECT_EQ(click("qian", previewing), Ops{Operation::StepForward});
    EXPECT_EQ(click("Remove", previewingSegment),
              (Ops{Operation::RemoveSegment, Operation::ShowTotalLength}));
    for (const auto& menu : PopupMenus()) {
        for (const MenuItem& item : menu.items) {
            if (item.caption == "Stop") {
                EXPECT_EQ(choose(menu.id, "Stop", previewDuringJob),
                          (Ops{Operation::StopPreview, Operation::StopJob}));
            }
        }
    }
}

TEST_F(DispatchTest, LikeCommandsDifferAsDescribed)
{
    // With a segment selected the element removes it; the menus remove files only.
    EXPECT_EQ(click("Remove", segment),
              (Ops{Operation::RemoveSegment, Operation::ShowTotalLength}));
    EXPECT_EQ(choose(Menu::p_lv, "Remove", segment), Ops{});
    EXPECT_EQ(choose(Menu::p_file, "Remove", segment), Ops{});
    EXPECT_EQ(choose(Menu::p_action, "Remove", segment), Ops{});
    EXPECT_EQ(choose(Menu::p_action, "Remove", idle), Ops{Operation::RemoveFile});
    // Clear: the segments when one is selected; only the element shows the total.
    EXPECT_EQ(click("Clear", segment), (Ops{Operation::ClearSegments, Operation::ShowTotalLength}));
    EXPECT_EQ(choose(Menu::p_lv, "Clear", segment), Ops{Operation::ClearSegments});
    EXPECT_EQ(choose(Menu::p_action, "Clear", idle), Ops{Operation::ClearJobList});
    // "Cutter" cuts; "Split" cuts and then opens the output folder.
    EXPECT_EQ(choose(Menu::p_action, "Cutter", idle), Ops{Operation::Cut});
    EXPECT_EQ(click("Split", idle), (Ops{Operation::Cut, Operation::OpenOutputFolder}));
    // Without files neither cuts, and no folder opens.
    Situation empty;
    empty.hasFiles = false;
    EXPECT_EQ(click("Split", empty), Ops{});
    EXPECT_EQ(choose(Menu::p_action, "Cutter", empty), Ops{});
    // Chapters and silences are a listed file's; a cue sheet brings its own.
    EXPECT_EQ(choose(Menu::p_lv, "Use chapters", empty), Ops{});
    EXPECT_EQ(choose(Menu::p_lv, "Find silences…", empty), Ops{});
    EXPECT_EQ(choose(Menu::p_lv, "Import cue sheet…", empty), Ops{Operation::ImportCueSheet});
    // They change the rows a preview shows, so it stops first.
    EXPECT_EQ(choose(Menu::p_action, "Find silences…", previewing),
              (Ops{Operation::StopPreview, Operation::FindSilences}));
    // A join whose target dialog is cancelled opens no folder.
    Situation cancelled;
    cancelled.joinTargetChosen = false;
    EXPECT_EQ(click("Join", cancelled), Ops{Operation::Join});
}

TEST_F(DispatchTest, EveryMenuItemRunsItsCommandWithTheRunningRules)
{
    using O = Operation;
    struct Row {
        Menu menu;
        const char* caption;
        Ops idle;
        Ops running;
    };
    const std::vector<Row> rows{
        {Menu::p_lv, "Add File", {O::AddFiles}, {}},
        {Menu::p_lv, "Add Path", {O::AddFolder}, {}},
        {Menu::p_lv, "Clear", {O::ClearJobList}, {}},
        {Menu::p_lv, "Remove", {O::RemoveFile}, {}},
        {Menu::p_lv, "ID3 info", {O::ShowTagEditor}, {O::ShowTagEditor}},
        {Menu::p_lv, "Import cue sheet…", {O::ImportCueSheet}, {}},
        {Menu::p_lv, "Use chapters", {O::UseChapters}, {}},
        {Menu::p_lv, "Find silences…", {O::FindSilences}, {}},
        {Menu::p_lv, "UP", {O::MoveFileUp}, {O::MoveFileUp}},
        {Menu::p_lv, "Down", {O::MoveFileDown}, {O::MoveFileDown}},
        {Menu::p_lv, "Stop", {}, {O::StopJob}},
        {Menu::p_file, "Add File", {O::AddFiles}, {}},
        {Menu::p_file, "Add Folder", {O::AddFolder}, {}},
        {Menu::p_file, "Remove", {O::RemoveFile}, {}},
        {Menu::p_file, "Exit", {O::CloseMainWindow}, {O::CloseMainWindow}},
        {Menu::p_action, "File Up", {O::MoveFileUp}, {O::MoveFileUp}},
        {Menu::p_action, "File Down", {O::MoveFileDown}, {O::MoveFileDown}},
        {Menu::p_action, "Remove", {O::RemoveFile}, {}},
        {Menu::p_action, "Clear", {O::ClearJobList}, {}},
        {Menu::p_action, "ID3 info", {O::ShowTagEditor}, {O::ShowTagEditor}},
        {Menu::p_action, "Import cue sheet…", {O::ImportCueSheet}, {}},
        {Menu::p_action, "Use chapters", {O::UseChapters}, {}},
        {Menu::p_action, "Find silences…", {O::FindSilences}, {}},
        {Menu::p_action, "Cutter", {O::Cut}, {}},
        {Menu::p_action, "Stop", {}, {O::StopJob}},
        {Menu::p_help, "Content", {O::OpenHelpFile}, {O::OpenHelpFile}},
        {Menu::p_help, "HomePage", {O::OpenHomePage}, {O::OpenHomePage}},
        {Menu::p_help, "About", {O::ShowAbout}, {O::ShowAbout}},
    };
    size_t items = 0;
    for (const auto& menu : PopupMenus())
        for (const MenuItem& item : menu.items)
            items += item.isSeparator() ? 0 : 1;
    ASSERT_EQ(items, rows.size());
    for (const Row& row : rows) {
        EXPECT_EQ(choose(row.menu, row.caption, idle), row.idle) << row.caption;
        EXPECT_EQ(choose(row.menu, row.caption, running), row.running) << row.caption;
    }
}

TEST_F(DispatchTest, TheMenusHaveTheirCaptionsPicturesAndSeparatorsInOrder)
{
    auto layout = [](Menu id) {
        QStringList out;
        for (const MenuItem& item : PopupMenuOf(id).items)
            out << (item.isSeparator() ? QString("-")
                                       : item.caption + "/" + QString::number(item.icon));
        return out.join(' ');
    };
    EXPECT_EQ(layout(Menu::p_lv),
              "Add File/0 Add Path/1 - Clear/9 Remove/2 - ID3 info/10 - Import cue sheet…/-1 "
              "Use chapters/-1 Find silences…/-1 - UP/11 Down/12 - Stop/13");
    EXPECT_EQ(layout(Menu::p_file), "Add File/0 Add Folder/1 - Remove/2 - Exit/3");
    EXPECT_EQ(layout(Menu::p_action),
              "File Up/11 File Down/12 - Remove/2 Clear/9 - ID3 info/10 - Import cue sheet…/-1 "
              "Use chapters/-1 Find silences…/-1 - Cutter/14 Stop/13");
    EXPECT_EQ(layout(Menu::p_help), "Content/8 - HomePage/7 - About/6");
    EXPECT_EQ(PopupMenuOf(Menu::p_file).at, QPoint(179, 32));
    EXPECT_EQ(PopupMenuOf(Menu::p_action).at, QPoint(211, 32));
    EXPECT_EQ(PopupMenuOf(Menu::p_help).at, QPoint(383, 32));
}

TEST_F(DispatchTest, UnknownNamesAndAnOperationNobodyProvidesDoNothing)
{
    EXPECT_FALSE(commands.click("pb"));
    EXPECT_FALSE(commands.click("SPLIT"));
    EXPECT_FALSE(commands.click(""));
    SkinCommands bare(context);
    EXPECT_TRUE(bare.click("Split")) << "a known name with nothing behind it is harmless";
}

// The session's own wiring: the transport elements reach the preview, the
// big stop reaches the job as well, and every skin element with a name in
// the table exists on the panel.
TEST(DispatchSessionTest, TheSessionWiresStopAndTheSkinOffersEveryElement)
{
    QTemporaryDir dir;
    RecordingPrompts prompts;
    RecordingShell shell;
    QObject window;
    MainSession session(prompts, shell, dir.filePath("Vessimo.ini"),
                        testsupport::sourceDir() + "/skin/vessimo.skin");
    session.FormShow(&window, {});
    SkinnedWindow* form = session.skin().GetSkinnedWindow(&window);
    ASSERT_NE(form, nullptr);
    for (const auto& row : ElementCommands())
        EXPECT_NE(form->FindElement(row.name), nullptr) << row.name.toStdString();

    session.state().setMode(SessionState::Mode::Running);
    session.panel().SetConversionBar(4000, false);
    session.Skin1Click(form->FindElement("stop"));
    EXPECT_TRUE(session.state().JobRunning()) << "the small stop leaves the job alone";
    session.Skin1Click(form->FindElement("Stop"));
    EXPECT_FALSE(session.state().JobRunning());
    EXPECT_EQ(session.panel().convertpb().GetBounds().width(), 0);

    session.Skin1Click(form->FindElement("Settings"));
    session.Skin1Click(form->FindElement("Set"));
    session.runCommand(Command::TagEditor);
    EXPECT_TRUE(prompts.errors.isEmpty());
}
