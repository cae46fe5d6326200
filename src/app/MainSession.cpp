#include "app/MainSession.h"

#include "base/DataFolder.h"
#include "base/Guarded.h"
#include "base/Prompts.h"
#include "dialogs/HelpLinks.h"

MainSession::MainSession(Prompts& prompts, Shell& shell, const QString& iniPath,
                         const QString& skinFile)
    : m_prompts(prompts), m_shell(shell),
      m_skinFile(skinFile.isEmpty() ? SkinFilePath() : skinFile), m_ini(iniPath),
      m_previewSource(m_state, m_options), m_preview(m_reader, m_player, m_previewSource, prompts)
{
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

    m_commands.setState({
        [this] { return m_state.JobRunning; },
        [this] { return m_state.SegmentSelected; },
        [this] { return m_preview.PreviewActive; },
        [this] { return m_previewSource.fileCount() > 0; },
    });
    m_commands.provide(Operation::OpenHelpFile, [this] { OpenHelpFile(m_shell); });
    m_commands.provide(Operation::OpenHomePage, [this] { OpenHomePage(m_shell); });
    m_commands.provide(Operation::ChooseOutputFolder,
                       [this] { m_prompts.chooseFolder(QStringLiteral("Output Directory")); });
    m_commands.provide(Operation::ShowSettings,
                       [this] { m_prompts.showModal(Prompts::Dialog::Settings); });
    m_commands.provide(Operation::ShowTagEditor,
                       [this] { m_prompts.showModal(Prompts::Dialog::TagEditor); });
    m_commands.provide(Operation::StopJob, [this] { StopJob(); });
    m_commands.provide(Operation::PlaySelection, [this] { m_preview.PlaySelection(); });
    m_commands.provide(Operation::StopPreview, [this] { m_preview.StopPreview(); });
    m_commands.provide(Operation::StepForward, [this] { m_preview.StepForward(); });
    m_commands.provide(Operation::StepBack, [this] { m_preview.StepBack(); });
}

void MainSession::FormShow(Skin::WindowHandle window,
                           const std::function<void(const QString&)>& showOutputDir)
{
    m_options = LoadOptions(m_ini, showOutputDir);
    m_panel.SetupFrontPanel(m_skin, window, m_skinFile);
    m_reader.SetEnabled(true);
    m_writer.SetEnabled(true);
    m_state.SelectedSegmentIndex = 0;
    m_state.JobRunning = false;
    m_preview.PreviewActive = false;
    m_preview.SliderDragging = false;
    m_state.SegmentSelected = false;
    m_panel.pb().SetPosition(0);
    m_preview.attachPanel(
        {&m_panel.pb(), &m_panel.pbFrame(), &m_panel.timecaption(), &m_panel.timecaptionFrame()});
}

void MainSession::FormCloseQuery()
{
    if (m_state.JobRunning)
        StopJob();
    RunGuarded(m_prompts, [this] { SaveOptions(m_ini, m_options); });
}

void MainSession::StopJob()
{
    m_state.JobRunning = false;
    m_panel.SetConversionBar(0, m_options.wideConversionBar);
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
