#include "player/PreviewTesting.h"

#include "audio/AudioFile.h"
#include "base/TimeCode.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QThread>

#include <cmath>
#include <cstring>

namespace previewtest {

namespace {

constexpr int kPeriod = 32000;

} // namespace

void writeIndexedWav(const QString& path, int seconds)
{
    AudioFile writer;
    writer.SetEnabled(true);
    writer.SetWavFormat(kRate, 2, 16);
    writer.SetBlockFormat(kRate, 2);
    writer.OpenWrite(path);
    writer.SetBlockFormat(kRate, 2);
    const int total = seconds * kRate;
    for (int from = 0; from < total; from += kRate * 10) {
        SampleArray block;
        block.channels = 2;
        block.rate = kRate;
        const int frames = std::min(kRate * 10, total - from);
        block.samples.resize(static_cast<size_t>(frames) * 2);
        for (int f = 0; f < frames; ++f) {
            const int i = from + f;
            block.samples[2 * f] = static_cast<float>(i % kPeriod + 1) / 32768.0f;
            block.samples[2 * f + 1] = static_cast<float>(i / kPeriod + 1) / 32768.0f;
        }
        writer.WriteBlock(block);
    }
    writer.Close();
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

bool waitUntil(const std::function<bool()>& done, int ms)
{
    QElapsedTimer timer;
    timer.start();
    while (!done()) {
        if (timer.elapsed() > ms)
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        QThread::msleep(2);
    }
    return true;
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
