// SPDX-License-Identifier: GPL-3.0-or-later
#include "audio/readers/FfmpegReader.h"

#include "audio/AudioError.h"
#include "audio/mpeg/MpegFrameIndex.h"
#include "base/RegularFile.h"

#include <QFile>

namespace {

// A damaged packet here and there is skipped, as players do; a stream that
// keeps failing is not audio we can read.
constexpr int kMaxDecodeErrors = 100;

bool isPcm(AVCodecID id)
{
    const AVCodecDescriptor* d = avcodec_descriptor_get(id);
    return d && QByteArray(d->name).startsWith("pcm_") && av_get_exact_bits_per_sample(id) > 0;
}

bool isMpegAudio(AVCodecID id)
{
    return id == AV_CODEC_ID_MP3 || id == AV_CODEC_ID_MP2 || id == AV_CODEC_ID_MP1;
}

// Where the audio of an Ogg file's last page begins: the granule position of
// the page before it that ends a packet, or -1 when the end of the file holds
// no two such pages. Pages are at most 65307 bytes long, so the last two lie
// in the file's last 2 × 65307 bytes; a page counts only when its lacing
// values account for the bytes up to the next page (or the end of the file).
int64_t oggLastPageStart(const QString& path)
{
    constexpr qint64 kMaxPage = 27 + 255 + 255 * 255;
    RegularFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return -1;
    const qint64 from = std::max<qint64>(file.size() - 2 * kMaxPage - 1, 0);
    if (!file.seek(from))
        return -1;
    const QByteArray tail = file.readAll();
    const auto* d = reinterpret_cast<const uchar*>(tail.constData());
    struct Page {
        qsizetype end;
        int64_t granule;
        uint32_t serial;
    };
    std::vector<Page> pages;
    for (qsizetype at = tail.indexOf("OggS"); at >= 0; at = tail.indexOf("OggS", at + 1)) {
        if (at + 27 > tail.size() || d[at + 4] != 0)
            continue;
        const int segments = d[at + 26];
        if (at + 27 + segments > tail.size())
            continue;
        qsizetype length = 27 + segments;
        for (int i = 0; i < segments; ++i)
            length += d[at + 27 + i];
        const qsizetype end = at + length;
        if (end > tail.size() || (end < tail.size() && tail.mid(end, 4) != "OggS"))
            continue;
        int64_t granule = 0;
        for (int i = 7; i >= 0; --i)
            granule = granule << 8 | d[at + 6 + i];
        const uint32_t serial =
            d[at + 14] | d[at + 15] << 8 | d[at + 16] << 16 | uint32_t(d[at + 17]) << 24;
        // A granule of -1 marks a page on which no packet ends.
        if (granule != -1)
            pages.push_back({end, granule, serial});
    }
    if (pages.empty() || pages.back().end != tail.size())
        return -1;
    const uint32_t serial = pages.back().serial;
    for (auto it = pages.rbegin() + 1; it != pages.rend(); ++it)
        if (it->serial == serial)
            return it->granule;
    return -1;
}

} // namespace

FfmpegReader::FfmpegReader(const QString& path) : DecodingReader(path)
{
    openInput(nullptr);
    int rc = avformat_find_stream_info(m_input.get(), nullptr);
    if (rc < 0)
        fail(QStringLiteral("its format is not recognised (%1)").arg(ffmpeg::errorText(rc)));
    rc = av_find_best_stream(m_input.get(), AVMEDIA_TYPE_AUDIO, -1, -1, nullptr, 0);
    if (rc < 0)
        fail(QStringLiteral("it contains no audio"));
    m_streamIndex = rc;
    m_stream = m_input->streams[rc];
    m_format = chooseFormatName();
    if (m_format.isEmpty())
        fail(QStringLiteral("it is not an MP3, MP2, WAV, WMA or Ogg Vorbis file"));
    openDecoder();

    const AVCodecID id = m_codec->codec_id;
    const int rate = m_codec->sample_rate;
    if (isPcm(id)) {
        m_exactTimestamps = true;
    } else if (isMpegAudio(id)) {
        m_exactTimestamps = true;
        // The bit reservoir reaches back up to 511 bytes, which a few frames
        // cover; ten leave the decoder settled.
        m_preroll = 10 * static_cast<int64_t>(std::max(m_codec->frame_size, 1152));
    } else if (id == AV_CODEC_ID_VORBIS) {
        m_exactTimestamps = true;
        // Two of the longest Vorbis blocks: the first packet after a seek only
        // primes the overlap.
        m_preroll = 2 * 8192;
        if (timestampsAreSamples())
            m_lastPageStart = oggLastPageStart(m_path);
    }
    if (const QString refusal = unsupportedFormat(rate, m_codec->ch_layout.nb_channels);
        !refusal.isEmpty())
        fail(refusal);
    const int64_t count = countFrames();
    setSource(rate, m_codec->ch_layout.nb_channels, count);
    // An MPEG stream whose intact headers cut every sample (an empty piece)
    // opens as the 0 samples it holds; everything else must decode to audio.
    if (count > 0 || !m_countedFromHeaders)
        primeFirstFrame();
}

void FfmpegReader::fail(const QString& cause) const
{
    throw AudioError(QStringLiteral("Cannot read \"%1\": %2.").arg(m_path, cause));
}

void FfmpegReader::openInput(const AVInputFormat* format)
{
    AVFormatContext* raw = nullptr;
    const int rc =
        avformat_open_input(&raw, QFile::encodeName(m_path).constData(), format, nullptr);
    if (rc < 0) {
        if (rc == AVERROR(EACCES) || rc == AVERROR(ENOENT) || rc == AVERROR(EIO))
            fail(ffmpeg::errorText(rc));
        // Demuxers refuse text, cut-off headers and damaged frames alike.
        fail(QStringLiteral("it is not an MP3, MP2, WAV, WMA or Ogg Vorbis file, or it is "
                            "damaged or cut short (%1)")
                 .arg(ffmpeg::errorText(rc)));
    }
    m_input.reset(raw);
    m_dataStart = m_input->pb ? avio_tell(m_input->pb) : 0;
    if (m_streamIndex >= 0) {
        if (m_streamIndex >= static_cast<int>(m_input->nb_streams))
            fail(QStringLiteral("the file changed while it was read"));
        m_stream = m_input->streams[m_streamIndex];
    }
}

QString FfmpegReader::chooseFormatName() const
{
    const QByteArray demuxer = m_input->iformat->name;
    const AVCodecID id = m_stream->codecpar->codec_id;
    if (demuxer == "mp3")
        return id == AV_CODEC_ID_MP3 ? QStringLiteral("mp3") : QStringLiteral("mp2");
    if (demuxer == "wav")
        return QStringLiteral("wav");
    if (demuxer == "asf")
        return QStringLiteral("wma");
    if (demuxer == "ogg" && id == AV_CODEC_ID_VORBIS)
        return QStringLiteral("ogg");
    return {};
}

void FfmpegReader::openDecoder()
{
    const AVCodec* decoder = avcodec_find_decoder(m_stream->codecpar->codec_id);
    if (!decoder)
        fail(QStringLiteral("no decoder for %1")
                 .arg(avcodec_get_name(m_stream->codecpar->codec_id)));
    m_codec.reset(avcodec_alloc_context3(decoder));
    if (!m_codec)
        fail(QStringLiteral("out of memory"));
    int rc = avcodec_parameters_to_context(m_codec.get(), m_stream->codecpar);
    // Frames then carry timestamps in the stream's time base, also where the
    // decoder cuts an encoder delay off their start.
    m_codec->pkt_timebase = m_stream->time_base;
    if (rc >= 0)
        rc = avcodec_open2(m_codec.get(), decoder, nullptr);
    if (rc < 0)
        fail(QStringLiteral("the decoder cannot be opened (%1)").arg(ffmpeg::errorText(rc)));
}

void FfmpegReader::restart()
{
    // Opening the container again is the one repositioning every demuxer
    // does exactly (including the MP3 start skip, which is tied to the first
    // packet); the known format spares the probe.
    const AVInputFormat* format = m_input->iformat;
    m_input.reset();
    openInput(format);
    // Without the stream analysis the MPEG audio parser gives the first
    // packet of an MP2 file no timestamp and the second one 0, one frame
    // early against the timestamps a seek produces, and exact seeks would
    // then land a frame off.
    const int rc = avformat_find_stream_info(m_input.get(), nullptr);
    if (rc < 0)
        fail(QStringLiteral("the file changed while it was read (%1)").arg(ffmpeg::errorText(rc)));
    avcodec_flush_buffers(m_codec.get());
    m_draining = false;
    m_fromStart = 0;
    m_decodeErrors = 0;
}

int64_t FfmpegReader::rewindTo(int64_t frame)
{
    int64_t from = std::max<int64_t>(frame - m_preroll, 0);
    // The Ogg demuxer times the packets of a file's last page, which is cut to
    // the length the granule position gives, from its own state rather than
    // from the page: after reading into that page, a jump into it gets
    // timestamps up to a page early. Coming from the page before, the
    // timestamps run on as they do when reading through.
    if (m_lastPageStart >= 0 && from + m_origin >= m_lastPageStart)
        from = std::max<int64_t>(m_lastPageStart - m_origin - 1, 0);
    if (!m_exactTimestamps || from == 0) {
        restart();
        return 0;
    }
    const int rate = m_codec->sample_rate;
    const int64_t ts = av_rescale_q(from + m_origin, AVRational{1, rate}, m_stream->time_base);
    const int rc = avformat_seek_file(m_input.get(), m_streamIndex, INT64_MIN, ts, ts, 0);
    if (rc < 0) {
        restart();
        return 0;
    }
    avcodec_flush_buffers(m_codec.get());
    m_draining = false;
    m_fromStart = -1;
    m_decodeErrors = 0;
    return -1;
}

int64_t FfmpegReader::forwardDecodeLimit() const
{
    return m_exactTimestamps ? m_codec->sample_rate : INT64_MAX;
}

bool FfmpegReader::decodeNext(AVFrame* frame, int64_t& start)
{
    for (;;) {
        int rc = avcodec_receive_frame(m_codec.get(), frame);
        if (rc == 0) {
            place(frame, start);
            return true;
        }
        if (rc == AVERROR_EOF)
            return false;
        if (rc != AVERROR(EAGAIN)) {
            if (++m_decodeErrors > kMaxDecodeErrors)
                fail(QStringLiteral("the audio data is damaged (%1)").arg(ffmpeg::errorText(rc)));
            continue;
        }
        if (m_draining)
            return false;
        rc = av_read_frame(m_input.get(), m_packet.get());
        if (rc < 0) {
            // A read that fails (a bad disk, a share that went away) is no
            // end of the file: the audio after it would be missing without a
            // word. At the end the decoder still hands out what it holds.
            AVIOContext* io = m_input->pb;
            const bool ioError = io && io->error < 0 && io->error != AVERROR_EOF;
            const bool atEnd = rc == AVERROR_EOF || (io && avio_feof(io));
            if (ioError || !atEnd)
                fail(QStringLiteral("it could not be read to its end (%1)")
                         .arg(ffmpeg::errorText(ioError ? io->error : rc)));
            avcodec_send_packet(m_codec.get(), nullptr);
            m_draining = true;
            continue;
        }
        if (m_packet->stream_index == m_streamIndex) {
            if (m_endsAtCount)
                keepPacketEnd(*m_packet);
            rc = avcodec_send_packet(m_codec.get(), m_packet.get());
            if (rc < 0 && rc != AVERROR(EAGAIN)) {
                if (++m_decodeErrors > kMaxDecodeErrors)
                    fail(QStringLiteral("the audio data is damaged (%1)")
                             .arg(ffmpeg::errorText(rc)));
                if (silenceFor(*m_packet, frame)) {
                    av_packet_unref(m_packet.get());
                    place(frame, start);
                    return true;
                }
            }
        }
        av_packet_unref(m_packet.get());
    }
}

void FfmpegReader::place(AVFrame* frame, int64_t& start)
{
    const int64_t ts = frame->best_effort_timestamp;
    if (m_exactTimestamps && ts != AV_NOPTS_VALUE) {
        const int64_t at =
            av_rescale_q(ts, m_stream->time_base, AVRational{1, m_codec->sample_rate});
        // The first frames of a stream may carry no timestamp; the
        // origin follows from the first one that does.
        if (!m_originKnown && m_fromStart >= 0) {
            m_origin = at - m_fromStart;
            m_originKnown = true;
        }
        if (m_originKnown)
            start = at - m_origin;
    }
    if (m_fromStart >= 0)
        m_fromStart += frame->nb_samples;
}

void FfmpegReader::keepPacketEnd(AVPacket& packet)
{
    // The Ogg demuxer times a Vorbis stream's packets as if the first packet
    // decoded to audio, while it only primes the decoder: its timestamps run a
    // packet ahead of the granule positions, and the end trimming it derives
    // for the last packet is off by as much (too much, or nothing where it
    // comes out negative). Frame positions counted from the
    // first frame delivered match the granule positions, so the stream is
    // ended at the last one instead (endsAtCount).
    size_t size = 0;
    uint8_t* skip = av_packet_get_side_data(&packet, AV_PKT_DATA_SKIP_SAMPLES, &size);
    if (skip && size >= 8)
        std::fill(skip + 4, skip + 8, uint8_t(0));
}

bool FfmpegReader::silenceFor(const AVPacket& packet, AVFrame* frame)
{
    // An MPEG audio frame the decoder refuses is still counted by its header
    // (or the Xing frame count): it is delivered as silence, so that reading
    // through delivers the count and the frames after it keep the positions
    // a seek finds them at.
    const int64_t pts = packet.pts != AV_NOPTS_VALUE ? packet.pts : packet.dts;
    if (!isMpegAudio(m_codec->codec_id) || packet.duration <= 0 || pts == AV_NOPTS_VALUE)
        return false;
    const int rate = m_codec->sample_rate;
    av_frame_unref(frame);
    frame->format = m_codec->sample_fmt;
    frame->sample_rate = rate;
    frame->nb_samples =
        static_cast<int>(av_rescale_q(packet.duration, m_stream->time_base, AVRational{1, rate}));
    if (av_channel_layout_copy(&frame->ch_layout, &m_codec->ch_layout) < 0 ||
        av_frame_get_buffer(frame, 0) < 0)
        fail(QStringLiteral("out of memory"));
    av_samples_set_silence(frame->extended_data, 0, frame->nb_samples, frame->ch_layout.nb_channels,
                           m_codec->sample_fmt);
    frame->best_effort_timestamp = pts;
    return true;
}

int64_t FfmpegReader::countFrames()
{
    const AVCodecID id = m_codec->codec_id;
    if (isPcm(id))
        return countPcm();
    if (isMpegAudio(id) && m_format != QLatin1String("wav"))
        return countMpegAudio();
    if (id == AV_CODEC_ID_VORBIS && timestampsAreSamples() &&
        m_input->duration_estimation_method == AVFMT_DURATION_FROM_STREAM &&
        m_stream->start_time == 0 && m_stream->duration > 0) {
        // The granule position of the last complete page, which the demuxer
        // reads from the end of the file, counts the samples up to it, and
        // the last packet is trimmed to it; a page cut off at the end of
        // the file is dropped whole.
        m_endsAtCount = true;
        return m_stream->duration;
    }
    return countByDecoding();
}

bool FfmpegReader::timestampsAreSamples() const
{
    return m_stream->time_base.num == 1 && m_stream->time_base.den == m_codec->sample_rate;
}

int64_t FfmpegReader::countPcm() const
{
    // The header's data size where the file holds all of it; a file cut short
    // ends with its last whole frame.
    if (m_input->duration_estimation_method == AVFMT_DURATION_FROM_STREAM &&
        m_stream->duration > 0 && timestampsAreSamples())
        return m_stream->duration;
    const int align = m_codec->block_align > 0 ? m_codec->block_align
                                               : av_get_exact_bits_per_sample(m_codec->codec_id) /
                                                     8 * m_codec->ch_layout.nb_channels;
    const int64_t size = avio_size(m_input->pb);
    return align > 0 && size > m_dataStart ? (size - m_dataStart) / align : 0;
}

int64_t FfmpegReader::countMpegAudio()
{
    QFile file(m_path);
    if (file.open(QIODevice::ReadOnly)) {
        const mpeg::MpegFrameIndex index(file);
        if (index.intact()) {
            m_countedFromHeaders = true;
            return index.sampleCount();
        }
    }
    // Junk between frames, a frame cut short, a tag whose counts disagree
    // with the frames: what the decoder makes of these the headers cannot
    // tell, nor do the timestamps after them match reading through. Such a
    // stream is counted by decoding, and its frames are placed by counting
    // them from the start, so that count, seek and reading agree.
    m_exactTimestamps = false;
    m_preroll = 0;
    return countByDecoding();
}

int64_t FfmpegReader::countByDecoding()
{
    // WMA and the rest. A WMA packet's header names how many frames end in
    // it, but whether the first of them is new or completes one carried over
    // from the previous packet depends on where that packet's last frame
    // ended, which only the bit lengths of its decoded frames tell; the
    // container's duration is in milliseconds and padded. So these are
    // counted by decoding through once (about 4000 times real time).
    int64_t frames = 0;
    ffmpeg::FramePtr frame(av_frame_alloc());
    int64_t start = -1;
    while (decodeNext(frame.get(), start))
        frames += frame->nb_samples;
    restart();
    return frames;
}
