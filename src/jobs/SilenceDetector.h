// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QVector>
#include <cstdint>

// A stretch of a source's frames, begin included, end excluded.
struct FrameRange {
    int64_t begin = 0;
    int64_t end = 0;

    int64_t length() const { return end - begin; }
    friend bool operator==(const FrameRange&, const FrameRange&) = default;
};

// Finds the silences in a stream of interleaved float frames fed block by
// block, in memory that does not grow with the stream.
//
// The level is the RMS of each channel over a window of 50 ms, moved in
// steps of 5 ms, the louder channel counting, in dBFS (20·log10 of the RMS,
// full scale 1.0). A stretch is silent where every window inside it stays
// below the threshold. RMS rather than the sample peak, because the sources
// that people split at their silences are digitised tapes and records: tape
// hiss whose RMS is well below the threshold has peaks above it, and a
// single click in a gap would end the gap by its peak but barely moves the
// RMS of 50 ms. The found edges lie on the 5 ms steps, inside the true
// silence by less than one step, so a silence's middle is placed to better
// than 2.5 ms.
class SilenceDetector {
public:
    static constexpr int kStepMs = 5;
    static constexpr int kStepsPerWindow = 10;

    // Silences shorter than `minFrames` are not reported.
    SilenceDetector(int rate, int channels, double thresholdDb, int64_t minFrames);

    void feed(const float* interleaved, int frames);
    // Ends the stream; a silence that runs to its end counts when it is long
    // enough. Returns every silence found, in order.
    QVector<FrameRange> finish();

    int64_t framesSeen() const { return m_frames; }

private:
    void pushStep();
    void evaluateWindow();
    void closeSilence();

    int m_channels;
    int m_stepFrames;
    double m_limit; // squared linear threshold
    int64_t m_minFrames;

    // Sums of squares per channel: of the step being filled, and of the last
    // kStepsPerWindow closed steps (a ring), with their frame counts.
    QVector<double> m_stepSums;
    int m_stepFill = 0;
    QVector<double> m_ring;
    QVector<int> m_ringFrames;
    int m_ringNext = 0;
    int m_ringCount = 0;

    int64_t m_frames = 0;
    bool m_windowsSeen = false;
    bool m_inSilence = false;
    int64_t m_silenceBegin = 0;
    int64_t m_silenceEnd = 0;
    QVector<FrameRange> m_found;
};
