// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// One output file being encoded. The writer hands it planar float frames in
// the output format (rate and channels already converted).
class AudioEncoder {
public:
    virtual ~AudioEncoder() = default;

    virtual int sampleRate() const = 0;
    virtual int channels() const = 0;

    // planes[c][i] is frame i of channel c, nominally within -1 .. 1.
    virtual void encode(const float* const* planes, int frames) = 0;
    // Drains the encoder and completes the file (headers, tag frames). The
    // encoder is unusable afterwards. Throws AudioError.
    virtual void finish() = 0;
};
