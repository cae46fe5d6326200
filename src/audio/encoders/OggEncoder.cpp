// SPDX-License-Identifier: GPL-3.0-or-later
#include "audio/encoders/OggEncoder.h"

#include "audio/AudioError.h"

#include <vorbis/vorbisenc.h>

#include <algorithm>
#include <cstring>
#include <random>

namespace {

long bitsPerSecond(int kbps)
{
    return kbps > 0 ? static_cast<long>(kbps) * 1000 : -1;
}

} // namespace

OggFormat::Mode OggFormat::mode() const
{
    if (kbps <= 0)
        return Mode::Quality;
    if (minKbps <= 0 && maxKbps <= 0)
        return Mode::FixedBitrate;
    return Mode::VariableBitrate;
}

double OggFormat::vorbisQuality() const
{
    return -0.1 + 1.1 * std::clamp(quality, 0, 1000) / 1000.0;
}

// The libvorbis and libogg state of one stream; each part is cleared only if
// it was initialised.
struct OggEncoder::State {
    vorbis_info info;
    vorbis_comment comment;
    vorbis_dsp_state dsp;
    vorbis_block block;
    ogg_stream_state stream;
    bool analysing = false;
    bool streaming = false;

    State()
    {
        vorbis_info_init(&info);
        vorbis_comment_init(&comment);
    }
    ~State()
    {
        if (streaming)
            ogg_stream_clear(&stream);
        if (analysing) {
            vorbis_block_clear(&block);
            vorbis_dsp_clear(&dsp);
        }
        vorbis_comment_clear(&comment);
        vorbis_info_clear(&info);
    }
};

OggEncoder::OggEncoder(const QString& path, const OggFormat& format)
    : m_format(format), m_state(std::make_unique<State>()), m_file(configured(path))
{
    State& s = *m_state;
    vorbis_comment_add_tag(&s.comment, "ENCODER", "Vessimo");
    vorbis_analysis_init(&s.dsp, &s.info);
    vorbis_block_init(&s.dsp, &s.block);
    s.analysing = true;
    std::random_device random;
    ogg_stream_init(&s.stream, static_cast<int>(random() & 0x7FFFFFFF));
    s.streaming = true;

    ogg_packet header, commentHeader, codebooks;
    vorbis_analysis_headerout(&s.dsp, &s.comment, &header, &commentHeader, &codebooks);
    ogg_stream_packetin(&s.stream, &header);
    ogg_stream_packetin(&s.stream, &commentHeader);
    ogg_stream_packetin(&s.stream, &codebooks);
    // The headers end on a page of their own, as the Ogg Vorbis rules ask.
    ogg_page page;
    while (ogg_stream_flush(&s.stream, &page) != 0) {
        m_file.write(page.header, static_cast<size_t>(page.header_len));
        m_file.write(page.body, static_cast<size_t>(page.body_len));
    }
}

OggEncoder::~OggEncoder() = default;

const QString& OggEncoder::configured(const QString& path)
{
    vorbis_info* vi = &m_state->info;
    const OggFormat& f = m_format;
    int rc = 0;
    switch (f.mode()) {
    case OggFormat::Mode::FixedBitrate:
        // A nominal bitrate without rate management: the encoder picks the
        // matching quality and skips the bit accounting, which is several
        // times faster than managed mode.
        rc = vorbis_encode_setup_managed(vi, f.channels, f.rate, -1, bitsPerSecond(f.kbps), -1);
        if (rc == 0)
            rc = vorbis_encode_ctl(vi, OV_ECTL_RATEMANAGE2_SET, nullptr);
        if (rc == 0)
            rc = vorbis_encode_setup_init(vi);
        break;
    case OggFormat::Mode::Quality:
        rc = vorbis_encode_init_vbr(vi, f.channels, f.rate, static_cast<float>(f.vorbisQuality()));
        break;
    case OggFormat::Mode::VariableBitrate:
        rc = vorbis_encode_init(vi, f.channels, f.rate, bitsPerSecond(f.maxKbps),
                                bitsPerSecond(f.kbps), bitsPerSecond(f.minKbps));
        break;
    }
    if (rc != 0)
        OutputFile::failFor(path, QStringLiteral("Ogg Vorbis cannot encode %1 Hz, %2 channels "
                                                 "at these bitrates")
                                      .arg(f.rate)
                                      .arg(f.channels));
    return path;
}

void OggEncoder::encode(const float* const* planes, int frames)
{
    constexpr int kChunk = 4096;
    for (int done = 0; done < frames;) {
        const int n = std::min(kChunk, frames - done);
        float** buffer = vorbis_analysis_buffer(&m_state->dsp, n);
        for (int c = 0; c < m_format.channels; ++c)
            std::memcpy(buffer[c], planes[c] + done, sizeof(float) * static_cast<size_t>(n));
        vorbis_analysis_wrote(&m_state->dsp, n);
        drain(false);
        done += n;
    }
}

void OggEncoder::drain(bool flush)
{
    State& s = *m_state;
    ogg_packet packet;
    ogg_page page;
    while (vorbis_analysis_blockout(&s.dsp, &s.block) == 1) {
        vorbis_analysis(&s.block, nullptr);
        vorbis_bitrate_addblock(&s.block);
        while (vorbis_bitrate_flushpacket(&s.dsp, &packet) == 1) {
            ogg_stream_packetin(&s.stream, &packet);
            while (ogg_stream_pageout(&s.stream, &page) != 0) {
                m_file.write(page.header, static_cast<size_t>(page.header_len));
                m_file.write(page.body, static_cast<size_t>(page.body_len));
            }
        }
    }
    if (flush) {
        while (ogg_stream_flush(&s.stream, &page) != 0) {
            m_file.write(page.header, static_cast<size_t>(page.header_len));
            m_file.write(page.body, static_cast<size_t>(page.body_len));
        }
    }
}

void OggEncoder::finish()
{
    vorbis_analysis_wrote(&m_state->dsp, 0);
    drain(true);
    m_file.close();
}

bool OggEncoder::check(int rate, int channels, int kbps, int minKbps, int maxKbps)
{
    State s;
    return vorbis_encode_setup_managed(&s.info, channels, rate, bitsPerSecond(maxKbps),
                                       bitsPerSecond(kbps), bitsPerSecond(minKbps)) == 0;
}
