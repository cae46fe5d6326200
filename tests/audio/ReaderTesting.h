// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "audio/AudioReader.h"

#include <vector>

namespace readertest {

// Everything the reader delivers from where it stands to the end, in blocks
// of 4096 frames, interleaved.
inline std::vector<float> readToEnd(AudioReader& reader)
{
    std::vector<float> all;
    for (;;) {
        const SampleArray a = reader.read(4096);
        if (a.frames() == 0)
            return all;
        all.insert(all.end(), a.samples.begin(), a.samples.end());
    }
}

} // namespace readertest
