// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/SkinCommands.h"

#include <algorithm>
#include <stdexcept>

namespace {

QString s(const char* text)
{
    return QString::fromLatin1(text);
}

MenuItem separator()
{
    return {s("-"), -1, Command::StopAll};
}

} // namespace

const std::vector<ElementCommand>& ElementCommands()
{
    static const std::vector<ElementCommand> table{
        {s("file"), Command::FileMenu},
        {s("action"), Command::ActionMenu},
        {s("Settings"), Command::Settings},
        {s("Help"), Command::HelpMenu},
        {s("addfile"), Command::AddFiles},
        {s("Up"), Command::MoveUp},
        {s("Down"), Command::MoveDown},
        {s("Remove"), Command::RemoveSelection},
        {s("Clear"), Command::ClearSelection},
        {s("Set"), Command::Settings},
        {s("play"), Command::Play},
        {s("stop"), Command::StopPreview},
        {s("hou"), Command::StepBack},
        {s("qian"), Command::StepForward},
        {s("Split"), Command::Split},
        {s("Join"), Command::Join},
        {s("Begin"), Command::Begin},
        {s("End"), Command::End},
        {s("Ok"), Command::Ok},
        {s("Stop"), Command::StopAll},
        {s("helpfile"), Command::HelpFile},
        {s("dir"), Command::OutputFolder},
    };
    return table;
}

const Command* CommandOfElement(const QString& name)
{
    const auto& table = ElementCommands();
    const auto it = std::find_if(table.begin(), table.end(),
                                 [&](const ElementCommand& row) { return row.name == name; });
    return it == table.end() ? nullptr : &it->command;
}

const std::vector<PopupMenu>& PopupMenus()
{
    static const std::vector<PopupMenu> menus{
        {Menu::p_lv,
         s("p_lv"),
         {},
         {
             {s("Add File"), 0, Command::AddFiles},
             {s("Add Path"), 1, Command::AddFolder},
             separator(),
             {s("Clear"), 9, Command::Clear},
             {s("Remove"), 2, Command::RemoveFile},
             separator(),
             {s("ID3 info"), 10, Command::TagEditor},
             separator(),
             {QStringLiteral("Import cue sheet…"), -1, Command::ImportCueSheet},
             {s("Use chapters"), -1, Command::UseChapters},
             {QStringLiteral("Find silences…"), -1, Command::FindSilences},
             separator(),
             {s("UP"), 11, Command::MoveUp},
             {s("Down"), 12, Command::MoveDown},
             separator(),
             {s("Stop"), 13, Command::StopAll},
         }},
        {Menu::p_file,
         s("p_file"),
         {179, 32},
         {
             {s("Add File"), 0, Command::AddFiles},
             {s("Add Folder"), 1, Command::AddFolder},
             separator(),
             {s("Remove"), 2, Command::RemoveFile},
             separator(),
             {s("Exit"), 3, Command::Exit},
         }},
        {Menu::p_action,
         s("p_action"),
         {211, 32},
         {
             {s("File Up"), 11, Command::MoveUp},
             {s("File Down"), 12, Command::MoveDown},
             separator(),
             {s("Remove"), 2, Command::RemoveFile},
             {s("Clear"), 9, Command::Clear},
             separator(),
             {s("ID3 info"), 10, Command::TagEditor},
             separator(),
             {QStringLiteral("Import cue sheet…"), -1, Command::ImportCueSheet},
             {s("Use chapters"), -1, Command::UseChapters},
             {QStringLiteral("Find silences…"), -1, Command::FindSilences},
             separator(),
             {s("Cutter"), 14, Command::Cut},
             {s("Stop"), 13, Command::StopAll},
         }},
        {Menu::p_help,
         s("p_help"),
         {383, 32},
         {
             {s("Content"), 8, Command::HelpFile},
             separator(),
             {s("HomePage"), 7, Command::HomePage},
             separator(),
             {s("About"), 6, Command::About},
         }},
    };
    return menus;
}

const PopupMenu& PopupMenuOf(Menu id)
{
    const auto& menus = PopupMenus();
    return *std::find_if(menus.begin(), menus.end(),
                         [&](const PopupMenu& menu) { return menu.id == id; });
}

const std::vector<CommandRow>& CommandTable()
{
    using M = SessionState::Mode;
    using W = CommandStep::When;
    using O = Operation;
    // "Unless running" in the description: also while files are being
    // added, which uses the reader and the job list as a job does.
    const std::vector<M> free{M::Idle, M::Previewing};
    const std::vector<M> any{M::Idle, M::Previewing, M::Running, M::Adding};
    static const std::vector<CommandRow> table{
        {Command::AddFiles, free, false, {{O::AddFiles}}},
        {Command::AddFolder, free, false, {{O::AddFolder}}},
        // The moves test JobRunning themselves.
        {Command::MoveUp, any, false, {{O::MoveFileUp}}},
        {Command::MoveDown, any, false, {{O::MoveFileDown}}},
        // The menus remove files only; with a segment selected they do nothing.
        {Command::RemoveFile, free, false, {{O::RemoveFile, W::FileSelected}}},
        {Command::Clear,
         free,
         false,
         {{O::ClearSegments, W::SegmentSelected}, {O::ClearJobList, W::FileSelected}}},
        {Command::TagEditor, any, false, {{O::ShowTagEditor}}},
        {Command::StopAll, any, false, {{O::StopPreview, W::Previewing}, {O::StopJob, W::Running}}},
        {Command::Exit, any, false, {{O::CloseMainWindow}}},
        // The jobs share the reader with the preview, which stops first.
        {Command::Cut, free, true, {{O::StopPreview, W::Previewing}, {O::Cut}}},
        {Command::HelpFile, any, false, {{O::OpenHelpFile}}},
        {Command::HomePage, any, false, {{O::OpenHomePage}}},
        {Command::About, any, false, {{O::ShowAbout}}},
        // They change a file's segment list, as the editor does; the preview
        // stops, so that the new pieces are shown at once.
        {Command::ImportCueSheet,
         free,
         false,
         {{O::StopPreview, W::Previewing}, {O::ImportCueSheet}}},
        {Command::UseChapters, free, true, {{O::StopPreview, W::Previewing}, {O::UseChapters}}},
        {Command::FindSilences, free, true, {{O::StopPreview, W::Previewing}, {O::FindSilences}}},
        {Command::FileMenu, free, false, {{O::PopUpFileMenu}}},
        {Command::ActionMenu, free, false, {{O::PopUpActionMenu}}},
        {Command::HelpMenu, any, false, {{O::PopUpHelpMenu}}},
        // Both settings elements open it, also while a job runs.
        {Command::Settings, any, false, {{O::ShowSettings}}},
        {Command::RemoveSelection,
         free,
         false,
         {{O::RemoveSegment, W::SegmentSelected},
          {O::RemoveFile, W::FileSelected},
          {O::ShowTotalLength}}},
        {Command::ClearSelection,
         free,
         false,
         {{O::ClearSegments, W::SegmentSelected},
          {O::ClearJobList, W::FileSelected},
          {O::ShowTotalLength}}},
        {Command::Play, free, false, {{O::PlaySelection}}},
        // Only the preview; a running job goes on.
        {Command::StopPreview, any, false, {{O::StopPreview, W::Previewing}}},
        {Command::StepBack, free, false, {{O::StepBack}}},
        {Command::StepForward, free, false, {{O::StepForward}}},
        // Opens the output folder afterwards, whether the cut finished or was
        // stopped; the menu's cut does not.
        {Command::Split,
         free,
         true,
         {{O::StopPreview, W::Previewing}, {O::Cut}, {O::OpenOutputFolder, W::Done}}},
        {Command::Join,
         free,
         false,
         {{O::StopPreview, W::Previewing}, {O::Join}, {O::OpenOutputFolder, W::Done}}},
        {Command::Begin, free, false, {{O::SetSegmentBegin}}},
        {Command::End, free, false, {{O::SetSegmentEnd}}},
        {Command::Ok, free, false, {{O::ConfirmSegment}}},
        // The pieces of a running job go to the folder it began with; the
        // folder waits for its end, so that the box never shows another.
        {Command::OutputFolder, free, false, {{O::ChooseOutputFolder}}},
    };
    return table;
}

const CommandRow& CommandRowOf(Command command)
{
    const auto& table = CommandTable();
    const auto it = std::find_if(table.begin(), table.end(),
                                 [&](const CommandRow& row) { return row.command == command; });
    if (it == table.end())
        throw std::logic_error("a command without a row in the command table");
    return *it;
}

bool SkinCommands::call(Operation operation)
{
    const auto it = m_operations.find(operation);
    if (it == m_operations.end())
        return false;
    if (onOperation)
        onOperation(operation);
    // A copy: the operation may provide operations anew while it runs.
    const auto run = it->second;
    return run();
}

bool SkinCommands::click(const QString& elementName)
{
    const Command* command = CommandOfElement(elementName);
    if (!command)
        return false;
    run(*command);
    return true;
}

bool SkinCommands::allowed(const CommandRow& row) const
{
    const SessionState::Mode mode = m_context.mode();
    if (std::find(row.modes.begin(), row.modes.end(), mode) == row.modes.end())
        return false;
    return !row.needsFiles || m_context.hasFiles();
}

bool SkinCommands::run(Command command)
{
    const CommandRow& row = CommandRowOf(command);
    if (!allowed(row))
        return false;
    // The conditions are asked once, before the first step: a step changes
    // what a later one would find (clearing the segments selects the file
    // list, and must not go on to clear the job list).
    const bool segment = m_context.segmentSelected();
    const bool previewing = m_context.previewActive();
    const bool running = m_context.mode() == SessionState::Mode::Running;
    bool done = false;
    for (const CommandStep& step : row.steps) {
        bool applies = true;
        switch (step.when) {
        case CommandStep::When::Always:
            break;
        case CommandStep::When::SegmentSelected:
            applies = segment;
            break;
        case CommandStep::When::FileSelected:
            applies = !segment;
            break;
        case CommandStep::When::Previewing:
            applies = previewing;
            break;
        case CommandStep::When::Running:
            applies = running;
            break;
        case CommandStep::When::Done:
            applies = done;
            break;
        }
        if (applies)
            done = call(step.operation);
        else if (step.when == CommandStep::When::Done)
            done = false;
    }
    return done;
}
