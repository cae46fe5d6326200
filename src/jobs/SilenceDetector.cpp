#include "jobs/SilenceDetector.h"

#include <algorithm>
#include <cmath>
#include <utility>

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
        double* sums = m_stepSums.data();
        if (m_channels == 2) {
            double l = sums[0];
            double r = sums[1];
            for (int f = 0; f < n; ++f, s += 2) {
                l += double{s[0]} * s[0];
                r += double{s[1]} * s[1];
            }
            sums[0] = l;
            sums[1] = r;
        } else {
            for (int f = 0; f < n; ++f) {
                for (int c = 0; c < m_channels; ++c, ++s)
                    sums[c] += double{*s} * *s;
            }
        }
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
