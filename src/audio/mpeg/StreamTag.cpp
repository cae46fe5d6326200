// SPDX-License-Identifier: GPL-3.0-or-later
#include "audio/mpeg/StreamTag.h"

#include <algorithm>
#include <cstring>

namespace mpeg {

namespace {

constexpr uint32_t kFramesFlag = 1;
constexpr uint32_t kBytesFlag = 2;
constexpr uint32_t kTocFlag = 4;
constexpr uint32_t kQualityFlag = 8;
// The LAME extension's own CRC covers the frame up to this field.
constexpr int kLameCrcField = 34;
constexpr int kLameMusicLength = 28;
constexpr int kLameMusicCrc = 32;

uint32_t be32(const uint8_t* p)
{
    return uint32_t(p[0]) << 24 | uint32_t(p[1]) << 16 | uint32_t(p[2]) << 8 | p[3];
}

void putBe32(uint8_t* p, uint32_t v)
{
    p[0] = uint8_t(v >> 24);
    p[1] = uint8_t(v >> 16);
    p[2] = uint8_t(v >> 8);
    p[3] = uint8_t(v);
}

void putBe16(uint8_t* p, uint16_t v)
{
    p[0] = uint8_t(v >> 8);
    p[1] = uint8_t(v);
}

// Eight tables, one per byte of an eight-byte step: the CRC of a long
// stream (the whole music of a piece) is then eight bytes per lookup round.
using CrcTables = std::array<std::array<uint16_t, 256>, 8>;

CrcTables crcTables()
{
    CrcTables t{};
    for (uint32_t i = 0; i < 256; ++i) {
        uint32_t c = i;
        for (int k = 0; k < 8; ++k)
            c = c & 1 ? (c >> 1) ^ 0xA001 : c >> 1;
        t[0][i] = static_cast<uint16_t>(c);
    }
    for (size_t k = 1; k < t.size(); ++k)
        for (size_t i = 0; i < 256; ++i)
            t[k][i] = static_cast<uint16_t>(t[k - 1][i] >> 8 ^ t[0][t[k - 1][i] & 0xFF]);
    return t;
}

} // namespace

uint16_t crc16(const uint8_t* data, size_t size, uint16_t crc)
{
    static const CrcTables t = crcTables();
    size_t i = 0;
    for (; i + 8 <= size; i += 8) {
        const uint8_t* d = data + i;
        crc = t[7][(crc ^ d[0]) & 0xFF] ^ t[6][(crc >> 8 ^ d[1]) & 0xFF] ^ t[5][d[2]] ^ t[4][d[3]] ^
              t[3][d[4]] ^ t[2][d[5]] ^ t[1][d[6]] ^ t[0][d[7]];
    }
    for (; i < size; ++i)
        crc = static_cast<uint16_t>(crc >> 8 ^ t[0][(crc ^ data[i]) & 0xFF]);
    return crc;
}

QByteArray LameTag::encoder() const
{
    const auto* name = reinterpret_cast<const char*>(bytes.data());
    return QByteArray(name, static_cast<qsizetype>(strnlen(name, 9)));
}

bool LameTag::gapless() const
{
    const QByteArray name = encoder().left(4);
    return name == "LAME" || name == "Lavf" || name == "Lavc";
}

LameTag LameTag::standard()
{
    LameTag tag;
    const char name[] = "LAME3.100";
    std::copy(name, name + 9, tag.bytes.begin());
    return tag;
}

void LameTag::setMusicCrc(uint16_t crc)
{
    putBe16(bytes.data() + kLameMusicCrc, crc);
}

void LameTag::clearLoudness()
{
    std::fill(bytes.begin() + 11, bytes.begin() + 19, uint8_t(0));
}

void LameTag::setDelayAndPadding(int delay, int padding)
{
    bytes[21] = uint8_t(delay >> 4);
    bytes[22] = uint8_t((delay & 15) << 4 | padding >> 8);
    bytes[23] = uint8_t(padding);
}

std::optional<StreamTag> StreamTag::find(const uint8_t* frame, int size, const FrameHeader& header)
{
    if (header.layer() != 3)
        return std::nullopt;
    std::optional<StreamTag> found;
    int at = 4 + header.sideInfoBytes();
    if (at + 8 <= size && (!memcmp(frame + at, "Xing", 4) || !memcmp(frame + at, "Info", 4))) {
        StreamTag tag;
        tag.kind = frame[at] == 'X' ? Kind::Xing : Kind::Info;
        const uint32_t flags = be32(frame + at + 4);
        at += 8;
        const auto field = [&](uint32_t flag, int bytes) -> std::optional<uint32_t> {
            if (!(flags & flag))
                return std::nullopt;
            if (at + bytes > size) {
                at = size;
                return std::nullopt;
            }
            const uint32_t value = bytes == 4 ? be32(frame + at) : 0;
            at += bytes;
            return value;
        };
        tag.frames = field(kFramesFlag, 4).value_or(0);
        tag.bytes = field(kBytesFlag, 4).value_or(0);
        field(kTocFlag, kTocEntries);
        tag.quality = field(kQualityFlag, 4);
        if (at + LameTag::kBytes <= size) {
            LameTag lame;
            std::copy(frame + at, frame + at + LameTag::kBytes, lame.bytes.begin());
            tag.lame = lame;
        }
        found = tag;
    }
    constexpr int kVbri = 4 + 32;
    if (kVbri + 18 <= size && !memcmp(frame + kVbri, "VBRI", 4) && frame[kVbri + 4] == 0 &&
        frame[kVbri + 5] == 1) {
        StreamTag tag;
        tag.kind = Kind::Vbri;
        tag.bytes = be32(frame + kVbri + 10);
        tag.frames = be32(frame + kVbri + 14);
        found = tag;
    }
    return found;
}

int StreamTag::composedBytes(const FrameHeader& header)
{
    return 4 + header.sideInfoBytes() + 8 + 4 + 4 + kTocEntries + 4 + LameTag::kBytes;
}

std::optional<QByteArray> StreamTag::compose(const FrameHeader& header, Kind kind, uint32_t frames,
                                             uint32_t bytes,
                                             const std::array<uint8_t, kTocEntries>& toc,
                                             uint32_t quality, LameTag lame)
{
    const int size = header.frameBytes();
    if (kind == Kind::Vbri || header.layer() != 3 || header.hasCrc() ||
        size < composedBytes(header))
        return std::nullopt;
    QByteArray frame(size, '\0');
    auto* d = reinterpret_cast<uint8_t*>(frame.data());
    putBe32(d, header.word());
    int at = 4 + header.sideInfoBytes();
    memcpy(d + at, kind == Kind::Info ? "Info" : "Xing", 4);
    putBe32(d + at + 4, kFramesFlag | kBytesFlag | kTocFlag | kQualityFlag);
    putBe32(d + at + 8, frames);
    putBe32(d + at + 12, bytes);
    std::copy(toc.begin(), toc.end(), d + at + 16);
    putBe32(d + at + 16 + kTocEntries, quality);
    at += 16 + kTocEntries + 4;
    putBe32(lame.bytes.data() + kLameMusicLength, bytes);
    std::copy(lame.bytes.begin(), lame.bytes.end(), d + at);
    putBe16(d + at + kLameCrcField, crc16(d, size_t(at + kLameCrcField)));
    return frame;
}

} // namespace mpeg
