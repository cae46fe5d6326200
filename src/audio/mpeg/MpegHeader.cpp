// SPDX-License-Identifier: GPL-3.0-or-later
#include "audio/mpeg/MpegHeader.h"

#include <array>

namespace mpeg {

namespace {

// clang-format off
constexpr std::array<std::array<int, 15>, 5> kBitrates{{
    {0, 32, 64, 96, 128, 160, 192, 224, 256, 288, 320, 352, 384, 416, 448}, // MPEG-1 Layer I
    {0, 32, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320, 384},    // MPEG-1 Layer II
    {0, 32, 40, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320},     // MPEG-1 Layer III
    {0, 32, 48, 56, 64, 80, 96, 112, 128, 144, 160, 176, 192, 224, 256},    // MPEG-2/2.5 Layer I
    {0, 8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160},         // MPEG-2/2.5 Layer II, III
}};
// clang-format on
constexpr std::array<int, 3> kMpeg1Rates{44100, 48000, 32000};

constexpr uint32_t kSync = 0xFFE00000;
constexpr uint32_t kVersionLayerRate = 0xFFFE0C00;
// The bits FFmpeg's MP3 demuxer compares between the first two frames.
constexpr uint32_t kStrictMask = 0xFFFE0CCF;

int rateDivisor(Version v)
{
    return v == Version::Mpeg1 ? 1 : v == Version::Mpeg2 ? 2 : 4;
}

uint32_t versionBits(Version v)
{
    return v == Version::Mpeg1 ? 3 : v == Version::Mpeg2 ? 2 : 0;
}

} // namespace

std::optional<FrameHeader> FrameHeader::parse(uint32_t word)
{
    if ((word & kSync) != kSync)
        return std::nullopt;
    const int version = (word >> 19) & 3;
    const int layer = (word >> 17) & 3;
    const int bitrate = (word >> 12) & 15;
    const int rate = (word >> 10) & 3;
    if (version == 1 || layer == 0 || bitrate == 15 || rate == 3)
        return std::nullopt;
    FrameHeader h;
    h.m_word = word;
    h.m_version = version == 3 ? Version::Mpeg1 : version == 2 ? Version::Mpeg2 : Version::Mpeg25;
    h.m_layer = 4 - layer;
    h.m_rate = kMpeg1Rates[static_cast<size_t>(rate)] / rateDivisor(h.m_version);
    return h;
}

std::optional<FrameHeader> FrameHeader::parse(const uint8_t* b)
{
    return parse(uint32_t(b[0]) << 24 | uint32_t(b[1]) << 16 | uint32_t(b[2]) << 8 | b[3]);
}

int FrameHeader::kbps() const
{
    const size_t table = m_version == Version::Mpeg1 ? size_t(m_layer - 1) : m_layer == 1 ? 3 : 4;
    return kBitrates[table][static_cast<size_t>(bitrateIndex())];
}

int FrameHeader::samplesPerFrame() const
{
    if (m_layer == 1)
        return 384;
    return m_layer == 3 && lowSamplingFrequency() ? 576 : 1152;
}

int FrameHeader::frameBytes() const
{
    const int bitrate = kbps() * 1000;
    if (m_layer == 1)
        return (12 * bitrate / m_rate + (padded() ? 1 : 0)) * 4;
    return samplesPerFrame() / 8 * bitrate / m_rate + (padded() ? 1 : 0);
}

int FrameHeader::sideInfoBytes() const
{
    if (lowSamplingFrequency())
        return channels() == 1 ? 9 : 17;
    return channels() == 1 ? 17 : 32;
}

int FrameHeader::mainDataBegin(const uint8_t* sideInfo) const
{
    return lowSamplingFrequency() ? sideInfo[0] : sideInfo[0] << 1 | sideInfo[1] >> 7;
}

bool FrameHeader::sameStream(const FrameHeader& other) const
{
    return (m_word & kVersionLayerRate) == (other.m_word & kVersionLayerRate);
}

bool FrameHeader::sameStreamStrictly(const FrameHeader& other) const
{
    return (m_word & kStrictMask) == (other.m_word & kStrictMask);
}

std::optional<FrameHeader> FrameHeader::withBitrateIndex(int index) const
{
    if (index < 1 || index > 14)
        return std::nullopt;
    // No CRC (the protection bit set), no padding, no mode extension.
    const uint32_t word =
        (m_word & ~(0xFu << 12 | 1u << 9 | 3u << 4)) | 0x10000 | static_cast<uint32_t>(index) << 12;
    return parse(word);
}

std::optional<FrameHeader> FrameHeader::layer3(int sampleRate, int channelMode, int emphasis,
                                               bool copyright, bool original)
{
    for (const Version v : {Version::Mpeg1, Version::Mpeg2, Version::Mpeg25}) {
        for (size_t r = 0; r < kMpeg1Rates.size(); ++r) {
            if (kMpeg1Rates[r] / rateDivisor(v) != sampleRate)
                continue;
            const uint32_t word = kSync | versionBits(v) << 19 | 1u << 17 | 0x10000 | 1u << 12 |
                                  static_cast<uint32_t>(r) << 10 |
                                  static_cast<uint32_t>(channelMode & 3) << 6 |
                                  (copyright ? 1u : 0u) << 3 | (original ? 1u : 0u) << 2 |
                                  static_cast<uint32_t>(emphasis & 3);
            return parse(word);
        }
    }
    return std::nullopt;
}

} // namespace mpeg
