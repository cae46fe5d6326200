// SPDX-License-Identifier: GPL-3.0-or-later
#include "engine/FadeEnvelope.h"

#include "audio/AudioTransform.h"
#include "audio/SampleArray.h"

#include <algorithm>
#include <limits>

namespace {

// The gain in percent of frame `index` of a ramp over `length` frames:
// rising from 0 at its first frame to 100 at its last, or falling the other
// way. A ramp of one frame is at its end at once.
float rampGain(int64_t index, int64_t length, bool rising)
{
    if (length <= 1)
        return rising ? 100.0f : 0.0f;
    const double x = std::clamp(double(index) / double(length - 1), 0.0, 1.0);
    return static_cast<float>(100.0 * (rising ? x : 1.0 - x));
}

} // namespace

FadeEnvelope FadeEnvelope::over(int64_t total, int64_t fadeIn, int64_t fadeOut)
{
    FadeEnvelope e;
    total = std::max<int64_t>(total, 0);
    e.m_fadeIn = std::clamp<int64_t>(fadeIn, 0, total);
    e.m_fadeOut = std::clamp<int64_t>(fadeOut, 0, total);
    e.m_fadeOutStart = total - e.m_fadeOut;
    return e;
}

int64_t FadeEnvelope::nextEdge(int64_t position) const
{
    int64_t edge = std::numeric_limits<int64_t>::max();
    if (m_fadeIn > 0 && position < m_fadeIn)
        edge = m_fadeIn;
    if (m_fadeOut > 0 && position < m_fadeOutStart)
        edge = std::min(edge, m_fadeOutStart);
    return edge;
}

void FadeEnvelope::apply(SampleArray& block, int64_t position) const
{
    const int64_t last = position + block.frames() - 1;
    if (block.frames() <= 0)
        return;
    // Through the transform component, one ramp at a time: each is linear
    // over the block, so the two passes multiply frame by frame.
    if (m_fadeIn > 0 && position < m_fadeIn)
        AudioTransform::Fade(block, rampGain(position, m_fadeIn, true),
                             rampGain(last, m_fadeIn, true));
    if (fadesOut(position))
        AudioTransform::Fade(block, rampGain(position - m_fadeOutStart, m_fadeOut, false),
                             rampGain(last - m_fadeOutStart, m_fadeOut, false));
}
