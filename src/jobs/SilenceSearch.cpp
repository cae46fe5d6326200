// SPDX-License-Identifier: GPL-3.0-or-later
#include "jobs/SilenceSearch.h"

#include "audio/AudioFile.h"
#include "jobs/SilencePlan.h"

#include <algorithm>
#include <cmath>

namespace {

// About 1.5 s at 44100 Hz: few calls into the reader, little memory.
constexpr int kReadFrames = 1 << 16;

// Typed or hand-edited lengths: NaN and negatives count as 0, and nothing
// longer than any source is kept, so the product always fits.
int64_t secondsToFrames(double seconds, int rate)
{
    constexpr double kLongest = 1e7;
    return seconds > 0 ? std::llround(std::min(seconds, kLongest) * rate) : 0;
}

} // namespace

std::optional<SilenceReport> FindSilences(const QString& path, const SilenceOptions& options,
                                          const SilenceProgress& progress)
{
    AudioFile reader;
    reader.SetEnabled(true);
    reader.OpenRead(path);
    SilenceReport report;
    report.rate = reader.GetSampleRate();
    report.frames = reader.GetSampleCount();
    SilenceDetector detector(report.rate, reader.GetChannels(), options.thresholdDb,
                             secondsToFrames(options.minSilenceSeconds, report.rate));
    for (;;) {
        const SampleArray block = reader.ReadBlock(kReadFrames);
        if (block.frames() <= 0)
            break;
        detector.feed(block.samples.data(), block.frames());
        if (progress && !progress(detector.framesSeen(), report.frames))
            return std::nullopt;
    }
    report.silences = detector.finish();
    // The reader's count is the length every job works with; a silence is
    // never reported past it.
    for (FrameRange& s : report.silences)
        s.end = std::min(s.end, report.frames);
    report.silences.removeIf([](const FrameRange& s) { return s.length() <= 0; });
    report.plan = PlanFromSilences(report.silences, report.frames, report.rate, options.dropSilence,
                                   secondsToFrames(options.minPieceSeconds, report.rate));
    return report;
}
