#include "app/MainSession.h"

#include "base/DataFolder.h"
#include "base/Guarded.h"
#include "base/Prompts.h"
#include "dialogs/HelpLinks.h"

MainSession::MainSession(Prompts& prompts, Shell& shell, const QString& iniPath,
                         const QString& skinFile)
    : m_prompts(prompts), m_shell(shell),
      m_skinFile(skinFile.isEmpty() ? SkinFilePath() : skinFile), m_ini(iniPath)
{
    QObject::connect(&m_skin, &Skin::OnClick, [this](SkinObject* source) { Skin1Click(source); });

    m_commands.add(QStringLiteral("helpfile"), [this] { OpenHelpFile(m_shell); });
    m_commands.add(QStringLiteral("dir"),
                   [this] { m_prompts.chooseFolder(QStringLiteral("Output Directory")); });
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
    m_state.PreviewActive = false;
    m_state.SliderDragging = false;
    m_state.SegmentSelected = false;
    m_panel.pb().SetPosition(0);
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
    RunGuarded(m_prompts, [&] { m_commands.run(name); });
}
