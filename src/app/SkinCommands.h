#pragma once

#include <QPoint>
#include <QString>
#include <functional>
#include <map>
#include <type_traits>
#include <vector>

// The program's command vocabulary: what the front panel's clickable
// elements and the four popup menus do. Element names and menu captions are
// spelled in this table only; each command names the operation it ends in,
// and the other parts of the program provide those operations.

// The operations that commands end in, provided by the job list, the segment
// editor, the jobs, the preview, the dialogs and the window.
enum class Operation {
    AddFiles,
    AddFolder,
    MoveFileUp, // tests JobRunning itself
    MoveFileDown,
    RemoveFile,
    RemoveSegment,
    ClearJobList,
    ClearSegments,
    ShowTotalLength,
    SetSegmentBegin,
    SetSegmentEnd,
    ConfirmSegment,
    // The cut of the function choice, after stopping the preview.
    Cut,
    // The join command: choose the target, join, clear JobRunning. Answers
    // false when no target was chosen.
    Join,
    StopJob,
    OpenOutputFolder,
    PlaySelection,
    StopPreview,
    StepForward,
    StepBack,
    ShowSettings,
    ShowTagEditor,
    ChooseOutputFolder,
    OpenHelpFile,
    OpenHomePage,
    ShowAbout,
    CloseMainWindow,
    PopUpFileMenu,
    PopUpActionMenu,
    PopUpHelpMenu,
};

enum class Command {
    // Menu items (also reached from elements).
    AddFiles,
    AddFolder,
    MoveUp,
    MoveDown,
    RemoveFile,
    Clear,
    TagEditor,
    StopAll,
    Exit,
    Cut,
    HelpFile,
    HomePage,
    About,
    // Front panel elements only.
    FileMenu,
    ActionMenu,
    HelpMenu,
    Settings,
    RemoveSelection,
    ClearSelection,
    Play,
    StopPreview,
    StepBack,
    StepForward,
    Split,
    Join,
    Begin,
    End,
    Ok,
    OutputFolder,
};

// One row of the click table: the element's name (compared exactly, case
// included) and its command.
struct ElementCommand {
    QString name;
    Command command;
};
const std::vector<ElementCommand>& ElementCommands();
// The command of an element name, or nullptr when it has none.
const Command* CommandOfElement(const QString& name);

enum class Menu { p_lv, p_file, p_action, p_help };

// A menu item; a caption of "-" is a separator. `icon` is the number of the
// item's picture in the window's image list.
struct MenuItem {
    QString caption;
    int icon = -1;
    Command command = Command::StopAll;
    bool isSeparator() const { return caption == QLatin1String("-"); }
};
struct PopupMenu {
    Menu id;
    QString name;
    // Where the menu opens, relative to the window's top left corner; the
    // list menu opens at the mouse instead.
    QPoint at;
    std::vector<MenuItem> items;
};
const std::vector<PopupMenu>& PopupMenus();
const PopupMenu& PopupMenuOf(Menu id);

// Runs commands: applies each command's rules (nothing while a job runs,
// the segment-or-file choice) and calls the provided operations. An
// operation nobody provides does nothing.
class SkinCommands {
public:
    // What the rules ask about the program's state.
    struct State {
        std::function<bool()> jobRunning;
        std::function<bool()> segmentSelected;
        std::function<bool()> previewActive;
        std::function<bool()> hasFiles;
    };

    void setState(State state) { m_state = std::move(state); }

    // Provides an operation; a later call replaces an earlier one. A void
    // operation counts as done when it returns.
    template <typename F> void provide(Operation operation, F&& f)
    {
        if constexpr (std::is_void_v<std::invoke_result_t<F&>>)
            m_operations[operation] = [f = std::forward<F>(f)]() mutable {
                f();
                return true;
            };
        else
            m_operations[operation] = std::forward<F>(f);
    }
    bool provides(Operation operation) const { return m_operations.count(operation) > 0; }

    // A click on an element of the front panel: false when the name has no command.
    bool click(const QString& elementName);
    void run(Command command);

    // Told of every operation just before it runs.
    std::function<void(Operation)> onOperation;

private:
    bool call(Operation operation);
    bool running() const { return m_state.jobRunning && m_state.jobRunning(); }
    bool segmentSelected() const { return m_state.segmentSelected && m_state.segmentSelected(); }
    bool previewActive() const { return m_state.previewActive && m_state.previewActive(); }
    bool hasFiles() const { return m_state.hasFiles && m_state.hasFiles(); }

    State m_state;
    std::map<Operation, std::function<bool()>> m_operations;
};
