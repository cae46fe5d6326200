#include "components/RawReader.h"

#include "components/AudioError.h"

namespace {

constexpr int kPcmRate = 44100;
constexpr int kPcmChannels = 2;
constexpr int kPcmFrameBytes = 2 * kPcmChannels;
constexpr int kVoxRate = 8000;
constexpr int kChunkFrames = 4096;

} // namespace

RawReader::RawReader(const QString& path, Kind kind)
    : DecodingReader(path), m_kind(kind), m_file(path)
{
    if (!m_file.open(QIODevice::ReadOnly))
        fail(m_file.errorString());
    if (m_kind == Kind::Pcm) {
        setSource(kPcmRate, kPcmChannels, m_file.size() / kPcmFrameBytes);
    } else {
        openVoxDecoder();
        setSource(kVoxRate, 1, m_file.size() * 2);
    }
    primeFirstFrame();
}

QString RawReader::formatName() const
{
    return m_kind == Kind::Pcm ? QStringLiteral("raw") : QStringLiteral("vox");
}

void RawReader::fail(const QString& cause) const
{
    throw AudioError(QStringLiteral("Cannot read \"%1\": %2.").arg(m_path, cause));
}

void RawReader::openVoxDecoder()
{
    const AVCodec* codec = avcodec_find_decoder(AV_CODEC_ID_ADPCM_IMA_OKI);
    if (!codec)
        fail(QStringLiteral("no decoder for Dialogic ADPCM"));
    m_vox.reset(avcodec_alloc_context3(codec));
    m_packet.reset(av_packet_alloc());
    if (!m_vox || !m_packet)
        fail(QStringLiteral("out of memory"));
    m_vox->sample_rate = kVoxRate;
    av_channel_layout_default(&m_vox->ch_layout, 1);
    const int rc = avcodec_open2(m_vox.get(), codec, nullptr);
    if (rc < 0)
        fail(QStringLiteral("the decoder cannot be opened (%1)").arg(ffmpeg::errorText(rc)));
    m_draining = false;
}

bool RawReader::decodeNext(AVFrame* frame, int64_t& start)
{
    start = -1;
    return m_kind == Kind::Pcm ? readPcm(frame) : decodeVox(frame);
}

bool RawReader::readPcm(AVFrame* frame)
{
    const int64_t left = (m_file.size() - m_file.pos()) / kPcmFrameBytes;
    if (left <= 0)
        return false;
    av_frame_unref(frame);
    frame->format = AV_SAMPLE_FMT_S16;
    frame->sample_rate = kPcmRate;
    av_channel_layout_default(&frame->ch_layout, kPcmChannels);
    frame->nb_samples = static_cast<int>(std::min<int64_t>(left, kChunkFrames));
    if (av_frame_get_buffer(frame, 0) < 0)
        fail(QStringLiteral("out of memory"));
    const qint64 bytes = static_cast<qint64>(frame->nb_samples) * kPcmFrameBytes;
    const qint64 got = m_file.read(reinterpret_cast<char*>(frame->data[0]), bytes);
    if (got < 0)
        fail(m_file.errorString());
    frame->nb_samples = static_cast<int>(got / kPcmFrameBytes);
    return frame->nb_samples > 0;
}

bool RawReader::decodeVox(AVFrame* frame)
{
    for (;;) {
        int rc = avcodec_receive_frame(m_vox.get(), frame);
        if (rc == 0)
            return true;
        if (rc != AVERROR(EAGAIN) || m_draining)
            return false;
        rc = av_new_packet(m_packet.get(), kChunkFrames / 2);
        if (rc < 0)
            fail(QStringLiteral("out of memory"));
        const qint64 got = m_file.read(reinterpret_cast<char*>(m_packet->data), m_packet->size);
        if (got <= 0) {
            av_packet_unref(m_packet.get());
            avcodec_send_packet(m_vox.get(), nullptr);
            m_draining = true;
            continue;
        }
        av_shrink_packet(m_packet.get(), static_cast<int>(got));
        rc = avcodec_send_packet(m_vox.get(), m_packet.get());
        av_packet_unref(m_packet.get());
        if (rc < 0 && rc != AVERROR(EAGAIN))
            fail(QStringLiteral("the audio data is damaged (%1)").arg(ffmpeg::errorText(rc)));
    }
}

int64_t RawReader::rewindTo(int64_t frame)
{
    if (m_kind == Kind::Pcm) {
        const int64_t at = std::min<int64_t>(frame, m_file.size() / kPcmFrameBytes);
        m_file.seek(at * kPcmFrameBytes);
        return at;
    }
    // Every ADPCM sample depends on all before it: decode again from the start.
    m_file.seek(0);
    openVoxDecoder();
    return 0;
}

int64_t RawReader::forwardDecodeLimit() const
{
    return m_kind == Kind::Pcm ? 0 : INT64_MAX;
}
