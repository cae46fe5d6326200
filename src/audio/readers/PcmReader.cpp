// SPDX-License-Identifier: GPL-3.0-or-later
#include "audio/readers/PcmReader.h"

#include "audio/AudioError.h"

#include <QFileInfo>

namespace {

constexpr int kChunkFrames = 4096;

uint32_t le32(const uchar* p)
{
    return p[0] | p[1] << 8 | p[2] << 16 | uint32_t(p[3]) << 24;
}

uint16_t le16(const uchar* p)
{
    return static_cast<uint16_t>(p[0] | p[1] << 8);
}

AVSampleFormat sampleFormat(const PcmReader::Layout& l)
{
    if (l.isFloat)
        return l.bytesPerSample == 8 ? AV_SAMPLE_FMT_DBL : AV_SAMPLE_FMT_FLT;
    switch (l.bytesPerSample) {
    case 1:
        return AV_SAMPLE_FMT_U8;
    case 2:
        return AV_SAMPLE_FMT_S16;
    default: // 24-bit samples are widened to 32 bits
        return AV_SAMPLE_FMT_S32;
    }
}

} // namespace

std::optional<PcmReader::Layout> PcmReader::wavLayout(const QString& path)
{
    RegularFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    const QByteArray riff = file.read(12);
    if (riff.size() < 12 || !riff.startsWith("RIFF") || riff.mid(8, 4) != "WAVE")
        return std::nullopt;
    Layout layout;
    bool haveFormat = false;
    for (;;) {
        const QByteArray header = file.read(8);
        if (header.size() < 8)
            return std::nullopt;
        const auto* h = reinterpret_cast<const uchar*>(header.constData());
        const int64_t size = le32(h + 4);
        const int64_t body = file.pos();
        if (header.startsWith("fmt ")) {
            const QByteArray fmt = file.read(std::min<int64_t>(size, 40));
            if (fmt.size() < 16)
                return std::nullopt;
            const auto* f = reinterpret_cast<const uchar*>(fmt.constData());
            int tag = le16(f);
            if (tag == 0xFFFE && fmt.size() >= 26)
                tag = le16(f + 24); // WAVE_FORMAT_EXTENSIBLE: the sub-format's tag
            layout.channels = le16(f + 2);
            layout.rate = static_cast<int>(le32(f + 4));
            const int blockAlign = le16(f + 12);
            const int bits = le16(f + 14);
            layout.bytesPerSample = (bits + 7) / 8;
            layout.isFloat = tag == 3;
            const bool integer =
                tag == 1 && layout.bytesPerSample >= 1 && layout.bytesPerSample <= 4;
            const bool floating = tag == 3 && (bits == 32 || bits == 64);
            if ((!integer && !floating) || layout.channels < 1 || layout.channels > 64 ||
                layout.rate <= 0 || blockAlign != layout.channels * layout.bytesPerSample)
                return std::nullopt;
            haveFormat = true;
        } else if (header.startsWith("data")) {
            if (!haveFormat)
                return std::nullopt;
            layout.dataStart = body;
            // Streamed files leave the size 0 or all ones; cut files end early.
            int64_t bytes = file.size() - body;
            if (size != 0 && size != 0xFFFFFFFF)
                bytes = std::min(bytes, size);
            layout.frames = bytes / (layout.channels * layout.bytesPerSample);
            return layout;
        }
        if (!file.seek(body + size + (size & 1)))
            return std::nullopt;
    }
}

PcmReader::Layout PcmReader::rawLayout(const QString& path)
{
    Layout layout;
    layout.rate = 44100;
    layout.channels = 2;
    layout.bytesPerSample = 2;
    layout.frames = QFileInfo(path).size() / 4;
    return layout;
}

PcmReader::PcmReader(const QString& path, const Layout& layout, const QString& formatName)
    : DecodingReader(path), m_layout(layout), m_formatName(formatName), m_file(path)
{
    if (!m_file.open(QIODevice::ReadOnly))
        fail(m_file.errorString());
    setSource(layout.rate, layout.channels, layout.frames);
    seekFile(0);
    primeFirstFrame();
}

void PcmReader::fail(const QString& cause) const
{
    throw AudioError(QStringLiteral("Cannot read \"%1\": %2.").arg(m_path, cause));
}

int64_t PcmReader::seekFile(int64_t frame)
{
    m_next = std::min(frame, m_layout.frames);
    const int64_t frameBytes = static_cast<int64_t>(m_layout.channels) * m_layout.bytesPerSample;
    if (!m_file.seek(m_layout.dataStart + m_next * frameBytes))
        fail(m_file.errorString());
    return m_next;
}

bool PcmReader::decodeNext(AVFrame* frame, int64_t& start)
{
    const int64_t left = m_layout.frames - m_next;
    if (left <= 0)
        return false;
    av_frame_unref(frame);
    frame->format = sampleFormat(m_layout);
    frame->sample_rate = m_layout.rate;
    av_channel_layout_default(&frame->ch_layout, m_layout.channels);
    frame->nb_samples = static_cast<int>(std::min<int64_t>(left, kChunkFrames));
    if (av_frame_get_buffer(frame, 0) < 0)
        fail(QStringLiteral("out of memory"));
    const int samples = frame->nb_samples * m_layout.channels;
    const qint64 bytes = static_cast<qint64>(samples) * m_layout.bytesPerSample;
    const bool widen = m_layout.bytesPerSample == 3;
    if (widen)
        m_packed.resize(static_cast<size_t>(bytes));
    char* target =
        widen ? reinterpret_cast<char*>(m_packed.data()) : reinterpret_cast<char*>(frame->data[0]);
    const qint64 got = m_file.read(target, bytes);
    if (got != bytes)
        fail(got < 0 ? m_file.errorString()
                     : QStringLiteral("the file was cut short while reading"));
    if (widen) {
        auto* out = reinterpret_cast<int32_t*>(frame->data[0]);
        const uint8_t* in = m_packed.data();
        for (int i = 0; i < samples; ++i, in += 3)
            out[i] = static_cast<int32_t>(uint32_t(in[0]) << 8 | uint32_t(in[1]) << 16 |
                                          uint32_t(in[2]) << 24);
    }
    start = m_next;
    m_next += frame->nb_samples;
    return true;
}
