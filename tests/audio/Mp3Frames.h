// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The frames of an MP3 stream as the tests look at them, read with the
// program's own header parser: mode, CRC, emphasis, bitrate, the Xing/Info
// frame and the bit reservoir, to see in the stream what a writer was told.

#include "audio/mpeg/MpegHeader.h"
#include "audio/mpeg/StreamTag.h"

#include <QByteArray>
#include <algorithm>
#include <optional>
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
    std::vector<Mp3Frame> frames;
    const auto* d = reinterpret_cast<const uint8_t*>(data.constData());
    int pos = 0;
    while (pos + 4 <= data.size()) {
        const std::optional<mpeg::FrameHeader> h = mpeg::FrameHeader::parse(d + pos);
        if (!h || h->freeFormat())
            break;
        Mp3Frame f;
        f.offset = pos;
        f.length = h->frameBytes();
        f.version = h->version() == mpeg::Version::Mpeg1   ? 1
                    : h->version() == mpeg::Version::Mpeg2 ? 2
                                                           : 25;
        f.crc = h->hasCrc();
        f.kbps = h->kbps();
        f.rate = h->sampleRate();
        f.mode = h->channelMode();
        f.emphasis = h->emphasis();
        if (pos + h->sideInfoOffset() + 2 <= data.size())
            f.mainDataBegin = h->mainDataBegin(d + pos + h->sideInfoOffset());
        const int available = std::min<int>(f.length, static_cast<int>(data.size()) - pos);
        if (const auto tag = mpeg::StreamTag::find(d + pos, available, *h);
            tag && tag->kind != mpeg::StreamTag::Kind::Vbri) {
            f.tag = tag->kind == mpeg::StreamTag::Kind::Xing ? "Xing" : "Info";
            if (tag->lame && tag->lame->encoder().startsWith("LAME")) {
                f.lameMethod = tag->lame->bytes[9] & 15;
                f.lameLowpass = tag->lame->bytes[10] * 100;
                f.lameBitrate = tag->lame->bytes[20];
            }
        }
        frames.push_back(f);
        pos += f.length;
    }
    return frames;
}

} // namespace writertest
