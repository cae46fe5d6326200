// SPDX-License-Identifier: GPL-3.0-or-later
#include "audio/BlockConverter.h"

#include "audio/AudioError.h"

extern "C" {
#include <libavutil/channel_layout.h>
#include <libavutil/opt.h>
}

#include <algorithm>

BlockConverter::BlockConverter(int inRate, int inChannels, int outRate, int outChannels)
    : m_inRate(inRate), m_inChannels(inChannels), m_outRate(outRate), m_outChannels(outChannels),
      m_planes(static_cast<size_t>(outChannels)), m_planePointers(static_cast<size_t>(outChannels))
{
    if (inRate <= 0 || inChannels <= 0 || outRate <= 0 || outChannels <= 0)
        throw AudioError(QStringLiteral("unsupported block format: %1 Hz, %2 channels")
                             .arg(inRate)
                             .arg(inChannels));
    if (inRate == outRate && inChannels == outChannels)
        return;

    AVChannelLayout inLayout, outLayout;
    av_channel_layout_default(&inLayout, inChannels);
    av_channel_layout_default(&outLayout, outChannels);
    SwrContext* swr = nullptr;
    int rc = swr_alloc_set_opts2(&swr, &outLayout, AV_SAMPLE_FMT_FLTP, outRate, &inLayout,
                                 AV_SAMPLE_FMT_FLT, inRate, 0, nullptr);
    m_swr.reset(swr);
    if (rc >= 0)
        rc = setChannelMatrix(swr, inChannels, outChannels);
    if (rc >= 0)
        rc = swr_init(swr);
    if (rc < 0)
        throw AudioError(
            QStringLiteral("Cannot convert %1 Hz, %2 channels to %3 Hz, %4 channels: %5")
                .arg(inRate)
                .arg(inChannels)
                .arg(outRate)
                .arg(outChannels)
                .arg(ffmpeg::errorText(rc)));
}

int BlockConverter::setChannelMatrix(SwrContext* swr, int inChannels, int outChannels)
{
    if (inChannels == outChannels || std::min(inChannels, outChannels) != 1)
        return 0;
    // One row per output channel, one column per input channel.
    std::vector<double> matrix(static_cast<size_t>(inChannels * outChannels),
                               outChannels == 1 ? 1.0 / inChannels : 1.0);
    return swr_set_matrix(swr, matrix.data(), inChannels);
}

void BlockConverter::reserve(int frames)
{
    for (size_t c = 0; c < m_planes.size(); ++c) {
        if (m_planes[c].size() < static_cast<size_t>(frames))
            m_planes[c].resize(static_cast<size_t>(frames));
        m_planePointers[c] = m_planes[c].data();
    }
}

int BlockConverter::convert(const float* interleaved, int frames)
{
    if (!m_swr) {
        reserve(frames);
        // Fixed strides for mono and stereo let the compiler vectorise the
        // copy; these are nearly all blocks.
        if (m_inChannels == 1) {
            std::copy_n(interleaved, frames, m_planePointers[0]);
            return frames;
        }
        if (m_inChannels == 2) {
            float* left = m_planePointers[0];
            float* right = m_planePointers[1];
            for (int i = 0; i < frames; ++i) {
                left[i] = interleaved[2 * i];
                right[i] = interleaved[2 * i + 1];
            }
            return frames;
        }
        for (int c = 0; c < m_outChannels; ++c) {
            float* out = m_planePointers[static_cast<size_t>(c)];
            const float* in = interleaved + c;
            for (int i = 0; i < frames; ++i, in += m_inChannels)
                out[i] = *in;
        }
        return frames;
    }
    const uint8_t* input[] = {reinterpret_cast<const uint8_t*>(interleaved)};
    return run(input, frames);
}

int BlockConverter::flush()
{
    return m_swr ? run(nullptr, 0) : 0;
}

int BlockConverter::run(const uint8_t** input, int frames)
{
    const int capacity = swr_get_out_samples(m_swr.get(), frames);
    if (capacity < 0)
        throw AudioError(
            QStringLiteral("Sample conversion failed: %1").arg(ffmpeg::errorText(capacity)));
    reserve(std::max(capacity, 1));
    auto** output = reinterpret_cast<uint8_t**>(m_planePointers.data());
    const int produced = swr_convert(m_swr.get(), output, capacity, input, frames);
    if (produced < 0)
        throw AudioError(
            QStringLiteral("Sample conversion failed: %1").arg(ffmpeg::errorText(produced)));
    return produced;
}
