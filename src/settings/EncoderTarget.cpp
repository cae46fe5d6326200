#include "settings/EncoderTarget.h"

#include "audio/AudioWriter.h"
#include "audio/encoders/Mp3EncoderSettings.h"

namespace settings {

void Mp3SettingsTarget::SetWriteVbrHeader(bool on)
{
    m_mp3.SetWriteVbrHeader(on);
}

void Mp3SettingsTarget::SetEnforceMinBitrate(bool on)
{
    m_mp3.SetEnforceMinBitrate(on);
}

void Mp3SettingsTarget::SetCrc(bool on)
{
    m_mp3.SetCrc(on);
}

void Mp3SettingsTarget::SetAllowDiffBlockTypes(bool on)
{
    m_mp3.SetAllowDiffBlockTypes(on);
}

void Mp3SettingsTarget::SetBitReservoir(bool on)
{
    m_mp3.SetBitReservoir(on);
}

void Mp3SettingsTarget::SetShortBlocks(bool on)
{
    m_mp3.SetShortBlocks(on);
}

void Mp3SettingsTarget::SetStrictIso(bool on)
{
    m_mp3.SetStrictIso(on);
}

void Mp3SettingsTarget::SetHighPassFrequency(int hz)
{
    m_mp3.SetHighPassFrequency(hz);
}

void Mp3SettingsTarget::SetLowPassFrequency(int hz)
{
    m_mp3.SetLowPassFrequency(hz);
}

void Mp3SettingsTarget::SetVbrMethod(int method)
{
    m_mp3.SetVbrMethod(method);
}

void Mp3SettingsTarget::SetAthMode(int mode)
{
    m_mp3.SetAthMode(mode);
}

void Mp3SettingsTarget::SetChannels(int channels)
{
    m_mp3.SetChannels(channels);
}

void Mp3SettingsTarget::SetChannelMode(int mode)
{
    m_mp3.SetChannelMode(mode);
}

void Mp3SettingsTarget::SetEmphasis(int emphasis)
{
    m_mp3.SetEmphasis(emphasis);
}

void Mp3SettingsTarget::SetQuality(int quality)
{
    m_mp3.SetQuality(quality);
}

void Mp3SettingsTarget::SetBitrate(int kbps)
{
    m_mp3.SetBitrate(kbps);
}

void Mp3SettingsTarget::SetVbrBitrate(int kbps)
{
    m_mp3.SetVbrBitrate(kbps);
}

void Mp3SettingsTarget::SetHighPassWidth(int hz)
{
    m_mp3.SetHighPassWidth(hz);
}

void Mp3SettingsTarget::SetLowPassWidth(int hz)
{
    m_mp3.SetLowPassWidth(hz);
}

void Mp3SettingsTarget::SetVbrQuality(int quality)
{
    m_mp3.SetVbrQuality(quality);
}

void Mp3SettingsTarget::SetOutputSampleRate(int hz)
{
    m_mp3.SetOutputSampleRate(hz);
}

void Mp3SettingsTarget::SetPreset(int preset)
{
    m_mp3.SetPreset(preset);
}

void Mp3SettingsTarget::SetAltPreset(int altPreset)
{
    m_mp3.SetAltPreset(altPreset);
}

void Mp3SettingsTarget::SetCommandLine(const QString& text)
{
    m_mp3.SetCommandLine(text);
}

bool WriterEncoderTarget::IsOpen() const
{
    return m_writer.isOpen();
}

void WriterEncoderTarget::Close()
{
    m_writer.close();
}

void WriterEncoderTarget::SetWavFormat(int rate, int channels, int bitsPerSample)
{
    m_writer.setWavFormat(rate, channels, bitsPerSample);
}

void WriterEncoderTarget::SetWmaProfile(int profile)
{
    m_writer.setWmaProfile(profile);
}

void WriterEncoderTarget::SetOggFormat(int rate, int channels, int kbps, int minKbps, int maxKbps,
                                       int quality)
{
    m_writer.setOggFormat(rate, channels, kbps, minKbps, maxKbps, quality);
}

void WriterEncoderTarget::SetMp3Encoder()
{
    m_writer.setMp3Encoder(m_mp3);
}

} // namespace settings
