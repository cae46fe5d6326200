// SPDX-License-Identifier: GPL-3.0-or-later
#include "audio/readers/DecodingReader.h"

#include "audio/AudioError.h"
#include "audio/BlockConverter.h"
#include "audio/RateConversion.h"

extern "C" {
#include <libavutil/opt.h>
}

#include <algorithm>

namespace {

// The converter takes at most this many planes; the reader refuses more channels.
constexpr int kMaxPlanes = 64;

// No recording has a rate outside these; taken as given, a damaged or crafted
// header's rate makes the converter allocate gigabytes, or a few seconds of
// a 1-Hz file an output of gigabytes.
constexpr int kMinRate = 1000;
constexpr int kMaxRate = 768000;
// The most channels a block can be converted to or from (setBlockFormat).
constexpr int kMaxChannels = 8;

} // namespace

QString DecodingReader::unsupportedFormat(int rate, int channels)
{
    if (rate < kMinRate || rate > kMaxRate)
        return QStringLiteral(
                   "its sample rate of %1 Hz is outside the %2 to %3 Hz that can be read")
            .arg(rate)
            .arg(kMinRate)
            .arg(kMaxRate);
    if (channels < 1)
        return QStringLiteral("it has no audio channel");
    if (channels > kMaxChannels)
        return QStringLiteral("it has %1 channels, more than the %2 that can be converted")
            .arg(channels)
            .arg(kMaxChannels);
    return {};
}

void DecodingReader::setSource(int rate, int channels, int64_t count)
{
    if (const QString refusal = unsupportedFormat(rate, channels); !refusal.isEmpty())
        throw AudioError(QStringLiteral("Cannot read \"%1\": %2.").arg(m_path, refusal));
    m_rate = rate;
    m_channels = channels;
    m_count = count;
    m_outRate = rate;
    m_outChannels = channels;
}

void DecodingReader::primeFirstFrame()
{
    if (!fetchFrame())
        throw AudioError(
            QStringLiteral("\"%1\" contains no audio that can be decoded.").arg(m_path));
}

int64_t DecodingReader::position() const
{
    return m_haveFrame ? m_frameStart + m_frameOffset : std::max(m_nextStart, m_dropBefore);
}

bool DecodingReader::fetchFrame()
{
    for (;;) {
        int64_t start = -1;
        if (!decodeNext(m_frame.get(), start)) {
            m_sourceEnded = true;
            return false;
        }
        if (start < 0)
            start = m_nextStart;
        if (start < 0 || (m_rewound && start > m_dropBefore)) {
            // The container placed us behind the target; reading from the
            // start is always exact.
            m_rewound = false;
            const int64_t restart = rewindTo(0);
            m_nextStart = restart >= 0 ? restart : 0;
            continue;
        }
        m_rewound = false;
        if (m_endsAtCount && start + m_frame->nb_samples > m_count)
            m_frame->nb_samples = static_cast<int>(std::max<int64_t>(m_count - start, 0));
        const int n = m_frame->nb_samples;
        m_nextStart = start + n;
        if (n <= 0 || start + n <= m_dropBefore)
            continue;
        m_frameStart = start;
        m_frameOffset = start < m_dropBefore ? static_cast<int>(m_dropBefore - start) : 0;
        m_haveFrame = true;
        configureConverter(m_frame.get());
        return true;
    }
}

void DecodingReader::seek(int64_t frame)
{
    const int64_t target = std::max<int64_t>(frame, 0);
    const int64_t current = position();
    if (target >= current && target - current <= forwardDecodeLimit()) {
        m_dropBefore = target;
        if (m_haveFrame) {
            const int64_t skip = target - m_frameStart;
            if (skip >= m_frame->nb_samples)
                m_haveFrame = false;
            else
                m_frameOffset = static_cast<int>(std::max<int64_t>(skip, m_frameOffset));
        }
    } else {
        m_nextStart = rewindTo(target);
        m_haveFrame = false;
        m_sourceEnded = false;
        m_rewound = true;
        m_dropBefore = target;
    }
    resetConverter();
}

void DecodingReader::setBlockFormat(int rate, int channels)
{
    if (rate <= 0 || channels <= 0 || channels > kMaxChannels)
        throw AudioError(QStringLiteral("\"%1\": cannot convert to %2 Hz with %3 channels.")
                             .arg(m_path)
                             .arg(rate)
                             .arg(channels));
    m_outRate = rate;
    m_outChannels = channels;
    m_swr.reset();
    resetConverter();
    if (m_haveFrame)
        configureConverter(m_frame.get());
}

void DecodingReader::resetConverter()
{
    m_drained = false;
    m_fed = 0;
    m_delivered = 0;
    m_tailFed = false;
    if (m_swr)
        swr_init(m_swr.get());
}

bool DecodingReader::resampling() const
{
    return m_swr && m_swrRate != m_outRate;
}

void DecodingReader::configureConverter(const AVFrame* frame)
{
    AVChannelLayout in{};
    if (frame->ch_layout.order == AV_CHANNEL_ORDER_UNSPEC || frame->ch_layout.nb_channels == 0)
        av_channel_layout_default(&in, frame->ch_layout.nb_channels ? frame->ch_layout.nb_channels
                                                                    : m_channels);
    else
        av_channel_layout_copy(&in, &frame->ch_layout);
    const bool same = m_swr && m_swrFormat == frame->format && m_swrRate == frame->sample_rate &&
                      av_channel_layout_compare(&in, &m_swrLayout) == 0;
    if (same) {
        av_channel_layout_uninit(&in);
        return;
    }
    AVChannelLayout out{};
    av_channel_layout_default(&out, m_outChannels);
    SwrContext* raw = nullptr;
    int rc = swr_alloc_set_opts2(&raw, &out, AV_SAMPLE_FMT_FLT, m_outRate, &in,
                                 static_cast<AVSampleFormat>(frame->format), frame->sample_rate, 0,
                                 nullptr);
    ffmpeg::SwrPtr swr(raw);
    av_channel_layout_uninit(&out);
    if (rc >= 0) {
        // Mixing down must not push the sum of the channels past full scale.
        av_opt_set_double(swr.get(), "rematrix_maxval", 1.0, 0);
        rc = BlockConverter::setChannelMatrix(swr.get(), in.nb_channels, m_outChannels);
    }
    if (rc >= 0)
        rc = swr_init(swr.get());
    if (rc < 0) {
        av_channel_layout_uninit(&in);
        throw AudioError(QStringLiteral("\"%1\": cannot convert the audio (%2).")
                             .arg(m_path, ffmpeg::errorText(rc)));
    }
    m_swr = std::move(swr);
    m_swrFormat = frame->format;
    m_swrRate = frame->sample_rate;
    av_channel_layout_uninit(&m_swrLayout);
    m_swrLayout = in;
}

int DecodingReader::convertFrame(float* out, int capacity)
{
    const AVFrame* f = m_frame.get();
    const auto format = static_cast<AVSampleFormat>(f->format);
    const bool planar = av_sample_fmt_is_planar(format);
    const int planes = planar ? f->ch_layout.nb_channels : 1;
    const int stride = av_get_bytes_per_sample(format) * (planar ? 1 : f->ch_layout.nb_channels);
    const uint8_t* in[kMaxPlanes] = {};
    for (int p = 0; p < planes && p < kMaxPlanes; ++p)
        in[p] = f->extended_data[p] + static_cast<ptrdiff_t>(m_frameOffset) * stride;
    const int remaining = f->nb_samples - m_frameOffset;
    // Without resampling the converter is fed no more than fits, so it never
    // holds samples back; a resampler keeps the excess input itself.
    const bool resampling = m_swrRate != m_outRate;
    const int feed = resampling ? remaining : std::min(remaining, capacity);
    auto* o = reinterpret_cast<uint8_t*>(out);
    const int written = swr_convert(m_swr.get(), &o, capacity, in, feed);
    if (written < 0)
        throw AudioError(QStringLiteral("\"%1\": cannot convert the audio (%2).")
                             .arg(m_path, ffmpeg::errorText(written)));
    m_frameOffset += feed;
    m_fed += feed;
    if (m_frameOffset >= f->nb_samples)
        m_haveFrame = false;
    return written;
}

int DecodingReader::drainConverter(float* out, int capacity, bool flush)
{
    if (!resampling())
        return 0;
    auto* o = reinterpret_cast<uint8_t*>(out);
    const uint8_t* none[kMaxPlanes] = {};
    const int written = swr_convert(m_swr.get(), &o, capacity, flush ? nullptr : none, 0);
    return std::max(written, 0);
}

SampleArray DecodingReader::read(int frames)
{
    SampleArray block;
    block.channels = m_outChannels;
    block.rate = m_outRate;
    if (frames <= 0)
        return block;
    // Size the block by what is left rather than by the request, so that a
    // large request near the end does not allocate memory it never fills.
    const int64_t left = std::max<int64_t>(m_count - position(), 0);
    const int64_t expected = av_rescale(left, m_outRate, m_rate) + 64;
    int64_t capacity = std::min<int64_t>(frames, std::max<int64_t>(expected, 1024));
    block.samples.resize(static_cast<size_t>(capacity * m_outChannels));

    int got = 0;
    while (got < frames) {
        if (got == capacity) {
            capacity = std::min<int64_t>(frames, capacity * 2);
            block.samples.resize(static_cast<size_t>(capacity * m_outChannels));
        }
        float* out = block.samples.data() + static_cast<ptrdiff_t>(got) * m_outChannels;
        const int room = static_cast<int>(capacity - got);
        if (m_sourceEnded) {
            const int k = m_drained ? 0 : drainTail(out, room, got);
            if (k == 0) {
                m_drained = true;
                break;
            }
            got += k;
            continue;
        }
        const int buffered = drainConverter(out, room, false);
        if (buffered > 0) {
            got += buffered;
            continue;
        }
        if (!m_haveFrame && !fetchFrame())
            continue;
        got += convertFrame(out, room);
    }
    block.samples.resize(static_cast<size_t>(got) * m_outChannels);
    m_delivered += got;
    return block;
}

int DecodingReader::drainTail(float* out, int capacity, int gotBefore)
{
    if (!resampling())
        return 0;
    // The resampler holds back what its filter has not yet passed over and
    // lets a short stream (below about 40 frames at 8000 Hz) out not at all.
    // Silence behind the last frame pushes every frame out; the count is then
    // cut to what the frames fed stand for at the new rate, and made up with
    // silence if the resampler still falls short. A source that ended early
    // was fed fewer frames, and its shortfall stays visible.
    if (!m_tailFed) {
        swr_inject_silence(m_swr.get(), m_swrRate / 50 + 64);
        m_tailFed = true;
    }
    const int64_t owed =
        rateconversion::convertedFrames(m_fed, m_swrRate, m_outRate) - m_delivered - gotBefore;
    const int room = static_cast<int>(std::clamp<int64_t>(owed, 0, capacity));
    if (room == 0)
        return 0;
    int k = drainConverter(out, room, true);
    if (k == 0) {
        std::fill(out, out + static_cast<ptrdiff_t>(room) * m_outChannels, 0.0f);
        k = room;
    }
    return k;
}
