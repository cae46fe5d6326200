// SPDX-License-Identifier: GPL-3.0-or-later
#include "audio/readers/VoxReader.h"

#include "audio/AudioError.h"

namespace {

constexpr int kRate = 8000;
constexpr int kChunkBytes = 2048;

} // namespace

VoxReader::VoxReader(const QString& path) : DecodingReader(path), m_file(path)
{
    if (!m_file.open(QIODevice::ReadOnly))
        fail(m_file.errorString());
    openDecoder();
    setSource(kRate, 1, m_file.size() * 2);
    primeFirstFrame();
}

void VoxReader::fail(const QString& cause) const
{
    throw AudioError(QStringLiteral("Cannot read \"%1\": %2.").arg(m_path, cause));
}

void VoxReader::openDecoder()
{
    const AVCodec* codec = avcodec_find_decoder(AV_CODEC_ID_ADPCM_IMA_OKI);
    if (!codec)
        fail(QStringLiteral("no decoder for Dialogic ADPCM"));
    m_codec.reset(avcodec_alloc_context3(codec));
    if (!m_codec || !m_packet)
        fail(QStringLiteral("out of memory"));
    m_codec->sample_rate = kRate;
    av_channel_layout_default(&m_codec->ch_layout, 1);
    const int rc = avcodec_open2(m_codec.get(), codec, nullptr);
    if (rc < 0)
        fail(QStringLiteral("the decoder cannot be opened (%1)").arg(ffmpeg::errorText(rc)));
    m_draining = false;
}

bool VoxReader::decodeNext(AVFrame* frame, int64_t& start)
{
    start = -1;
    for (;;) {
        int rc = avcodec_receive_frame(m_codec.get(), frame);
        if (rc == 0)
            return true;
        if (rc != AVERROR(EAGAIN) || m_draining)
            return false;
        rc = av_new_packet(m_packet.get(), kChunkBytes);
        if (rc < 0)
            fail(QStringLiteral("out of memory"));
        const qint64 got = m_file.read(reinterpret_cast<char*>(m_packet->data), kChunkBytes);
        if (got <= 0) {
            av_packet_unref(m_packet.get());
            avcodec_send_packet(m_codec.get(), nullptr);
            m_draining = true;
            continue;
        }
        av_shrink_packet(m_packet.get(), static_cast<int>(got));
        rc = avcodec_send_packet(m_codec.get(), m_packet.get());
        av_packet_unref(m_packet.get());
        if (rc < 0 && rc != AVERROR(EAGAIN))
            fail(QStringLiteral("the audio data is damaged (%1)").arg(ffmpeg::errorText(rc)));
    }
}

int64_t VoxReader::rewindTo(int64_t)
{
    // Every ADPCM sample depends on all before it: decode again from the start.
    m_file.seek(0);
    openDecoder();
    return 0;
}
