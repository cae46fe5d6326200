// SPDX-License-Identifier: GPL-3.0-or-later
#include "audio/AudioTransform.h"

void AudioTransform::Fade(SampleArray& block, float fromPercent, float toPercent)
{
    const int frames = block.frames();
    if (frames == 0)
        return;
    const int channels = block.channels;
    const double from = fromPercent / 100.0;
    const double to = toPercent / 100.0;
    if (frames == 1) {
        const auto gain = static_cast<float>((from + to) / 2);
        for (float& s : block.samples)
            s *= gain;
        return;
    }
    // The gain of each frame is computed from its index rather than by
    // adding a step, so that the last frame lands exactly on `to`.
    const double span = to - from;
    const double last = frames - 1;
    float* s = block.samples.data();
    for (int i = 0; i < frames; ++i) {
        const auto gain = static_cast<float>(from + span * (i / last));
        for (int c = 0; c < channels; ++c)
            *s++ *= gain;
    }
}
