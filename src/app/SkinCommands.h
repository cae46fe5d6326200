// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "base/SessionState.h"

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
    // The cut of the function choice. Answers whether a cut ran.
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
    // Pieces from elsewhere into the selected file's segment list.
    ImportCueSheet,
    UseChapters,
    FindSilences,
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
    ImportCueSheet,
    UseChapters,
    FindSilences,
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

// What a command's rules ask about the program's state at the moment it is
// given. The session answers from its state and the job list; a preview is
// told apart from the mode because the stop commands ask for both.
class CommandContext {
public:
    virtual ~CommandContext() = default;
    virtual SessionState::Mode mode() const = 0;
    virtual bool previewActive() const = 0;
    virtual bool segmentSelected() const = 0;
    virtual bool hasFiles() const = 0;
};

// One step of a command: an operation and when it runs.
struct CommandStep {
    enum class When {
        Always,
        SegmentSelected, // the last click went to the segment list
        FileSelected,    // the last click went to the file list
        Previewing,      // a preview plays
        Running,         // a job runs
        Done,            // the step before ran and reported done
    };
    Operation operation;
    When when = When::Always;
};

// One row of the command table: the modes the command acts in (any other
// mode refuses it as a whole), whether it needs listed files, and its steps:
// the operation and its follow-up.
struct CommandRow {
    Command command;
    std::vector<SessionState::Mode> modes;
    bool needsFiles = false;
    std::vector<CommandStep> steps;
};
const std::vector<CommandRow>& CommandTable();
const CommandRow& CommandRowOf(Command command);

// Runs commands: checks a command's row against the context once, then runs
// its steps through the provided operations. An operation nobody provides
// does nothing.
class SkinCommands {
public:
    explicit SkinCommands(const CommandContext& context) : m_context(context) {}

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
    // True when the command was allowed and the last operation it ran
    // reported done (a cut that ran, a join whose target was chosen).
    bool run(Command command);

    // Told of every operation just before it runs.
    std::function<void(Operation)> onOperation;

private:
    bool call(Operation operation);
    bool allowed(const CommandRow& row) const;

    const CommandContext& m_context;
    std::map<Operation, std::function<bool()>> m_operations;
};
