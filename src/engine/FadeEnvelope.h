// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>

struct SampleArray;

// The fades of one output, in its own frames: a fade-in over its first
// frames and a fade-out over its last. A frame's gain follows from its place
// in the output alone, so an output written in blocks of any size, or a join
// written part by part, gets the same ramps. Both ramps are linear from the
// fade's first frame to its last; a frame that lies in both (fades that
// overlap on a short output) gets the product of the two gains.
class FadeEnvelope {
public:
    // No fades.
    FadeEnvelope() = default;
    // A fade-in over the first `fadeIn` frames of an output of `total`
    // frames and a fade-out over its last `fadeOut`; a fade longer than the
    // output covers all of it, and one of 0 frames or less is none.
    static FadeEnvelope over(int64_t total, int64_t fadeIn, int64_t fadeOut);

    int64_t fadeInFrames() const { return m_fadeIn; }
    int64_t fadeOutStart() const { return m_fadeOutStart; }
    int64_t fadeOutFrames() const { return m_fadeOut; }

    // Where a block that begins at `position` has to end at the latest: the
    // next place after it where a ramp begins or ends (a block lies on one
    // stretch of each ramp, so that its gains run linearly from its first
    // frame to its last). INT64_MAX when no such place follows.
    int64_t nextEdge(int64_t position) const;
    // Gives the frames of `block`, which begins at output frame `position`
    // and ends no later than nextEdge(position), their gains.
    void apply(SampleArray& block, int64_t position) const;

    // Whether the fade-out covers `position`.
    bool fadesOut(int64_t position) const { return m_fadeOut > 0 && position >= m_fadeOutStart; }

private:
    int64_t m_fadeIn = 0;
    int64_t m_fadeOutStart = 0;
    int64_t m_fadeOut = 0;
};
