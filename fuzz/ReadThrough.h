// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "audio/AudioReader.h"

#include <cstdlib>
#include <vector>

// What every reader promises, checked on whatever a fuzzed file makes of it:
// the sample count is what reading through from the start delivers, and a
// seek followed by reading delivers what reading through gave from there.
namespace readthrough {

// The whole source from the reader's position, in blocks of `block` frames
// of `channels` samples each: the source's channels, or the block format's
// once one is set.
inline std::vector<float> readAll(AudioReader& reader, int block, int channels)
{
    std::vector<float> all;
    for (;;) {
        const SampleArray a = reader.read(block);
        if (a.samples.empty())
            return all;
        if (a.samples.size() % size_t(channels) != 0)
            std::abort();
        all.insert(all.end(), a.samples.begin(), a.samples.end());
    }
}

// `positions` chooses the seek targets; any bytes do.
inline void check(AudioReader& reader, const uint8_t* positions, size_t count)
{
    const int channels = reader.channels();
    const std::vector<float> whole = readAll(reader, 4096, channels);
    const int64_t frames = int64_t(whole.size()) / channels;
    if (frames != reader.sampleCount())
        std::abort();
    for (size_t i = 0; i + 1 < count && i < 8; i += 2) {
        const int64_t target =
            frames > 0 ? (int64_t(positions[i]) << 8 | positions[i + 1]) % (frames + 1) : 0;
        reader.seek(target);
        const std::vector<float> rest = readAll(reader, 1 + positions[i] % 1000, channels);
        if (rest.size() != whole.size() - size_t(target) * size_t(channels) ||
            !std::equal(rest.begin(), rest.end(), whole.begin() + target * channels))
            std::abort();
    }
}

} // namespace readthrough
