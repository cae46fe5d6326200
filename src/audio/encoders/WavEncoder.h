// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "audio/OutputFile.h"
#include "audio/encoders/AudioEncoder.h"

#include <cstdint>
#include <vector>

// PCM WAV: 8-bit unsigned, 16-bit signed, or 24- or 32-bit signed (written as
// WAVE_FORMAT_EXTENSIBLE, as readers expect for more than 16 bits). The
// header is written with zero sizes first and fixed by finish().
class WavEncoder : public AudioEncoder {
public:
    WavEncoder(const QString& path, int rate, int channels, int bitsPerSample);

    int sampleRate() const override { return m_rate; }
    int channels() const override { return m_channels; }
    void encode(const float* const* planes, int frames) override;
    void finish() override;

    static bool isSupported(int rate, int channels, int bitsPerSample);

private:
    std::vector<uint8_t> header(uint32_t dataBytes) const;

    OutputFile m_file;
    int m_rate;
    int m_channels;
    int m_bits;
    uint64_t m_dataBytes = 0;
    std::vector<uint8_t> m_buffer;
    std::vector<int16_t> m_samples16;
};
