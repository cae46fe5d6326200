// SPDX-License-Identifier: GPL-3.0-or-later
#include "jobs/SilenceDetector.h"

#include <algorithm>
#include <cmath>
#include <utility>

namespace {

// Adds the squares of `frames` interleaved frames to each channel's sum. For
// the usual channel counts, eight independent float lanes that the compiler
// turns into vector instructions (lane j belongs to channel j mod channels);
// a step holds a few hundred frames, far too few for float to lose anything
// that matters against a threshold.
void addSquares(const float* s, int frames, int channels, double* sums)
{
    constexpr int kLanes = 8;
    const int count = frames * channels;
    int i = 0;
    if (kLanes % channels == 0) {
        float lanes[kLanes] = {};
        for (; i + kLanes <= count; i += kLanes) {
            for (int j = 0; j < kLanes; ++j)
                lanes[j] += s[i + j] * s[i + j];
        }
        for (int j = 0; j < kLanes; ++j)
            sums[j % channels] += lanes[j];
    }
    // The rest starts on a frame: i is a multiple of 8 and so of channels.
    for (; i < count; i += channels) {
        for (int c = 0; c < channels; ++c)
            sums[c] += double{s[i + c]} * s[i + c];
    }
}

} // namespace

SilenceDetector::SilenceDetector(int rate, int channels, double thresholdDb, int64_t minFrames)
    : m_channels(std::max(1, channels)),
      m_stepFrames(std::max(1, static_cast<int>(int64_t{rate} * kStepMs / 1000))),
      m_limit(std::pow(10.0, thresholdDb / 10.0)), m_minFrames(std::max<int64_t>(1, minFrames)),
      m_stepSums(m_channels, 0.0), m_ring(kStepsPerWindow * m_channels, 0.0),
      m_ringFrames(kStepsPerWindow, 0)
{
}

void SilenceDetector::feed(const float* interleaved, int frames)
{
    const float* s = interleaved;
    int left = std::max(0, frames);
    while (left > 0) {
        const int n = std::min(left, m_stepFrames - m_stepFill);
        addSquares(s, n, m_channels, m_stepSums.data());
        s += static_cast<ptrdiff_t>(n) * m_channels;
        m_stepFill += n;
        m_frames += n;
        left -= n;
        if (m_stepFill == m_stepFrames) {
            pushStep();
            if (m_ringCount == kStepsPerWindow)
                evaluateWindow();
        }
    }
}

void SilenceDetector::pushStep()
{
    std::copy(m_stepSums.cbegin(), m_stepSums.cend(), m_ring.begin() + m_ringNext * m_channels);
    m_ringFrames[m_ringNext] = m_stepFill;
    m_ringNext = (m_ringNext + 1) % kStepsPerWindow;
    m_ringCount = std::min(m_ringCount + 1, kStepsPerWindow);
    std::fill(m_stepSums.begin(), m_stepSums.end(), 0.0);
    m_stepFill = 0;
}

void SilenceDetector::evaluateWindow()
{
    int64_t windowFrames = 0;
    for (int k = 0; k < m_ringCount; ++k)
        windowFrames += m_ringFrames[k];
    bool silent = true;
    for (int c = 0; c < m_channels && silent; ++c) {
        double sum = 0.0;
        for (int k = 0; k < m_ringCount; ++k)
            sum += m_ring[k * m_channels + c];
        // Not below: NaN samples count as sound.
        silent = sum < m_limit * static_cast<double>(windowFrames);
    }
    m_windowsSeen = true;
    const int64_t windowBegin = m_frames - windowFrames;
    if (silent) {
        if (!m_inSilence) {
            m_inSilence = true;
            m_silenceBegin = windowBegin;
        }
        m_silenceEnd = m_frames;
    } else {
        closeSilence();
    }
}

void SilenceDetector::closeSilence()
{
    if (m_inSilence && m_silenceEnd - m_silenceBegin >= m_minFrames)
        m_found.append(FrameRange{m_silenceBegin, m_silenceEnd});
    m_inSilence = false;
}

QVector<FrameRange> SilenceDetector::finish()
{
    // The last window ends with the stream, so that a silence running to
    // the end reaches it; a stream shorter than one window is one window.
    if (m_stepFill > 0) {
        pushStep();
        evaluateWindow();
    } else if (!m_windowsSeen && m_ringCount > 0) {
        evaluateWindow();
    }
    closeSilence();
    return std::exchange(m_found, {});
}
