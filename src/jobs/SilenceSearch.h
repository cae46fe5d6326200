// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "jobs/PiecePlan.h"
#include "jobs/SilenceDetector.h"

#include <QString>
#include <QVector>
#include <cstdint>
#include <functional>
#include <optional>

struct SilenceOptions {
    double thresholdDb = -50.0;     // quieter than this is silence (see SilenceDetector)
    double minSilenceSeconds = 2.0; // shorter quiet stretches are not gaps
    double minPieceSeconds = 10.0;  // shorter pieces are merged into a neighbour
    bool dropSilence = false;       // pieces without the silences between them
};

struct SilenceReport {
    int rate = 0;
    int64_t frames = 0;
    QVector<FrameRange> silences; // every silence found, whether it divides or not
    PiecePlan plan;
};

// Told after every block the frames read so far and the file's frame count;
// returns false to stop the search.
using SilenceProgress = std::function<bool(int64_t framesRead, int64_t frames)>;

// Decodes `path` once, block by block with a reader of its own, finds its
// silences and the pieces between them (PlanFromSilences). Returns nothing
// when `progress` stopped it; throws the reader's AudioError.
std::optional<SilenceReport> FindSilences(const QString& path, const SilenceOptions& options,
                                          const SilenceProgress& progress = {});
