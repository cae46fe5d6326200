#include "app/MainSession.h"

#include "base/DataFolder.h"
#include "base/Guarded.h"
#include "base/Prompts.h"
#include "base/Shell.h"
#include "dialogs/HelpLinks.h"

#include <QCoreApplication>

MainSession::MainSession(Prompts& prompts, Shell& shell, const QString& iniPath,
                         const QString& skinFile)
    : m_prompts(prompts), m_shell(shell),
      m_skinFile(skinFile.isEmpty() ? SkinFilePath() : skinFile), m_ini(iniPath),
      m_jobs(prompts, m_reader, m_options)
{
    JobArea::Links links;
    links.JobRunning = &m_runner.JobRunning;
    links.PreviewActive = &m_preview.PreviewActive;
    links.PreviewFileIndex = &m_preview.PreviewFileIndex;
    links.StopPreview = [this] { m_preview.StopPreview(); };
    // Adding many files keeps the window responsive between them.
    links.pump = [] { QCoreApplication::processEvents(); };
    m_jobs.setLinks(std::move(links));
    // The segment list follows a choice or split value confirmed in the
    // settings.
    m_settingsDialog.setLvClick([this] { m_jobs.lvClick(); });

    QObject::connect(&m_skin, &Skin::OnClick, [this](SkinObject* source) { Skin1Click(source); });
    QObject::connect(&m_skin, &Skin::OnMouseDown, [this](SkinObject* source, int, int, int) {
        RunGuarded(m_prompts, [&] { m_preview.Skin1MouseDown(source); });
    });
    QObject::connect(&m_skin, &Skin::OnMouseUp, [this](SkinObject* source, int, int, int) {
        RunGuarded(m_prompts, [&] { m_preview.Skin1MouseUp(source); });
    });
    QObject::connect(&m_skin, &Skin::OnScrollTrack, [this](SkinObject* source, int) {
        RunGuarded(m_prompts, [&] { m_preview.Skin1ScrollTrack(source); });
    });
    provideOperations();
}

void MainSession::provideOperations()
{
    m_commands.setState({
        [this] { return m_runner.JobRunning; },
        [this] { return m_jobs.selection().SegmentSelected; },
        [this] { return m_preview.PreviewActive; },
        [this] { return !m_jobs.list().isEmpty(); },
    });
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
    c.provide(Operation::Cut, [this] { return cutCommand(); });
    c.provide(Operation::Join, [this] {
        if (m_preview.PreviewActive)
            m_preview.StopPreview();
        return m_runner.Join();
    });
    c.provide(Operation::OpenOutputFolder, [this] { m_shell.openFolder(m_options.outputDir); });
    c.provide(Operation::StopJob, [this] { StopJob(); });
    c.provide(Operation::PlaySelection, [this] { m_preview.PlaySelection(); });
    c.provide(Operation::StopPreview, [this] { m_preview.StopPreview(); });
    c.provide(Operation::StepForward, [this] { m_preview.StepForward(); });
    c.provide(Operation::StepBack, [this] { m_preview.StepBack(); });
    // Both settings elements open it, also while a job runs.
    c.provide(Operation::ShowSettings, [this] { m_prompts.showModal(Prompts::Dialog::Settings); });
    c.provide(Operation::ShowTagEditor,
              [this] { m_prompts.showModal(Prompts::Dialog::TagEditor); });
    c.provide(Operation::ChooseOutputFolder,
              [this] { m_prompts.chooseFolder(QStringLiteral("Output Directory")); });
    c.provide(Operation::OpenHelpFile, [this] { OpenHelpFile(m_shell); });
    c.provide(Operation::OpenHomePage, [this] { OpenHomePage(m_shell); });
}

void MainSession::FormShow(Skin::WindowHandle window,
                           const std::function<void(const QString&)>& showOutputDir)
{
    m_options = LoadOptions(m_ini, showOutputDir);
    m_panel.SetupFrontPanel(m_skin, window, m_skinFile);
    m_jobs.attachPanel({&m_panel.pb(), &m_panel.pbFrame(), &m_panel.timecaption(),
                        &m_panel.timecaptionFrame(), &m_panel.tataltime(),
                        &m_panel.tataltimeFrame()});
    m_reader.SetEnabled(true);
    m_writer.SetEnabled(true);
    m_jobs.selection().SelectedSegmentIndex = 0;
    m_runner.JobRunning = false;
    m_preview.PreviewActive = false;
    m_preview.SliderDragging = false;
    m_jobs.selection().SegmentSelected = false;
    m_panel.pb().SetPosition(0);
    m_preview.attachPanel(
        {&m_panel.pb(), &m_panel.pbFrame(), &m_panel.timecaption(), &m_panel.timecaptionFrame()});
}

void MainSession::FormCloseQuery()
{
    if (m_runner.JobRunning)
        StopJob();
    RunGuarded(m_prompts, [this] { SaveOptions(m_ini, m_options); });
}

void MainSession::StopJob()
{
    m_runner.StopJob();
}

bool MainSession::cutCommand()
{
    if (m_runner.JobRunning || m_jobs.list().isEmpty())
        return false;
    if (m_preview.PreviewActive)
        m_preview.StopPreview();
    return m_runner.Cut();
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
