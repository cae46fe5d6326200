// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "audio/FfmpegPtr.h"

#include <vector>

// Turns interleaved float blocks of one rate and channel count into planar
// float frames of another (libswresample). Mono to stereo copies the channel,
// stereo to mono takes the mean of both, so that nothing clips.
class BlockConverter {
public:
    BlockConverter(int inRate, int inChannels, int outRate, int outChannels);

    // The channel rule of every conversion, the writer's and the reader's:
    // mono to several channels copies the channel into each at its full
    // level (the resampler's own matrix would lower it by 3 dB), several to
    // mono take their mean. Other conversions keep the resampler's matrix.
    // For an allocated, not yet initialised resampler; returns its result
    // code.
    static int setChannelMatrix(SwrContext* swr, int inChannels, int outChannels);

    int inRate() const { return m_inRate; }
    int inChannels() const { return m_inChannels; }

    // Converts `frames` frames; returns how many output frames planes() holds.
    int convert(const float* interleaved, int frames);
    // What the resampler still holds at the end of the stream.
    int flush();

    const float* const* planes() const { return m_planePointers.data(); }

private:
    int run(const uint8_t** input, int frames);
    void reserve(int frames);

    int m_inRate;
    int m_inChannels;
    int m_outRate;
    int m_outChannels;
    ffmpeg::SwrPtr m_swr; // null when only deinterleaving is needed
    std::vector<std::vector<float>> m_planes;
    std::vector<float*> m_planePointers;
};
