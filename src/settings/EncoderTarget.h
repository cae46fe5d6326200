#pragma once

#include <QString>

class Mp3EncoderSettings;
class AudioWriter;

namespace settings {

// What the output encoder configuration drives: the writer's format calls
// and the setters of the MP3 encoder settings object that SetMp3Encoder hands
// to the writer. The program implements it over its writer component and
// settings object; keeping it abstract lets the configuration be checked
// call by call.
class EncoderTarget {
public:
    virtual ~EncoderTarget() = default;

    // The writer.
    virtual bool IsOpen() const = 0;
    virtual void Close() = 0;
    virtual void SetWavFormat(int rate, int channels, int bitsPerSample) = 0;
    virtual void SetWmaProfile(int profile) = 0;
    virtual void SetOggFormat(int rate, int channels, int kbps, int minKbps, int maxKbps,
                              int quality) = 0;
    // Hands the MP3 encoder settings object, as set through this target, to the writer.
    virtual void SetMp3Encoder() = 0;

    // The MP3 encoder settings object.
    virtual void SetWriteVbrHeader(bool on) = 0;
    virtual void SetEnforceMinBitrate(bool on) = 0;
    virtual void SetCrc(bool on) = 0;
    virtual void SetAllowDiffBlockTypes(bool on) = 0;
    virtual void SetBitReservoir(bool on) = 0;
    virtual void SetShortBlocks(bool on) = 0;
    virtual void SetStrictIso(bool on) = 0;
    virtual void SetHighPassFrequency(int hz) = 0;
    virtual void SetLowPassFrequency(int hz) = 0;
    virtual void SetVbrMethod(int method) = 0;
    virtual void SetAthMode(int mode) = 0;
    virtual void SetChannels(int channels) = 0;
    virtual void SetChannelMode(int mode) = 0;
    virtual void SetEmphasis(int emphasis) = 0;
    virtual void SetQuality(int quality) = 0;
    virtual void SetBitrate(int kbps) = 0;
    virtual void SetVbrBitrate(int kbps) = 0;
    virtual void SetHighPassWidth(int hz) = 0;
    virtual void SetLowPassWidth(int hz) = 0;
    virtual void SetVbrQuality(int quality) = 0;
    virtual void SetOutputSampleRate(int hz) = 0;
    virtual void SetPreset(int preset) = 0;
    virtual void SetAltPreset(int altPreset) = 0;
    virtual void SetCommandLine(const QString& text) = 0;
};

// The MP3 half of a target: forwards to one settings object.
class Mp3SettingsTarget : public EncoderTarget {
public:
    explicit Mp3SettingsTarget(Mp3EncoderSettings& settings) : m_mp3(settings) {}

    void SetWriteVbrHeader(bool on) override;
    void SetEnforceMinBitrate(bool on) override;
    void SetCrc(bool on) override;
    void SetAllowDiffBlockTypes(bool on) override;
    void SetBitReservoir(bool on) override;
    void SetShortBlocks(bool on) override;
    void SetStrictIso(bool on) override;
    void SetHighPassFrequency(int hz) override;
    void SetLowPassFrequency(int hz) override;
    void SetVbrMethod(int method) override;
    void SetAthMode(int mode) override;
    void SetChannels(int channels) override;
    void SetChannelMode(int mode) override;
    void SetEmphasis(int emphasis) override;
    void SetQuality(int quality) override;
    void SetBitrate(int kbps) override;
    void SetVbrBitrate(int kbps) override;
    void SetHighPassWidth(int hz) override;
    void SetLowPassWidth(int hz) override;
    void SetVbrQuality(int quality) override;
    void SetOutputSampleRate(int hz) override;
    void SetPreset(int preset) override;
    void SetAltPreset(int altPreset) override;
    void SetCommandLine(const QString& text) override;

protected:
    Mp3EncoderSettings& m_mp3;
};

// A target over the writer component itself.
class WriterEncoderTarget : public Mp3SettingsTarget {
public:
    WriterEncoderTarget(AudioWriter& writer, Mp3EncoderSettings& settings)
        : Mp3SettingsTarget(settings), m_writer(writer)
    {
    }

    bool IsOpen() const override;
    void Close() override;
    void SetWavFormat(int rate, int channels, int bitsPerSample) override;
    void SetWmaProfile(int profile) override;
    void SetOggFormat(int rate, int channels, int kbps, int minKbps, int maxKbps,
                      int quality) override;
    void SetMp3Encoder() override;

private:
    AudioWriter& m_writer;
};

} // namespace settings
