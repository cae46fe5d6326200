// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "app/FrontPanel.h"
#include "app/FrontPanelDisplays.h"
#include "app/FrontPanelJobs.h"
#include "app/JobAreaView.h"
#include "app/JobTagRecords.h"
#include "app/OutputFolderBox.h"
#include "app/PieceCommands.h"
#include "app/SessionCommandContext.h"
#include "app/SessionPreviewSource.h"
#include "app/SkinCommands.h"
#include "audio/AudioFile.h"
#include "audio/AudioPlayer.h"
#include "audio/AudioTransform.h"
#include "audio/encoders/Mp3EncoderSettings.h"
#include "base/IniFile.h"
#include "base/SessionState.h"
#include "engine/EncoderSetup.h"
#include "engine/JobPumps.h"
#include "engine/JobRunner.h"
#include "jobs/JobArea.h"
#include "player/Preview.h"
#include "settings/Options.h"
#include "settings/SettingsDialogModel.h"
#include "skin/Skin.h"
#include "tags/TagEditorModel.h"

#include <functional>

class Prompts;
class Shell;

// What the main window owns for the whole run, apart from its widgets: the
// options and the one options-file object, the audio components, the skin
// engine with the front panel's display elements, the front panel's
// commands, the run state with the selection, and the areas that share it:
// the job list, the job runner and the preview. It composes them and holds
// no logic of its own.
class MainSession {
public:
    MainSession(Prompts& prompts, Shell& shell, const QString& iniPath = IniFile::defaultPath(),
                const QString& skinFile = {});
    MainSession(const MainSession&) = delete;
    MainSession& operator=(const MainSession&) = delete;

    // The main window's first showing. `showOutputDir` puts the output folder
    // into the folder box as soon as it is read.
    void FormShow(Skin::WindowHandle window,
                  const std::function<void(const QString&)>& showOutputDir);
    // The main window closes: stops a running job and saves the options. The
    // close is never refused, so there is no result.
    void FormCloseQuery();

    // Clears JobRunning and empties the conversion bar; the running job ends
    // at its next test of the flag.
    void StopJob();

    // The cut of the menu item "Cutter" (Start1Click), through the command
    // table: unless a job runs and only with files listed, stops the preview
    // and runs the cut of the function choice. True when a cut ran.
    bool cutCommand();
    // "Split": the cut, then the output folder is opened when a cut ran.
    void splitCommand();
    // "Join": the join through the save dialog, then the output folder is
    // opened when a join ran.
    void joinCommand();
    // "Stop" and the menus' "Stop": the preview, then the job.
    void stopAllCommand();

    // The skin's click event: runs the command of the element's name.
    void Skin1Click(SkinObject* source);
    // A menu item or a key was chosen.
    void runCommand(Command command);

    Options& options() { return m_options; }
    // The output folder box's rule; what it holds is applied before anything
    // reads the output folder.
    OutputFolderBox& folderBox() { return m_folderBox; }
    IniFile& ini() { return m_ini; }
    SessionState& state() { return m_state; }
    JobArea& jobs() { return m_jobs; }
    JobRunner& runner() { return m_runner; }
    FrontPanelJobs& jobPanel() { return m_jobPanel; }
    Preview& preview() { return m_preview; }
    FrontPanel& panel() { return m_panel; }
    Skin& skin() { return m_skin; }
    SkinCommands& commands() { return m_commands; }
    // Cue sheets, chapters and silences into the segment lists.
    PieceCommands& pieces() { return m_pieces; }
    // The audio components: the reader of source files, the writer of
    // outputs, the MP3 encoder settings the writer is configured with, the
    // preview player and the fade transform.
    AudioFile& AudioFileRead() { return m_reader; }
    AudioFile& AudioFile2write() { return m_writer; }
    Mp3EncoderSettings& Mp3LameEncoder() { return m_mp3Encoder; }
    AudioPlayer& AudioPlayer21() { return m_player; }
    AudioTransform& AudioTransform21() { return m_transform; }

    Prompts& prompts() { return m_prompts; }
    Shell& shell() { return m_shell; }

    // The settings dialog's state; every MP3 configuration reads its
    // command-line text as it stands. The tag editor's state and the records
    // it edits.
    settings::SettingsDialogModel& settingsDialog() { return m_settingsDialog; }
    tags::TagEditorModel& tagEditor() { return m_tagEditor; }
    tags::TagRecordList& tagRecords() { return m_tagRecords; }

private:
    void provideOperations();
    // Creates the default output folder when it is the output folder and
    // does not exist.
    void makeDefaultOutputFolder();

    Prompts& m_prompts;
    Shell& m_shell;
    QString m_skinFile;
    IniFile m_ini;
    Options m_options;
    OutputFolderBox m_folderBox{m_options, m_ini, m_prompts};
    AudioFile m_reader;
    AudioFile m_writer;
    Mp3EncoderSettings m_mp3Encoder;
    AudioPlayer m_player;
    AudioTransform m_transform;
    Skin m_skin;
    FrontPanel m_panel;
    FrontPanelDisplays m_displays{m_panel};
    SessionState m_state;
    JobArea m_jobs;
    SessionCommandContext m_commandContext{m_state, m_jobs.list()};
    SkinCommands m_commands{m_commandContext};
    JobAreaView m_jobView{m_jobs};
    FrontPanelJobs m_jobPanel{m_panel, m_options};
    EncoderSetup m_encoder{m_ini, m_mp3Encoder,
                           [this] { return m_settingsDialog.commandLineText(); }};
    EventLoopPump m_pump;
    JobRunner m_runner{JobRunner::Parts{m_reader, m_writer, m_options, m_jobView, m_jobPanel,
                                        m_encoder, m_prompts, m_pump},
                       m_state};
    settings::SettingsDialogModel m_settingsDialog{m_options, m_ini, m_writer, m_prompts};
    tags::TagEditorModel m_tagEditor;
    JobTagRecords m_tagRecords{m_jobs.list()};
    SessionPreviewSource m_previewSource{m_jobs, m_options};
    Preview m_preview{m_reader, m_player, m_previewSource, m_state, m_prompts};
    PieceCommands m_pieces{
        PieceCommands::Parts{m_jobs, m_options, m_state, m_prompts, m_preview, m_jobPanel, m_pump}};
};
