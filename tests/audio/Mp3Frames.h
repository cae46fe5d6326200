#pragma once

// A reader of MPEG audio frame headers, to see in the stream what the MP3
// writer was told: mode, CRC, emphasis, bitrate, the Xing/Info frame and the
// bit reservoir.

#include <QByteArray>
#include <vector>

namespace writertest {

struct Mp3Frame {
    int offset = 0;
    int length = 0;
    int version = 0; // 1 MPEG-1, 2 MPEG-2, 25 MPEG-2.5
    int kbps = 0;
    int rate = 0;
    bool crc = false;
    int mode = 0; // 0 stereo, 1 joint, 2 dual, 3 mono
    int emphasis = 0;
    int mainDataBegin = 0;
    QByteArray tag; // "Xing", "Info" or empty
    // From the LAME tag after the Xing/Info header: the VBR method (1 CBR,
    // 2 ABR, 3 and up VBR), the low-pass frequency in Hz (0: none) and the
    // ABR bitrate or VBR minimum.
    int lameMethod = 0;
    int lameLowpass = 0;
    int lameBitrate = 0;
};

inline std::vector<Mp3Frame> mp3Frames(const QByteArray& data)
{
    static const int kbps1[] = {0, 32, 40, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320};
    static const int kbps2[] = {0, 8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160};
    static const int rates1[] = {44100, 48000, 32000};
    std::vector<Mp3Frame> frames;
    const auto* d = reinterpret_cast<const unsigned char*>(data.constData());
    int pos = 0;
    while (pos + 4 <= data.size()) {
        if (d[pos] != 0xFF || (d[pos + 1] & 0xE0) != 0xE0)
            break;
        Mp3Frame f;
        f.offset = pos;
        const int versionBits = (d[pos + 1] >> 3) & 3;
        f.version = versionBits == 3 ? 1 : versionBits == 2 ? 2 : 25;
        f.crc = (d[pos + 1] & 1) == 0;
        const int bitrateIndex = d[pos + 2] >> 4;
        const int rateIndex = (d[pos + 2] >> 2) & 3;
        const int padding = (d[pos + 2] >> 1) & 1;
        if (bitrateIndex == 0 || bitrateIndex == 15 || rateIndex == 3)
            break;
        f.kbps = f.version == 1 ? kbps1[bitrateIndex] : kbps2[bitrateIndex];
        f.rate = rates1[rateIndex] / (f.version == 1 ? 1 : f.version == 2 ? 2 : 4);
        f.mode = d[pos + 3] >> 6;
        f.emphasis = d[pos + 3] & 3;
        f.length = (f.version == 1 ? 144000 : 72000) * f.kbps / f.rate + padding;
        const int side = pos + 4 + (f.crc ? 2 : 0);
        if (side + 2 <= data.size())
            f.mainDataBegin = f.version == 1 ? (d[side] << 1) | (d[side + 1] >> 7) : d[side];
        const int sideLength = f.version == 1 ? (f.mode == 3 ? 17 : 32) : (f.mode == 3 ? 9 : 17);
        // LAME puts the tag right after the side information, CRC or not.
        for (int at : {pos + 4 + sideLength, side + sideLength}) {
            const QByteArray id = data.mid(at, 4);
            if (id != "Xing" && id != "Info")
                continue;
            f.tag = id;
            const int lame = data.indexOf("LAME", at);
            if (lame > 0 && lame + 21 <= pos + f.length) {
                f.lameMethod = d[lame + 9] & 15;
                f.lameLowpass = d[lame + 10] * 100;
                f.lameBitrate = d[lame + 20];
            }
            break;
        }
        frames.push_back(f);
        pos += f.length;
    }
    return frames;
}

} // namespace writertest
