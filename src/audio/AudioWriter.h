// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "audio/SampleArray.h"

#include <QString>
#include <memory>

class Mp3EncoderSettings;

// Writes one output file in the format last selected, converting the blocks
// it receives (in the block format) to the output format.
class AudioWriter {
public:
    AudioWriter();
    ~AudioWriter();

    void setWavFormat(int rate, int channels, int bitsPerSample);
    void setWmaProfile(int profile); // 1 .. 47
    void setOggFormat(int rate, int channels, int kbps, int minKbps, int maxKbps, int quality);
    void setMp3Encoder(const Mp3EncoderSettings& settings);
    void setBlockFormat(int rate, int channels);

    // Throws AudioError naming the file and the cause.
    void open(const QString& path);
    bool isOpen() const;
    void write(const SampleArray& block);
    // Completes the output file (headers, tag frames, trailing packets).
    void close();
    // Drops the open output unfinished: nothing is left under its name, and a
    // file that was there stays as it was.
    void abandon() noexcept;

    static bool checkMp3Format(int rate, int kbps, int channelMode);
    static bool checkOggFormat(int rate, int channels, int kbps, int minKbps, int maxKbps);

private:
    struct Impl;
    std::unique_ptr<Impl> d;
};
