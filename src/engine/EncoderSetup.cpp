// SPDX-License-Identifier: GPL-3.0-or-later
#include "engine/EncoderSetup.h"

#include "audio/AudioFile.h"
#include "settings/ConfigureEncoder.h"
#include "settings/SettingsStore.h"

EncoderSetup::EncoderSetup(IniFile& ini, Mp3EncoderSettings& mp3,
                           std::function<QString()> commandLine)
    : m_ini(ini), m_mp3(mp3), m_commandLine(std::move(commandLine))
{
}

void EncoderSetup::configure(AudioFile& writer, OutputFormat format, int sourceRate,
                             int sourceChannels) const
{
    const settings::SettingsStore store(m_ini);
    settings::EncoderConfiguration config = settings::ConfigureEncoder(
        formatIndex(format), store, m_commandLine ? m_commandLine() : QString());
    m_overrides.applyTo(config, sourceRate, sourceChannels);
    settings::applyEncoderConfiguration(config, writer, m_mp3);
}
