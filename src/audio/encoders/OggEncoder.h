// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "audio/OutputFile.h"
#include "audio/encoders/AudioEncoder.h"

#include <memory>

// The three ways the writer encodes Ogg Vorbis.
struct OggFormat {
    int rate = 44100;
    int channels = 2;
    int kbps = 128;  // nominal bitrate; 0 selects quality mode
    int minKbps = 0; // with maxKbps 0 too: fixed bitrate
    int maxKbps = 0;
    int quality = -1; // quality mode: 0 .. 1000 covers Vorbis quality -0.1 .. 1.0

    enum class Mode { FixedBitrate, Quality, VariableBitrate };
    Mode mode() const;
    // The Vorbis quality of `quality`.
    double vorbisQuality() const;
};

// Ogg Vorbis through libvorbisenc and libogg.
class OggEncoder : public AudioEncoder {
public:
    OggEncoder(const QString& path, const OggFormat& format);
    ~OggEncoder() override;

    int sampleRate() const override { return m_format.rate; }
    int channels() const override { return m_format.channels; }
    void encode(const float* const* planes, int frames) override;
    void finish() override;

    // Whether libvorbisenc can encode that rate and channel count at those
    // managed bitrates (kbps; 0 or less leaves a bound open).
    static bool check(int rate, int channels, int kbps, int minKbps, int maxKbps);

private:
    struct State;
    // Sets the encoder up and returns the path; runs before the file is
    // created, so that a refused format never truncates a file of that name.
    const QString& configured(const QString& path);
    void drain(bool flush);

    OggFormat m_format;
    std::unique_ptr<State> m_state;
    OutputFile m_file;
};
