// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/MainSession.h"

#include "base/DataFolder.h"
#include "base/Guarded.h"
#include "base/Prompts.h"
#include "base/Shell.h"
#include "dialogs/HelpLinks.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

MainSession::MainSession(Prompts& prompts, Shell& shell, const QString& iniPath,
                         const QString& skinFile)
    : m_prompts(prompts), m_shell(shell),
      m_skinFile(skinFile.isEmpty() ? SkinFilePath() : skinFile), m_ini(iniPath),
      m_jobs(prompts, m_reader, m_options, m_state)
{
    // Adding many files keeps the window responsive between them; probing
    // needs the reader the preview plays from.
    QObject::connect(&m_jobs, &JobArea::pumpRequested, [] { QCoreApplication::processEvents(); });
    QObject::connect(&m_jobs, &JobArea::stopPreviewRequested, &m_preview, &Preview::StopPreview);
    // The job list and the preview report what the front panel shows.
    QObject::connect(&m_jobs, &JobArea::positionTimeChanged, &m_displays,
                     &FrontPanelDisplays::showPositionTime);
    QObject::connect(&m_preview, &Preview::positionTimeChanged, &m_displays,
                     &FrontPanelDisplays::showPositionTime);
    QObject::connect(&m_jobs, &JobArea::totalLengthChanged, &m_displays,
                     &FrontPanelDisplays::showTotalLength);
    QObject::connect(&m_jobs, &JobArea::addingProgress, &m_displays,
                     &FrontPanelDisplays::showAddingProgress);
    // The segment list follows a choice or split value confirmed in the
    // settings.
    m_settingsDialog.setLvClick([this] { m_jobs.lvClick(); });

    QObject::connect(&m_skin, &Skin::OnClick, [this](SkinObject* source) { Skin1Click(source); });
    // The slider's mouse events go to the preview by the element's name.
    const auto nameOf = [](SkinObject* source) { return source ? source->GetName() : QString(); };
    QObject::connect(&m_skin, &Skin::OnMouseDown,
                     [this, nameOf](SkinObject* source, int, int, int) {
                         RunGuarded(m_prompts, [&] { m_preview.Skin1MouseDown(nameOf(source)); });
                     });
    QObject::connect(&m_skin, &Skin::OnMouseUp, [this, nameOf](SkinObject* source, int, int, int) {
        RunGuarded(m_prompts, [&] { m_preview.Skin1MouseUp(nameOf(source)); });
    });
    QObject::connect(&m_skin, &Skin::OnScrollTrack, [this, nameOf](SkinObject* source, int) {
        RunGuarded(m_prompts, [&] { m_preview.Skin1ScrollTrack(nameOf(source)); });
    });
    provideOperations();
}

void MainSession::provideOperations()
{
    SkinCommands& c = m_commands;
    c.provide(Operation::AddFiles, [this] { m_jobs.AddFiles(); });
    c.provide(Operation::AddFolder, [this] { m_jobs.AddFolder(); });
    c.provide(Operation::MoveFileUp, [this] { m_jobs.MoveFileUp(); });
    c.provide(Operation::MoveFileDown, [this] { m_jobs.MoveFileDown(); });
    c.provide(Operation::RemoveFile, [this] { m_jobs.RemoveFile(); });
    c.provide(Operation::RemoveSegment, [this] { m_jobs.RemoveSegment(); });
    c.provide(Operation::ClearJobList, [this] { m_jobs.ClearJobList(); });
    c.provide(Operation::ClearSegments, [this] { m_jobs.ClearSegments(); });
    c.provide(Operation::ShowTotalLength, [this] { m_jobs.ShowTotalLength(); });
    c.provide(Operation::SetSegmentBegin, [this] { m_jobs.SetSegmentBegin(); });
    c.provide(Operation::SetSegmentEnd, [this] { m_jobs.SetSegmentEnd(); });
    c.provide(Operation::ConfirmSegment, [this] { m_jobs.ConfirmSegment(); });
    c.provide(Operation::Cut, [this] {
        m_folderBox.applyTyped();
        makeDefaultOutputFolder();
        return m_runner.Cut();
    });
    c.provide(Operation::Join, [this] {
        m_folderBox.applyTyped();
        makeDefaultOutputFolder();
        return m_runner.Join();
    });
    // Where the job's results are, and only when it kept any: the folder may
    // have changed meanwhile, and a join's target may lie elsewhere.
    c.provide(Operation::OpenOutputFolder, [this] {
        const QString folder = m_runner.writtenFolder();
        if (!folder.isEmpty())
            m_shell.openFolder(folder);
    });
    c.provide(Operation::StopJob, [this] { StopJob(); });
    c.provide(Operation::PlaySelection, [this] { m_preview.PlaySelection(); });
    c.provide(Operation::StopPreview, [this] { m_preview.StopPreview(); });
    c.provide(Operation::StepForward, [this] { m_preview.StepForward(); });
    c.provide(Operation::StepBack, [this] { m_preview.StepBack(); });
    // Both settings elements open it, also while a job runs.
    // Typing in the folder box counts before the dialogs that show the folder.
    c.provide(Operation::ShowSettings, [this] {
        m_folderBox.applyTyped();
        m_prompts.showModal(Prompts::Dialog::Settings);
    });
    c.provide(Operation::ShowTagEditor,
              [this] { m_prompts.showModal(Prompts::Dialog::TagEditor); });
    c.provide(Operation::ChooseOutputFolder, [this] {
        m_folderBox.applyTyped();
        m_prompts.chooseFolder(QStringLiteral("Output Directory"));
    });
    c.provide(Operation::OpenHelpFile, [this] { OpenHelpFile(m_shell); });
    c.provide(Operation::OpenHomePage, [this] { OpenHomePage(m_shell); });
    c.provide(Operation::ImportCueSheet, [this] { m_pieces.ImportCueSheet(); });
    c.provide(Operation::UseChapters, [this] { m_pieces.UseChapters(); });
    c.provide(Operation::FindSilences, [this] { m_pieces.FindSilences(); });
}

void MainSession::makeDefaultOutputFolder()
{
    // The user's own music folder, which a fresh account may not have yet;
    // any other folder is the user's choice and is never created unasked.
    if (m_options.outputDir == Options::defaultOutputDir() &&
        !QFileInfo::exists(m_options.outputDir))
        QDir().mkpath(m_options.outputDir);
}

void MainSession::FormShow(Skin::WindowHandle window,
                           const std::function<void(const QString&)>& showOutputDir)
{
    m_options = LoadOptions(m_ini, showOutputDir);
    m_panel.SetupFrontPanel(m_skin, window, m_skinFile);
    m_jobs.attachSlider(m_displays);
    m_reader.SetEnabled(true);
    m_writer.SetEnabled(true);
    m_state.reset();
    m_panel.pb().SetPosition(0);
    m_preview.attachSlider(m_displays);
}

void MainSession::FormCloseQuery()
{
    if (m_state.JobRunning())
        StopJob();
    RunGuarded(m_prompts, [this] { SaveOptions(m_ini, m_options); });
}

void MainSession::StopJob()
{
    m_runner.StopJob();
}

bool MainSession::cutCommand()
{
    return m_commands.run(Command::Cut);
}

void MainSession::splitCommand()
{
    runCommand(Command::Split);
}

void MainSession::joinCommand()
{
    runCommand(Command::Join);
}

void MainSession::stopAllCommand()
{
    runCommand(Command::StopAll);
}

void MainSession::Skin1Click(SkinObject* source)
{
    if (!source)
        return;
    const QString name = source->GetName();
    RunGuarded(m_prompts, [&] { m_commands.click(name); });
}

void MainSession::runCommand(Command command)
{
    RunGuarded(m_prompts, [&] { m_commands.run(command); });
}
