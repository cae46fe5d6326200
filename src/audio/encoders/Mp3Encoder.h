// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "audio/OutputFile.h"
#include "audio/encoders/AudioEncoder.h"
#include "audio/encoders/Mp3EncoderSettings.h"

#include <cstdint>
#include <memory>
#include <vector>

struct lame_global_struct;

// MP3 through libmp3lame. The output rate and channel count are those of the
// settings (after the command line), so LAME never resamples: the writer's
// converter does. At finish() the LAME/Xing tag frame replaces the blank
// first frame, so that decoders cut the encoder delay and padding. An output
// without samples is a stream that decoders open as 0 samples.
class Mp3Encoder : public AudioEncoder {
public:
    Mp3Encoder(const QString& path, const Mp3EncoderSettings& settings);
    ~Mp3Encoder() override;

    int sampleRate() const override { return m_rate; }
    int channels() const override { return m_channels; }
    void encode(const float* const* planes, int frames) override;
    void finish() override;

    // The settings with the command line applied; throws AudioError (without
    // a file name) when the command line holds what cannot be applied.
    static Mp3EncoderSettings effectiveSettings(const Mp3EncoderSettings& settings);

    // CBR at that rate, bitrate and channel mode (1 Mono .. 5 Dual Channels):
    // true when the MPEG version of the rate has the bitrate and LAME keeps
    // both as they are.
    static bool check(int rate, int kbps, int channelMode);

private:
    struct LameDeleter {
        void operator()(lame_global_struct* gf) const;
    };

    using LamePtr = std::unique_ptr<lame_global_struct, LameDeleter>;
    // Everything is checked before the file is created, so that a refused
    // setting never truncates a file of the same name.
    LamePtr configure(const QString& path, const Mp3EncoderSettings& settings);
    void writeEncoded(int bytes);

    int m_rate = 0;
    int m_channels = 0;
    LamePtr m_lame;
    OutputFile m_file;
    std::vector<unsigned char> m_buffer;
    int64_t m_encodedFrames = 0;
};
