#pragma once

#include <QString>
#include <cstdint>
#include <optional>

// What the first frame of an MPEG audio file says about the whole stream: the
// Xing/Info header (frame and byte counts) and the LAME tag (encoder delay
// and padding). With these the exact length is known without reading on.
struct Mp3Info {
    int samplesPerFrame = 0;
    int sampleRate = 0;
    int64_t firstFrameOffset = 0;
    bool hasXing = false;
    bool hasVbri = false;
    int64_t xingFrames = -1;     // audio frames after the tag frame, -1 if absent
    int64_t xingBytes = -1;      // stream bytes including the tag frame, -1 if absent
    bool hasGaplessInfo = false; // a LAME tag whose delay and padding decoders apply
    int encoderDelay = 0;
    int encoderPadding = 0;

    // Scans the start of the file; nullopt when no MPEG audio frame is found.
    static std::optional<Mp3Info> read(const QString& path);

    // Frames a decoder delivers for `frames` audio frames when it cuts the
    // delay and padding of the LAME tag the way libavformat does: the
    // decoder's own delay of 529 samples is always cut at the start, and the
    // padding only where it exceeds that.
    int64_t deliveredFrames(int64_t frames) const;
};

// Size of the tags at the end of a file (ID3v1, APEv2) that are not audio.
int64_t trailingTagBytes(const QString& path);
