// SPDX-License-Identifier: GPL-3.0-or-later
#include "player/PreviewTesting.h"

#include "audio/AudioWriter.h"
#include "base/TimeCode.h"
#include "support/Media.h"

#include <cmath>
#include <cstring>

namespace previewtest {

namespace {

constexpr int kPeriod = 32000;

} // namespace

void writeIndexedWav(const QString& path, int seconds)
{
    const int total = seconds * kRate;
    SampleArray frames;
    frames.channels = 2;
    frames.rate = kRate;
    frames.samples.resize(static_cast<size_t>(total) * 2);
    for (int i = 0; i < total; ++i) {
        frames.samples[2 * size_t(i)] = static_cast<float>(i % kPeriod + 1) / 32768.0f;
        frames.samples[2 * size_t(i) + 1] = static_cast<float>(i / kPeriod + 1) / 32768.0f;
    }
    testsupport::writeWithOurWriter(
        path, frames, [](AudioWriter& w) { w.setWavFormat(kRate, 2, 16); }, kRate * 10);
}

std::vector<int> playedIndices(const QByteArray& raw)
{
    std::vector<int> out;
    const auto frames = raw.size() / static_cast<qsizetype>(2 * sizeof(float));
    for (qsizetype f = 0; f < frames; ++f) {
        float lr[2];
        std::memcpy(lr, raw.constData() + f * 2 * sizeof(float), sizeof lr);
        const int left = static_cast<int>(std::lround(lr[0] * 32768.0f));
        const int right = static_cast<int>(std::lround(lr[1] * 32768.0f));
        if (left == 0 && right == 0)
            continue;
        out.push_back((right - 1) * kPeriod + (left - 1));
    }
    return out;
}

std::vector<PlayedRun> runs(const std::vector<int>& indices)
{
    std::vector<PlayedRun> out;
    for (int i : indices) {
        if (!out.empty() && out.back().first + out.back().length == i)
            ++out.back().length;
        else
            out.push_back({i, 1});
    }
    return out;
}

std::optional<PreviewSource::Segment> JobListStandIn::segment(int fileRow, int segmentRow) const
{
    if (fileRow < 0 || fileRow >= fileCount())
        return std::nullopt;
    const auto& segments = entries[static_cast<size_t>(fileRow)].segments;
    if (segmentRow < 0 || segmentRow >= static_cast<int>(segments.size()))
        return std::nullopt;
    return segments[static_cast<size_t>(segmentRow)];
}

void JobListStandIn::startPlaying(int row)
{
    if (row < 0 || row >= statuses.size())
        return;
    beforePlaying = statuses[row];
    statuses[row] = QStringLiteral("Playing");
}

void JobListStandIn::endPlaying(int row)
{
    if (row >= 0 && row < statuses.size() && statuses[row] == QStringLiteral("Playing"))
        statuses[row] = beforePlaying;
}

void PanelElements::prepareFor(int seconds)
{
    const int max =
        timecode::SliderMaximum(int64_t{seconds} * 1000, timecode::kSliderMinimumFromFileDialog);
    pb.setRange(max, timecode::SliderThumbSize(max));
    pb.SetPosition(0);
}

} // namespace previewtest
