// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "audio/mpeg/MpegHeader.h"

#include <QByteArray>
#include <array>
#include <cstdint>
#include <optional>

namespace mpeg {

// The LAME extension of a Xing/Info header: 36 bytes that name the encoder
// and carry, among other things, the encoder delay and padding that gapless
// decoders cut from the start and end of the decoded stream.
struct LameTag {
    static constexpr int kBytes = 36;
    std::array<uint8_t, kBytes> bytes{};

    // The extension of a stream this program puts together: the encoder name
    // that gapless decoders look for, every other field unset.
    static LameTag standard();

    QByteArray encoder() const;
    // Whether FFmpeg (and the players built on it) apply the delay and
    // padding: it does for the encoder names LAME, Lavf and Lavc.
    bool gapless() const;
    int delay() const { return bytes[21] << 4 | bytes[22] >> 4; }
    int padding() const { return (bytes[22] & 15) << 8 | bytes[23]; }
    void setDelayAndPadding(int delay, int padding);
    // The CRC of the audio frames after the tag frame.
    void setMusicCrc(uint16_t crc);
    // The peak and the replay gains describe the whole stream the tag was
    // written for, not a part of it.
    void clearLoudness();
};

// The header an encoder puts into the first frame of a stream instead of
// audio: Xing (or Info, its name for constant bitrates) with the frame count,
// the byte count and a seek table, followed by the LAME extension; or the
// older VBRI header. Decoders skip that frame.
struct StreamTag {
    enum class Kind { Xing, Info, Vbri };
    static constexpr int kTocEntries = 100;

    Kind kind = Kind::Xing;
    uint32_t frames = 0; // the audio frames after the tag frame; 0 when not given
    uint32_t bytes = 0;  // the stream's bytes, the tag frame included; 0 when not given
    std::optional<uint32_t> quality;
    std::optional<LameTag> lame;

    // The tag in a frame (`size` bytes of it at `frame`) where FFmpeg's MP3
    // demuxer looks for it: a Xing/Info tag right after the side information
    // (a CRC notwithstanding), a VBRI tag 32 bytes after the header.
    static std::optional<StreamTag> find(const uint8_t* frame, int size, const FrameHeader& header);

    // Whether decoders take the frame for a tag frame and skip it: FFmpeg
    // does only when it gives a frame or byte count.
    bool describesStream() const { return frames != 0 || bytes != 0; }

    // The bytes of a Xing/Info tag frame with this header (no CRC) and these
    // fields, the seek table, and the LAME extension with its CRC; nullopt
    // when the frame is too small for them.
    static std::optional<QByteArray> compose(const FrameHeader& header, Kind kind, uint32_t frames,
                                             uint32_t bytes,
                                             const std::array<uint8_t, kTocEntries>& toc,
                                             uint32_t quality, LameTag lame);
    // The bytes such a frame needs, the frame header included.
    static int composedBytes(const FrameHeader& header);
};

// CRC-16 with the polynomial 0x8005, bit-reversed, as the LAME extension uses
// for its own bytes and for the audio frames after it.
uint16_t crc16(const uint8_t* data, size_t size, uint16_t crc = 0);

} // namespace mpeg
