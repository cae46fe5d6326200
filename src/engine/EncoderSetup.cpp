#include "engine/EncoderSetup.h"

#include "audio/AudioFile.h"
#include "settings/ConfigureEncoder.h"
#include "settings/SettingsStore.h"

EncoderSetup::EncoderSetup(IniFile& ini, Mp3EncoderSettings& mp3,
                           std::function<QString()> commandLine)
    : m_ini(ini), m_mp3(mp3), m_commandLine(std::move(commandLine))
{
}

void EncoderSetup::configure(AudioFile& writer, OutputFormat format) const
{
    const settings::SettingsStore store(m_ini);
    settings::configureWriter(formatIndex(format), store,
                              m_commandLine ? m_commandLine() : QString(), writer, m_mp3);
}
