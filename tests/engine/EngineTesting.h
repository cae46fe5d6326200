// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Shared by the engine tests: their usual sources, and a pump that stops.
// The judges of what the jobs wrote are in tests/support.

#include "engine/JobPumps.h"
#include "support/Judges.h"
#include "support/Media.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <QString>
#include <QStringList>
#include <atomic>
#include <cstdint>
#include <functional>
#include <vector>

namespace enginetest {

using namespace testsupport;

// A tone source (sines at an eighth of full scale) of `seconds` (fractions allowed) at `rate` with
// `channels`, encoded by ffmpeg as the extension of `path` says (16-bit PCM for ".wav"). The two
// channels differ so that a swapped or mixed channel shows.
inline void makeSource(const QString& path, double seconds, int rate = 44100, int channels = 2,
                       const QStringList& codec = {})
{
    testsupport::makeAudio(path,
                           {.seconds = seconds,
                            .rate = rate,
                            .channels = channels,
                            .wave = testsupport::Sound::Wave::TwoSines},
                           codec);
}

// Noise-like 16-bit PCM (every bit pattern matters for a lossless check).
inline void makeNoiseWav(const QString& path, double seconds, int rate = 44100, int channels = 2)
{
    testsupport::makeAudio(path, {.seconds = seconds,
                                  .rate = rate,
                                  .channels = channels,
                                  .wave = testsupport::Sound::Wave::Noise});
}

// An MP3 made by lame from a WAV, with its LAME tag (so decoders trim the
// encoder's delay and padding); 128 kbit/s unless `options` say otherwise.
inline void makeLameMp3(const QString& wav, const QString& mp3,
                        const QStringList& options = {"-b", "128"})
{
    testsupport::encodeWithLame(wav, mp3, options);
}

// A pump without a window whose stop flag a test raises from the progress
// it sees, as Ctrl-C would in the middle of a piece.
struct StoppingPump {
    std::atomic<bool> stop{false};
    std::vector<std::pair<int64_t, int64_t>> calls;
    std::function<bool(int64_t, int64_t)> stopWhen; // raise the flag when true
    StopFlagPump pump{stop, [this](int64_t done, int64_t total) {
                          calls.emplace_back(done, total);
                          if (stopWhen && stopWhen(done, total))
                              stop = true;
                      }};
};

} // namespace enginetest
