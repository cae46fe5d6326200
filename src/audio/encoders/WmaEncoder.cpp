// SPDX-License-Identifier: GPL-3.0-or-later
#include "audio/encoders/WmaEncoder.h"

#include "audio/AudioError.h"
#include "audio/OutputFile.h"

extern "C" {
#include <libavutil/channel_layout.h>
#include <libavutil/opt.h>
}

#include <algorithm>
#include <cstring>

namespace {

// The ASF muxer's bytes per data packet and per payload in a packet that
// carries several payloads.
constexpr int kAsfPacketHeader = 12;
constexpr int kAsfPayloadHeader = 17;
constexpr int kAsfMaxPayloads = 63;
constexpr int kAsfTargetPacket = 4096;

// ASF pads every data packet to one fixed size and starts a new packet for an
// audio frame that does not fit whole. A packet that holds a whole number of
// encoded frames exactly keeps the file at the profile's bitrate instead of
// the muxer's default of 3200-byte packets, which can nearly double the size
// of the higher bitrates.
int packetSizeFor(int blockAlign)
{
    const int perFrame = blockAlign + kAsfPayloadHeader;
    const int frames = std::clamp(kAsfTargetPacket / perFrame, 1, kAsfMaxPayloads);
    return std::max(100, kAsfPacketHeader + frames * perFrame);
}

} // namespace

WmaEncoder::WmaEncoder(const QString& path, const WmaProfile& profile)
    : m_path(path), m_profile(profile)
{
    OutputFile::checkTarget(path);
    const AVCodec* codec = avcodec_find_encoder(AV_CODEC_ID_WMAV2);
    if (!codec)
        fail(QStringLiteral("the WMA encoder is missing"), 0);
    m_codec.reset(avcodec_alloc_context3(codec));
    m_frame.reset(av_frame_alloc());
    m_packet.reset(av_packet_alloc());
    if (!m_codec || !m_frame || !m_packet)
        fail(QStringLiteral("out of memory"), 0);

    AVCodecContext* c = m_codec.get();
    c->sample_fmt = AV_SAMPLE_FMT_FLTP;
    c->sample_rate = profile.rate;
    av_channel_layout_default(&c->ch_layout, profile.channels);
    c->bit_rate = int64_t(profile.kbps) * 1000;
    c->time_base = AVRational{1, profile.rate};

    AVFormatContext* format = nullptr;
    int rc = avformat_alloc_output_context2(&format, nullptr, "asf", nullptr);
    m_format.reset(format);
    if (rc < 0)
        fail(QStringLiteral("cannot create the ASF container"), rc);
    if (format->oformat->flags & AVFMT_GLOBALHEADER)
        c->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
    if ((rc = avcodec_open2(c, codec, nullptr)) < 0)
        fail(QStringLiteral("the WMA encoder refuses %1 Hz, %2 channels, %3 kbit/s")
                 .arg(profile.rate)
                 .arg(profile.channels)
                 .arg(profile.kbps),
             rc);
    m_frameSize = c->frame_size;

    m_stream = avformat_new_stream(format, nullptr);
    if (!m_stream)
        fail(QStringLiteral("out of memory"), 0);
    m_stream->time_base = c->time_base;
    if ((rc = avcodec_parameters_from_context(m_stream->codecpar, c)) < 0)
        fail(QStringLiteral("cannot describe the WMA stream"), rc);

    m_frame->format = c->sample_fmt;
    m_frame->nb_samples = m_frameSize;
    m_frame->sample_rate = c->sample_rate;
    av_channel_layout_copy(&m_frame->ch_layout, &c->ch_layout);
    if ((rc = av_frame_get_buffer(m_frame.get(), 0)) < 0)
        fail(QStringLiteral("out of memory"), rc);

    m_file = std::make_unique<OutputFile>(path);
    constexpr int kIoBuffer = 1 << 16;
    auto* buffer = static_cast<unsigned char*>(av_malloc(kIoBuffer));
    m_io.reset(
        buffer ? avio_alloc_context(buffer, kIoBuffer, 1, this, nullptr, writePacket, seekPacket)
               : nullptr);
    if (!m_io) {
        av_free(buffer);
        fail(QStringLiteral("out of memory"), 0);
    }
    format->pb = m_io.get();
    format->flags |= AVFMT_FLAG_CUSTOM_IO;

    AVDictionary* options = nullptr;
    av_dict_set_int(&options, "packet_size", packetSizeFor(c->block_align), 0);
    rc = avformat_write_header(format, &options);
    av_dict_free(&options);
    if (rc < 0)
        fail(QStringLiteral("cannot write the ASF header"), rc);

    // wmav2 starts with a frame that decoders overlap away; one frame of
    // silence in front lets the decoded file start with the first frame
    // written.
    av_samples_set_silence(m_frame->extended_data, 0, m_frameSize, profile.channels, c->sample_fmt);
    m_pending = m_frameSize;
    encodePending();
}

WmaEncoder::~WmaEncoder() = default;

void WmaEncoder::IoDeleter::operator()(AVIOContext* io) const
{
    av_freep(&io->buffer);
    avio_context_free(&io);
}

int WmaEncoder::writePacket(void* opaque, uint8_t* data, int size)
{
    auto* self = static_cast<WmaEncoder*>(opaque);
    try {
        self->m_file->write(data, static_cast<size_t>(size));
        return size;
    } catch (const AudioError& e) {
        self->m_ioError = e.message();
        return AVERROR(EIO);
    }
}

int64_t WmaEncoder::seekPacket(void* opaque, int64_t offset, int whence)
{
    auto* self = static_cast<WmaEncoder*>(opaque);
    OutputFile& file = *self->m_file;
    try {
        switch (whence & ~AVSEEK_FORCE) {
        case SEEK_SET:
            file.seek(offset);
            break;
        case SEEK_CUR:
            file.seek(file.position() + offset);
            break;
        case SEEK_END:
            file.seekToEnd();
            file.seek(file.position() + offset);
            break;
        default: // AVSEEK_SIZE: not needed for writing
            return AVERROR(ENOSYS);
        }
        return file.position();
    } catch (const AudioError& e) {
        self->m_ioError = e.message();
        return AVERROR(EIO);
    }
}

void WmaEncoder::fail(const QString& what, int code) const
{
    if (!m_ioError.isEmpty())
        throw OutputWriteError(m_ioError);
    OutputFile::failFor(
        m_path, code < 0 ? QStringLiteral("%1 (%2)").arg(what, ffmpeg::errorText(code)) : what);
}

void WmaEncoder::encode(const float* const* planes, int frames)
{
    for (int done = 0; done < frames;) {
        int rc = av_frame_make_writable(m_frame.get());
        if (rc < 0)
            fail(QStringLiteral("out of memory"), rc);
        const int n = std::min(m_frameSize - m_pending, frames - done);
        for (int c = 0; c < m_profile.channels; ++c)
            std::memcpy(reinterpret_cast<float*>(m_frame->extended_data[c]) + m_pending,
                        planes[c] + done, sizeof(float) * static_cast<size_t>(n));
        m_pending += n;
        done += n;
        if (m_pending == m_frameSize)
            encodePending();
    }
}

void WmaEncoder::encodePending()
{
    m_frame->pts = m_pts;
    m_pts += m_frameSize;
    send(m_frame.get());
    m_pending = 0;
}

void WmaEncoder::send(const AVFrame* frame)
{
    int rc = avcodec_send_frame(m_codec.get(), frame);
    if (rc < 0)
        fail(QStringLiteral("the WMA encoder failed"), rc);
    while ((rc = avcodec_receive_packet(m_codec.get(), m_packet.get())) >= 0) {
        av_packet_rescale_ts(m_packet.get(), m_codec->time_base, m_stream->time_base);
        m_packet->stream_index = m_stream->index;
        rc = av_interleaved_write_frame(m_format.get(), m_packet.get());
        if (rc < 0)
            fail(QStringLiteral("write error"), rc);
    }
    if (rc != AVERROR(EAGAIN) && rc != AVERROR_EOF)
        fail(QStringLiteral("the WMA encoder failed"), rc);
}

void WmaEncoder::finish()
{
    if (m_pending > 0) {
        // wmav2 takes whole frames only: the last one is filled with silence.
        int rc = av_frame_make_writable(m_frame.get());
        if (rc < 0)
            fail(QStringLiteral("out of memory"), rc);
        av_samples_set_silence(m_frame->extended_data, m_pending, m_frameSize - m_pending,
                               m_profile.channels, m_codec->sample_fmt);
        encodePending();
    }
    send(nullptr);
    int rc = av_write_trailer(m_format.get());
    if (rc < 0)
        fail(QStringLiteral("cannot complete the ASF file"), rc);
    avio_flush(m_io.get());
    if (m_io->error < 0)
        fail(QStringLiteral("write error"), m_io->error);
    m_file->close();
}
