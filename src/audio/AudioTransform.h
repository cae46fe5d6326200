// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "audio/SampleArray.h"

// The transform component: gain ramps over blocks of samples.
class AudioTransform {
public:
    // Scales the block in place by a gain that runs linearly from
    // `fromPercent` at its first frame to `toPercent` at its last, the same
    // for every channel of a frame. A block of one frame is both first and
    // last: it gets the ramp's mean, (from + to) / 2, so that a one-frame
    // fade in and a one-frame fade out treat it alike.
    static void Fade(SampleArray& block, float fromPercent, float toPercent);
};
