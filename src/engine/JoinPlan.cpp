// SPDX-License-Identifier: GPL-3.0-or-later
#include "engine/JoinPlan.h"

#include "base/TimeCode.h"
#include "engine/CutPlan.h"
#include "engine/FrameMath.h"
#include "settings/Options.h"

#include <algorithm>

JoinVariant joinVariantOf(segmentplan::Choice choice)
{
    switch (choice) {
    case segmentplan::Custom:
        return JoinVariant::Custom;
    case segmentplan::EverySeconds:
    case segmentplan::EqualCount:
        break;
    case segmentplan::Unification:
        return JoinVariant::Unified;
    }
    return JoinVariant::Whole;
}

namespace {

QVector<JoinPart> partsOf(JoinVariant variant, const JoinSource& source, const JobFile& first,
                          int targetRate)
{
    const int64_t N = source.frames;
    const int64_t L = source.durationMs;
    QVector<JoinPart> parts;
    auto add = [&](int row, int64_t D, int64_t F) {
        D = std::clamp<int64_t>(D, 0, N);
        F = std::clamp<int64_t>(F, D, N);
        JoinPart p;
        p.row = row;
        p.start = D;
        p.sourceFrames = F - D;
        p.outputFrames = source.rate == targetRate
                             ? p.sourceFrames
                             : framemath::ScaleHalfEven(p.sourceFrames, targetRate, source.rate);
        parts.push_back(p);
    };
    if (variant == JoinVariant::Whole) {
        add(0, 0, N);
        return parts;
    }
    const JobFile& list = variant == JoinVariant::Custom ? source.file : first;
    for (int j = 0; j < list.segments.size(); ++j)
        add(j, list.segments[j].begin.frameIn(N, L), list.segments[j].end.frameIn(N, L));
    return parts;
}

int64_t fadeFrames(bool on, int seconds, const JoinSource& first)
{
    return on ? timecode::Scale64(int64_t(seconds) * 1000, first.frames, first.durationMs) : 0;
}

} // namespace

JoinPlan planJoin(JoinVariant variant, const QVector<JoinSource>& sources, const Options& options)
{
    JoinPlan plan;
    if (sources.isEmpty())
        return plan;
    const JoinSource& first = sources.first();
    plan.rate = first.rate;
    plan.channels = first.channels;
    for (const JoinSource& source : sources) {
        JoinFilePlan file;
        file.rate = source.rate;
        file.parts = partsOf(variant, source, first.file, plan.rate);
        for (const JoinPart& p : file.parts) {
            plan.expectedTotal += p.sourceFrames;
            plan.expectedOutput += p.outputFrames;
        }
        plan.files.push_back(file);
    }
    plan.fades = FadeEnvelope::over(plan.expectedOutput,
                                    fadeFrames(options.fadeIn, options.fadeInSeconds, first),
                                    fadeFrames(options.fadeOut, options.fadeOutSeconds, first));
    return plan;
}
