// SPDX-License-Identifier: GPL-3.0-or-later
#include "audio/encoders/WavEncoder.h"

#include "audio/encoders/PcmSample.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <limits>

namespace {

constexpr uint16_t kFormatPcm = 1;
constexpr uint16_t kFormatExtensible = 0xFFFE;
// KSDATAFORMAT_SUBTYPE_PCM: 00000001-0000-0010-8000-00aa00389b71.
constexpr uint8_t kSubtypePcm[16] = {0x01, 0x00, 0x00, 0x00, 0x00, 0x00, 0x10, 0x00,
                                     0x80, 0x00, 0x00, 0xaa, 0x00, 0x38, 0x9b, 0x71};

void put16(std::vector<uint8_t>& out, uint32_t v)
{
    out.push_back(static_cast<uint8_t>(v));
    out.push_back(static_cast<uint8_t>(v >> 8));
}

void put32(std::vector<uint8_t>& out, uint32_t v)
{
    put16(out, v & 0xFFFF);
    put16(out, v >> 16);
}

void putTag(std::vector<uint8_t>& out, const char* tag)
{
    for (int i = 0; i < 4; ++i)
        out.push_back(static_cast<uint8_t>(tag[i]));
}

// The same scaling as FFmpeg's float to integer conversion, so that a PCM
// round trip through our writer and FFmpeg's reader is exact. 32 bits need
// double precision; the narrower widths use pcmsample.
inline int32_t toInt32(float x)
{
    return static_cast<int32_t>(
        std::clamp(std::nearbyint(double(x) * 2147483648.0), -2147483648.0, 2147483647.0));
}

// 24 bits are scaled in double precision too: the float rounding trick of
// pcmsample holds only for magnitudes below 2^22.
inline int32_t toInt24(float x)
{
    return static_cast<int32_t>(
        std::clamp(std::nearbyint(double(x) * 8388608.0), -8388608.0, 8388607.0));
}

// One loop per channel count that jobs use, so that the compiler sees
// fixed strides and vectorises the conversion.
template <typename T, T (*convert)(float)>
void interleave(const float* const* planes, int frames, int channels, T* out)
{
    if (channels == 1) {
        const float* a = planes[0];
        for (int i = 0; i < frames; ++i)
            out[i] = convert(a[i]);
    } else if (channels == 2) {
        const float* a = planes[0];
        const float* b = planes[1];
        for (int i = 0; i < frames; ++i) {
            out[2 * i] = convert(a[i]);
            out[2 * i + 1] = convert(b[i]);
        }
    } else {
        for (int c = 0; c < channels; ++c) {
            const float* a = planes[c];
            T* o = out + c;
            for (int i = 0; i < frames; ++i, o += channels)
                *o = convert(a[i]);
        }
    }
}

} // namespace

bool WavEncoder::isSupported(int rate, int channels, int bitsPerSample)
{
    return rate > 0 && channels > 0 && channels <= 8 &&
           (bitsPerSample == 8 || bitsPerSample == 16 || bitsPerSample == 24 ||
            bitsPerSample == 32);
}

WavEncoder::WavEncoder(const QString& path, int rate, int channels, int bitsPerSample)
    : m_file(path), m_rate(rate), m_channels(channels), m_bits(bitsPerSample)
{
    const std::vector<uint8_t> h = header(0);
    m_file.write(h.data(), h.size());
}

std::vector<uint8_t> WavEncoder::header(uint32_t dataBytes) const
{
    const bool extensible = m_bits > 16;
    const uint32_t blockAlign = static_cast<uint32_t>(m_channels * m_bits / 8);
    const uint32_t fmtSize = extensible ? 40 : 16;
    const uint32_t riffSize = 4 + (8 + fmtSize) + (8 + dataBytes + (dataBytes & 1));

    std::vector<uint8_t> h;
    putTag(h, "RIFF");
    put32(h, riffSize);
    putTag(h, "WAVE");
    putTag(h, "fmt ");
    put32(h, fmtSize);
    put16(h, extensible ? kFormatExtensible : kFormatPcm);
    put16(h, static_cast<uint32_t>(m_channels));
    put32(h, static_cast<uint32_t>(m_rate));
    put32(h, static_cast<uint32_t>(m_rate) * blockAlign);
    put16(h, blockAlign);
    put16(h, static_cast<uint32_t>(m_bits));
    if (extensible) {
        put16(h, 22);                            // size of the extension
        put16(h, static_cast<uint32_t>(m_bits)); // valid bits
        put32(h, m_channels == 1   ? 0x4u        // front centre
                 : m_channels == 2 ? 0x3u        // front left, front right
                                   : 0u);        // no speaker positions
        for (uint8_t byte : kSubtypePcm)
            h.push_back(byte);
    }
    putTag(h, "data");
    put32(h, dataBytes);
    return h;
}

void WavEncoder::encode(const float* const* planes, int frames)
{
    const size_t bytesPerSample = static_cast<size_t>(m_bits / 8);
    const size_t total =
        static_cast<size_t>(frames) * static_cast<size_t>(m_channels) * bytesPerSample;
    if (m_dataBytes + total > std::numeric_limits<uint32_t>::max() - 64)
        m_file.fail(QStringLiteral("a WAV file cannot hold more than 4 GB"));
    const size_t samples = static_cast<size_t>(frames) * static_cast<size_t>(m_channels);
    const uint8_t* data = nullptr;
    if (m_bits == 16 && std::endian::native == std::endian::little) {
        m_samples16.resize(samples);
        interleave<int16_t, pcmsample::toInt16>(planes, frames, m_channels, m_samples16.data());
        data = reinterpret_cast<const uint8_t*>(m_samples16.data());
    } else if (m_bits == 8) {
        m_buffer.resize(total);
        interleave<uint8_t, pcmsample::toUnsigned8>(planes, frames, m_channels, m_buffer.data());
        data = m_buffer.data();
    } else {
        m_buffer.resize(total);
        uint8_t* out = m_buffer.data();
        for (int i = 0; i < frames; ++i) {
            for (int c = 0; c < m_channels; ++c) {
                const int32_t v = m_bits == 16   ? pcmsample::toInt16(planes[c][i])
                                  : m_bits == 24 ? toInt24(planes[c][i])
                                                 : toInt32(planes[c][i]);
                for (size_t b = 0; b < bytesPerSample; ++b)
                    *out++ = static_cast<uint8_t>(v >> (8 * b));
            }
        }
        data = m_buffer.data();
    }
    m_file.write(data, total);
    m_dataBytes += total;
}

void WavEncoder::finish()
{
    const auto dataBytes = static_cast<uint32_t>(m_dataBytes);
    if (dataBytes & 1) {
        const uint8_t pad = 0;
        m_file.write(&pad, 1);
    }
    const std::vector<uint8_t> h = header(dataBytes);
    m_file.seek(0);
    m_file.write(h.data(), h.size());
    m_file.close();
}
