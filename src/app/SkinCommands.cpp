#include "app/SkinCommands.h"

#include <algorithm>

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

void SkinCommands::run(Command command)
{
    switch (command) {
    case Command::AddFiles:
        if (!running())
            call(Operation::AddFiles);
        break;
    case Command::AddFolder:
        if (!running())
            call(Operation::AddFolder);
        break;
    case Command::MoveUp:
        call(Operation::MoveFileUp);
        break;
    case Command::MoveDown:
        call(Operation::MoveFileDown);
        break;
    case Command::RemoveFile:
        // The menus remove files only; with a segment selected they do nothing.
        if (!running() && !segmentSelected())
            call(Operation::RemoveFile);
        break;
    case Command::Clear:
        if (!running())
            call(segmentSelected() ? Operation::ClearSegments : Operation::ClearJobList);
        break;
    case Command::TagEditor:
        call(Operation::ShowTagEditor);
        break;
    case Command::StopAll:
        if (previewActive())
            call(Operation::StopPreview);
        if (running())
            call(Operation::StopJob);
        break;
    case Command::Exit:
        call(Operation::CloseMainWindow);
        break;
    case Command::Cut:
        if (!running() && hasFiles())
            call(Operation::Cut);
        break;
    case Command::HelpFile:
        call(Operation::OpenHelpFile);
        break;
    case Command::HomePage:
        call(Operation::OpenHomePage);
        break;
    case Command::About:
        call(Operation::ShowAbout);
        break;
    case Command::FileMenu:
        if (!running())
            call(Operation::PopUpFileMenu);
        break;
    case Command::ActionMenu:
        if (!running())
            call(Operation::PopUpActionMenu);
        break;
    case Command::HelpMenu:
        call(Operation::PopUpHelpMenu);
        break;
    case Command::Settings:
        call(Operation::ShowSettings);
        break;
    case Command::RemoveSelection:
        if (running())
            break;
        call(segmentSelected() ? Operation::RemoveSegment : Operation::RemoveFile);
        call(Operation::ShowTotalLength);
        break;
    case Command::ClearSelection:
        if (running())
            break;
        call(segmentSelected() ? Operation::ClearSegments : Operation::ClearJobList);
        call(Operation::ShowTotalLength);
        break;
    case Command::Play:
        if (!running())
            call(Operation::PlaySelection);
        break;
    case Command::StopPreview:
        // Only the preview; a running job goes on.
        if (previewActive())
            call(Operation::StopPreview);
        break;
    case Command::StepBack:
        if (!running())
            call(Operation::StepBack);
        break;
    case Command::StepForward:
        if (!running())
            call(Operation::StepForward);
        break;
    case Command::Split:
        // Opens the output folder afterwards, whether the cut finished or was
        // stopped; the menu's cut does not.
        if (!running() && hasFiles() && call(Operation::Cut))
            call(Operation::OpenOutputFolder);
        break;
    case Command::Join:
        if (!running() && call(Operation::Join))
            call(Operation::OpenOutputFolder);
        break;
    case Command::Begin:
        if (!running())
            call(Operation::SetSegmentBegin);
        break;
    case Command::End:
        if (!running())
            call(Operation::SetSegmentEnd);
        break;
    case Command::Ok:
        if (!running())
            call(Operation::ConfirmSegment);
        break;
    case Command::OutputFolder:
        call(Operation::ChooseOutputFolder);
        break;
    }
}
