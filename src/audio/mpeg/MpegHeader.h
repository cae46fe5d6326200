// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <optional>

namespace mpeg {

enum class Version : uint8_t { Mpeg1, Mpeg2, Mpeg25 };

// The four bytes that begin every MPEG audio frame. The program's one reader
// of them: the frame index, the reader's count and the frame copy all go
// through this class.
class FrameHeader {
public:
    // The header in these four bytes (big-endian), or nullopt when they are
    // none: no sync word, or a reserved version, layer, bitrate or sample
    // rate. A free-format frame (bitrate index 0) is a header, of unknown size.
    static std::optional<FrameHeader> parse(uint32_t word);
    static std::optional<FrameHeader> parse(const uint8_t* bytes);

    uint32_t word() const { return m_word; }
    Version version() const { return m_version; }
    bool lowSamplingFrequency() const { return m_version != Version::Mpeg1; }
    int layer() const { return m_layer; }
    bool hasCrc() const { return !(m_word & 0x10000); }
    int bitrateIndex() const { return (m_word >> 12) & 15; }
    bool freeFormat() const { return bitrateIndex() == 0; }
    int kbps() const; // 0 for free format
    int sampleRate() const { return m_rate; }
    bool padded() const { return m_word & 0x200; }
    int channelMode() const { return (m_word >> 6) & 3; } // 0 stereo, 1 joint, 2 dual, 3 mono
    int channels() const { return channelMode() == 3 ? 1 : 2; }
    int emphasis() const { return m_word & 3; } // 0 none, 1 50/15 µs, 3 CCITT J.17
    int samplesPerFrame() const;
    // Bytes of the whole frame, header included; 0 for free format.
    int frameBytes() const;
    // Bytes of the Layer III side information, which follows the header (and
    // the CRC, where there is one).
    int sideInfoBytes() const;
    // Where the side information begins.
    int sideInfoOffset() const { return 4 + (hasCrc() ? 2 : 0); }
    // Layer III: how many bytes before this frame's header (counting only the
    // main-data areas of earlier frames) its main data begins; `sideInfo`
    // points at the side information.
    int mainDataBegin(const uint8_t* sideInfo) const;

    // Whether the two headers are frames of one stream for FFmpeg's parser:
    // the same version, layer and sample rate.
    bool sameStream(const FrameHeader& other) const;
    // Whether FFmpeg's MP3 demuxer takes the two for consecutive frames when
    // it looks for the first frame: also the same channel mode, copyright,
    // original and emphasis bits. A frame that differs there is junk to it.
    bool sameStreamStrictly(const FrameHeader& other) const;

    // This header with another bitrate, without padding, CRC or mode
    // extension: for frames the program makes itself. nullopt when the
    // version and layer have no such bitrate index (1 to 14).
    std::optional<FrameHeader> withBitrateIndex(int index) const;

    // The Layer III header of a new stream, at the lowest bitrate and without
    // CRC; mode 0 stereo .. 3 mono, emphasis 0 none, 1 50/15 µs, 3 CCITT.
    // nullopt when no MPEG version has that sample rate.
    static std::optional<FrameHeader> layer3(int sampleRate, int channelMode, int emphasis,
                                             bool copyright, bool original);

private:
    FrameHeader() = default;
    uint32_t m_word = 0;
    Version m_version = Version::Mpeg1;
    int m_layer = 0;
    int m_rate = 0;
};

} // namespace mpeg
