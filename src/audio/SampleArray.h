// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <vector>

// One block of interleaved 32-bit float frames. Its upper bound is the element
// count minus one, so a stereo block of F frames has upper bound 2F - 1 and an
// empty block (no data left) has -1.
struct SampleArray {
    std::vector<float> samples;
    int channels = 0;
    int rate = 0;

    int upperBound() const { return static_cast<int>(samples.size()) - 1; }
    int frames() const { return channels > 0 ? static_cast<int>(samples.size()) / channels : 0; }
};
