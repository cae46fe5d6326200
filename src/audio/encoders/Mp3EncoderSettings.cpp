// SPDX-License-Identifier: GPL-3.0-or-later
#include "audio/encoders/Mp3EncoderSettings.h"

void Mp3EncoderSettings::beginChange()
{
    if (m_handedOver.value) {
        m_handedOver.value = false;
        m_preset = 0;
        m_altPreset = 0;
        m_commandLine.clear();
    }
}

void Mp3EncoderSettings::SetCommandLine(const QString& text)
{
    beginChange();
    m_commandLine = text;
}

void Mp3EncoderSettings::SetPreset(int preset)
{
    beginChange();
    m_preset = preset;
}

void Mp3EncoderSettings::SetAltPreset(int altPreset)
{
    beginChange();
    m_altPreset = altPreset;
}

void Mp3EncoderSettings::SetVbrBitrate(int kbps)
{
    beginChange();
    m_vbrBitrate = kbps;
}

void Mp3EncoderSettings::SetVbrQuality(int quality)
{
    beginChange();
    m_vbrQuality = quality;
}

void Mp3EncoderSettings::SetVbrMethod(int method)
{
    beginChange();
    m_vbrMethod = method;
}

void Mp3EncoderSettings::SetChannelMode(int mode)
{
    beginChange();
    m_channelMode = mode;
}

void Mp3EncoderSettings::SetQuality(int quality)
{
    beginChange();
    m_quality = quality;
}

void Mp3EncoderSettings::SetWriteVbrHeader(bool on)
{
    beginChange();
    m_writeVbrHeader = on;
}

void Mp3EncoderSettings::SetBitReservoir(bool on)
{
    beginChange();
    m_bitReservoir = on;
}

void Mp3EncoderSettings::SetAllowDiffBlockTypes(bool on)
{
    beginChange();
    m_allowDiffBlockTypes = on;
}

void Mp3EncoderSettings::SetShortBlocks(bool on)
{
    beginChange();
    m_shortBlocks = on;
}

void Mp3EncoderSettings::SetEmphasis(int emphasis)
{
    beginChange();
    m_emphasis = emphasis;
}

void Mp3EncoderSettings::SetStrictIso(bool on)
{
    beginChange();
    m_strictIso = on;
}

void Mp3EncoderSettings::SetEnforceMinBitrate(bool on)
{
    beginChange();
    m_enforceMinBitrate = on;
}

void Mp3EncoderSettings::SetAthMode(int mode)
{
    beginChange();
    m_athMode = mode;
}

void Mp3EncoderSettings::SetLowPassFrequency(int hz)
{
    beginChange();
    m_lowPassFrequency = hz;
}

void Mp3EncoderSettings::SetHighPassFrequency(int hz)
{
    beginChange();
    m_highPassFrequency = hz;
}

void Mp3EncoderSettings::SetLowPassWidth(int hz)
{
    beginChange();
    m_lowPassWidth = hz;
}

void Mp3EncoderSettings::SetHighPassWidth(int hz)
{
    beginChange();
    m_highPassWidth = hz;
}

void Mp3EncoderSettings::SetCrc(bool on)
{
    beginChange();
    m_crc = on;
}

void Mp3EncoderSettings::SetOutputSampleRate(int hz)
{
    beginChange();
    m_outputSampleRate = hz;
}

void Mp3EncoderSettings::SetChannels(int channels)
{
    beginChange();
    m_channels = channels;
}

void Mp3EncoderSettings::SetBitrate(int kbps)
{
    beginChange();
    m_bitrate = kbps;
}
