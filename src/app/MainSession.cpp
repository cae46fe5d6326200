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
    links.StopPreview = [this] {
        if (m_preview.StopPreview)
            m_preview.StopPreview();
    };
    // Adding many files keeps the window responsive between them.
    links.pump = [] { QCoreApplication::processEvents(); };
    m_jobs.setLinks(std::move(links));
    // The segment list follows a choice or split value confirmed in the settings.
    m_settingsDialog.setLvClick([this] { m_jobs.lvClick(); });
    // Both open the settings dialog, also while a job runs.
    for (const char* element : {"Settings", "Set"})
        m_commands.add(QLatin1String(element),
                       [this] { m_prompts.showModal(Prompts::Dialog::Settings); });

    QObject::connect(&m_skin, &Skin::OnClick, [this](SkinObject* source) { Skin1Click(source); });

    const auto unlessRunning = [this](void (JobArea::*operation)()) {
        return [this, operation] {
            if (!m_runner.JobRunning)
                (m_jobs.*operation)();
        };
    };
    m_commands.add(QStringLiteral("helpfile"), [this] { OpenHelpFile(m_shell); });
    m_commands.add(QStringLiteral("dir"),
                   [this] { m_prompts.chooseFolder(QStringLiteral("Output Directory")); });
    m_commands.add(QStringLiteral("addfile"), [this] { addFilesCommand(); });
    // Up and Down test JobRunning themselves.
    m_commands.add(QStringLiteral("Up"), [this] { m_jobs.MoveFileUp(); });
    m_commands.add(QStringLiteral("Down"), [this] { m_jobs.MoveFileDown(); });
    m_commands.add(QStringLiteral("Remove"), [this] { removeCommand(); });
    m_commands.add(QStringLiteral("Clear"), [this] { clearCommand(); });
    m_commands.add(QStringLiteral("Begin"), unlessRunning(&JobArea::SetSegmentBegin));
    m_commands.add(QStringLiteral("End"), unlessRunning(&JobArea::SetSegmentEnd));
    m_commands.add(QStringLiteral("Ok"), unlessRunning(&JobArea::ConfirmSegment));
    m_commands.add(QStringLiteral("Split"), [this] { splitCommand(); });
    m_commands.add(QStringLiteral("Join"), [this] { joinCommand(); });
    m_commands.add(QStringLiteral("Stop"), [this] { stopAllCommand(); });

    m_menuCommands.add(QStringLiteral("add files"), [this] { addFilesCommand(); });
    m_menuCommands.add(QStringLiteral("add folder"), [this] { addFolderCommand(); });
    m_menuCommands.add(QStringLiteral("move up"), [this] { m_jobs.MoveFileUp(); });
    m_menuCommands.add(QStringLiteral("move down"), [this] { m_jobs.MoveFileDown(); });
    m_menuCommands.add(QStringLiteral("remove file"), [this] { removeFileCommand(); });
    m_menuCommands.add(QStringLiteral("clear"), [this] { clearCommand(); });
    m_menuCommands.add(QStringLiteral("tag editor"),
                       [this] { m_prompts.showModal(Prompts::Dialog::TagEditor); });
    m_menuCommands.add(QStringLiteral("stop all"), [this] { stopAllCommand(); });
    m_menuCommands.add(QStringLiteral("cut"), [this] { cutCommand(); });
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
    if (m_preview.PreviewActive && m_preview.StopPreview)
        m_preview.StopPreview();
    return m_runner.Cut();
}

void MainSession::splitCommand()
{
    if (cutCommand())
        m_shell.openFolder(m_options.outputDir);
}

void MainSession::joinCommand()
{
    if (m_runner.JobRunning)
        return;
    if (m_preview.PreviewActive && m_preview.StopPreview)
        m_preview.StopPreview();
    if (m_runner.Join())
        m_shell.openFolder(m_options.outputDir);
}

void MainSession::stopAllCommand()
{
    if (m_preview.PreviewActive && m_preview.StopPreview)
        m_preview.StopPreview();
    if (m_runner.JobRunning)
        StopJob();
}

void MainSession::Skin1Click(SkinObject* source)
{
    if (!source)
        return;
    const QString name = source->GetName();
    RunGuarded(m_prompts, [&] { m_commands.run(name); });
}

void MainSession::addFilesCommand()
{
    if (!m_runner.JobRunning)
        m_jobs.AddFiles();
}

void MainSession::addFolderCommand()
{
    if (!m_runner.JobRunning)
        m_jobs.AddFolder();
}

void MainSession::removeFileCommand()
{
    if (!m_runner.JobRunning && !m_jobs.selection().SegmentSelected)
        m_jobs.RemoveFile();
}

void MainSession::removeCommand()
{
    if (m_runner.JobRunning)
        return;
    if (m_jobs.selection().SegmentSelected)
        m_jobs.RemoveSegment();
    else
        m_jobs.RemoveFile();
    m_jobs.ShowTotalLength();
}

void MainSession::clearCommand()
{
    if (m_runner.JobRunning)
        return;
    if (m_jobs.selection().SegmentSelected)
        m_jobs.ClearSegments();
    else
        m_jobs.ClearJobList();
    m_jobs.ShowTotalLength();
}
