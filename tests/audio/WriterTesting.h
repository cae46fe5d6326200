// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Shared by the writer tests: writing through AudioWriter, and lining up
// what an independent decoder made of it. Signals, media and the judges are
// in tests/support.

#include "audio/AudioWriter.h"
#include "audio/SampleArray.h"
#include "support/Judges.h"
#include "support/Media.h"
#include "support/TestSupport.h"

#include <QString>
#include <vector>

namespace writertest {

// Writes `frames` frames of tone in blocks of 4410 frames.
inline void writeTone(AudioWriter& writer, const QString& path, int rate, int channels, int frames,
                      double hz = 440.0)
{
    writer.setBlockFormat(rate, channels);
    writer.open(path);
    writer.setBlockFormat(rate, channels);
    for (int done = 0; done < frames;) {
        const int n = std::min(4410, frames - done);
        writer.write(testsupport::tone(rate, channels, n, hz, done));
        done += n;
    }
    writer.close();
}

// The offset (in frames) at which `decoded` best matches `reference` in its
// first channel, searched within +-range; both interleaved with `channels`.
inline int bestLag(const std::vector<float>& reference, const std::vector<float>& decoded,
                   int channels, int range, int from, int length)
{
    int best = 0;
    double bestScore = -1e300;
    for (int lag = -range; lag <= range; ++lag) {
        double score = 0;
        for (int i = from; i < from + length; ++i) {
            const long long j = i + lag;
            if (j < 0 || static_cast<size_t>(j * channels) >= decoded.size())
                continue;
            score += double(reference[static_cast<size_t>(i * channels)]) *
                     decoded[static_cast<size_t>(j * channels)];
        }
        if (score > bestScore) {
            bestScore = score;
            best = lag;
        }
    }
    return best;
}

} // namespace writertest
