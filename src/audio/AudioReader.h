// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "audio/SampleArray.h"

#include <QString>
#include <cstdint>
#include <memory>

// A decoded source file. Recognises MP3/MP2, WAV, WMA and Ogg Vorbis by
// content; ".raw" is 16-bit signed little-endian PCM at 44100 Hz stereo and
// ".vox" Dialogic (OKI) ADPCM at 8000 Hz mono. The sample count is exact (the
// frames that reading through from 0 delivers) and seeking is frame-exact.
class AudioReader {
public:
    // Throws AudioError naming the file and the cause.
    static std::unique_ptr<AudioReader> open(const QString& path);
    virtual ~AudioReader() = default;

    virtual QString formatName() const = 0; // "mp3", "mp2", "wav", "wma", "ogg", "raw", "vox"
    virtual int64_t sampleCount() const = 0;
    virtual int channels() const = 0;
    virtual int sampleRate() const = 0;
    // sampleCount × 1000 ÷ sampleRate, truncated.
    int64_t durationMs() const;

    // The next read starts at that frame of the source.
    virtual void seek(int64_t frame) = 0;
    // At most `frames` frames (in the block format); an empty array at the end.
    virtual SampleArray read(int frames) = 0;
    // Converts everything read afterwards to this rate and channel count.
    virtual void setBlockFormat(int rate, int channels) = 0;
};
