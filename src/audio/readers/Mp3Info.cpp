#include "audio/readers/Mp3Info.h"

#include <QFile>
#include <array>

namespace {

struct FrameHeader {
    int version = 0; // 1 MPEG-1, 2 MPEG-2, 25 MPEG-2.5
    int layer = 0;
    int bitrate = 0; // kbps
    int sampleRate = 0;
    int channels = 0;
    int length = 0; // bytes
    int samplesPerFrame = 0;
};

uint32_t be32(const uchar* p)
{
    return uint32_t(p[0]) << 24 | uint32_t(p[1]) << 16 | uint32_t(p[2]) << 8 | p[3];
}

bool parseHeader(uint32_t h, FrameHeader& out)
{
    if ((h >> 21) != 0x7FF)
        return false;
    const int versionBits = (h >> 19) & 3;
    const int layerBits = (h >> 17) & 3;
    const int bitrateIndex = (h >> 12) & 15;
    const int rateIndex = (h >> 10) & 3;
    if (versionBits == 1 || layerBits == 0 || bitrateIndex == 0 || bitrateIndex == 15 ||
        rateIndex == 3)
        return false;
    static constexpr std::array<std::array<int, 15>, 5> kBitrates{{
        {0, 32, 64, 96, 128, 160, 192, 224, 256, 288, 320, 352, 384, 416, 448}, // MPEG-1 L1
        {0, 32, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320, 384},    // MPEG-1 L2
        {0, 32, 40, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320},     // MPEG-1 L3
        {0, 32, 48, 56, 64, 80, 96, 112, 128, 144, 160, 176, 192, 224, 256},    // MPEG-2 L1
        {0, 8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160},         // MPEG-2 L2, L3
    }};
    static constexpr std::array<int, 3> kRates{44100, 48000, 32000};
    out.version = versionBits == 3 ? 1 : versionBits == 2 ? 2 : 25;
    out.layer = 4 - layerBits;
    const int table = out.version == 1 ? out.layer - 1 : out.layer == 1 ? 3 : 4;
    out.bitrate = kBitrates[table][bitrateIndex];
    out.sampleRate = kRates[rateIndex] / (out.version == 1 ? 1 : out.version == 2 ? 2 : 4);
    out.channels = ((h >> 6) & 3) == 3 ? 1 : 2;
    const int padding = (h >> 9) & 1;
    if (out.layer == 1) {
        out.samplesPerFrame = 384;
        out.length = (12 * out.bitrate * 1000 / out.sampleRate + padding) * 4;
    } else {
        out.samplesPerFrame = out.layer == 3 && out.version != 1 ? 576 : 1152;
        out.length = out.samplesPerFrame / 8 * out.bitrate * 1000 / out.sampleRate + padding;
    }
    return true;
}

// Skips ID3v2 tags at the start; returns the offset of the first byte after them.
int64_t skipId3v2(const QByteArray& data)
{
    int64_t pos = 0;
    while (pos + 10 <= data.size() && data.mid(pos, 3) == "ID3") {
        const auto* p = reinterpret_cast<const uchar*>(data.constData() + pos);
        const int64_t size =
            (p[6] & 0x7F) << 21 | (p[7] & 0x7F) << 14 | (p[8] & 0x7F) << 7 | (p[9] & 0x7F);
        pos += 10 + size + ((p[5] & 0x10) ? 10 : 0);
    }
    return pos;
}

} // namespace

std::optional<Mp3Info> Mp3Info::read(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    QByteArray head = file.read(10);
    int64_t start = 0;
    // Large ID3v2 tags (pictures) are skipped without reading them.
    while (head.size() == 10 && head.startsWith("ID3")) {
        start += skipId3v2(head);
        file.seek(start);
        head = file.read(10);
    }
    file.seek(start);
    const QByteArray data = file.read(128 * 1024);
    const auto* bytes = reinterpret_cast<const uchar*>(data.constData());
    for (int64_t i = 0; i + 4 <= data.size(); ++i) {
        FrameHeader first;
        if (!parseHeader(be32(bytes + i), first))
            continue;
        // A sync word is only trusted when the next frame follows it.
        const int64_t next = i + first.length;
        FrameHeader second;
        if (next + 4 <= data.size() &&
            (!parseHeader(be32(bytes + next), second) || second.version != first.version ||
             second.layer != first.layer || second.sampleRate != first.sampleRate))
            continue;

        Mp3Info info;
        info.samplesPerFrame = first.samplesPerFrame;
        info.sampleRate = first.sampleRate;
        info.firstFrameOffset = start + i;
        const int sideInfo =
            first.version == 1 ? (first.channels == 1 ? 17 : 32) : (first.channels == 1 ? 9 : 17);
        int64_t tag = i + 4 + sideInfo;
        if (tag + 8 <= data.size() && (data.mid(tag, 4) == "Xing" || data.mid(tag, 4) == "Info")) {
            info.hasXing = true;
            const uint32_t flags = be32(bytes + tag + 4);
            int64_t p = tag + 8;
            auto field = [&](uint32_t bit, int size) -> int64_t {
                if (!(flags & bit) || p + size > data.size())
                    return -1;
                const int64_t value = size == 4 ? be32(bytes + p) : 0;
                p += size;
                return value;
            };
            info.xingFrames = field(1, 4);
            info.xingBytes = field(2, 4);
            field(4, 100); // seek table
            field(8, 4);   // quality
            if (p + 24 <= data.size()) {
                const QByteArray encoder = data.mid(p, 4);
                if (encoder == "LAME" || encoder == "Lavf" || encoder == "Lavc") {
                    const uchar* d = bytes + p + 21;
                    info.hasGaplessInfo = true;
                    info.encoderDelay = d[0] << 4 | d[1] >> 4;
                    info.encoderPadding = (d[1] & 0x0F) << 8 | d[2];
                }
            }
        } else if (i + 4 + 32 + 4 <= data.size() && data.mid(i + 4 + 32, 4) == "VBRI") {
            info.hasVbri = true;
        }
        return info;
    }
    return std::nullopt;
}

int64_t Mp3Info::deliveredFrames(int64_t frames) const
{
    constexpr int kDecoderDelay = 529;
    const int64_t total = frames * samplesPerFrame;
    if (!hasGaplessInfo)
        return total;
    const int64_t endCut = std::max<int64_t>(encoderPadding - kDecoderDelay, 0);
    return std::max<int64_t>(total - encoderDelay - kDecoderDelay - endCut, 0);
}

int64_t trailingTagBytes(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return 0;
    int64_t end = file.size();
    int64_t tags = 0;
    if (end >= 128) {
        file.seek(end - 128);
        if (file.read(3) == "TAG") {
            tags += 128;
            end -= 128;
        }
    }
    if (end >= 32) {
        file.seek(end - 32);
        const QByteArray footer = file.read(32);
        if (footer.startsWith("APETAGEX")) {
            const auto* f = reinterpret_cast<const uchar*>(footer.constData());
            const int64_t size = f[12] | f[13] << 8 | f[14] << 16 | int64_t(f[15]) << 24;
            const bool header = f[23] & 0x80;
            tags += size + (header ? 32 : 0);
        }
    }
    return tags;
}
