#pragma once

#include "audio/AudioFile.h"
#include "settings/EncoderTarget.h"

namespace settings {

// The target the program configures: its writer component AudioFile2write
// and its MP3 encoder settings object Mp3LameEncoder.
class AudioFileEncoderTarget : public Mp3SettingsTarget {
public:
    AudioFileEncoderTarget(AudioFile& writer, Mp3EncoderSettings& settings)
        : Mp3SettingsTarget(settings), m_writer(writer)
    {
    }

    bool IsOpen() const override { return m_writer.IsOpen(); }
    void Close() override { m_writer.Close(); }
    void SetWavFormat(int rate, int channels, int bitsPerSample) override
    {
        m_writer.SetWavFormat(rate, channels, bitsPerSample);
    }
    void SetWmaProfile(int profile) override { m_writer.SetWmaProfile(profile); }
    void SetOggFormat(int rate, int channels, int kbps, int minKbps, int maxKbps,
                      int quality) override
    {
        m_writer.SetOggFormat(rate, channels, kbps, minKbps, maxKbps, quality);
    }
    void SetMp3Encoder() override { m_writer.SetMp3Encoder(m_mp3); }

private:
    AudioFile& m_writer;
};

} // namespace settings
