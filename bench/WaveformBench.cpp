// SPDX-License-Identifier: GPL-3.0-or-later
// How long the waveform of a ten-minute MP3 takes at the slider's width (the
// goal: under a second), and how soon a cancelled one gives the thread back.

#include "player/Waveform.h"

#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <QProcess>
#include <QTemporaryDir>

#include <thread>

namespace {

QString tenMinuteMp3(QTemporaryDir& dir)
{
    const QString path = dir.filePath("song.mp3");
    const QStringList args{
        "-v",   "error", "-y",  "-f", "lavfi", "-i",         "sine=frequency=220:sample_rate=44100",
        "-t",   "600",   "-ac", "2",  "-c:a",  "libmp3lame", "-b:a",
        "128k", path};
    return QProcess::execute("ffmpeg", args) == 0 ? path : QString();
}

void BM_TenMinuteMp3(benchmark::State& state)
{
    QTemporaryDir dir;
    const QString path = tenMinuteMp3(dir);
    if (path.isEmpty()) {
        state.SkipWithError("ffmpeg could not make the source");
        return;
    }
    std::atomic<bool> cancelled{false};
    for (auto _ : state)
        benchmark::DoNotOptimize(ComputePeaks(path, static_cast<int>(state.range(0)), cancelled));
}
BENCHMARK(BM_TenMinuteMp3)->Arg(444)->Arg(888)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_CancelledSoon(benchmark::State& state)
{
    QTemporaryDir dir;
    const QString path = tenMinuteMp3(dir);
    if (path.isEmpty()) {
        state.SkipWithError("ffmpeg could not make the source");
        return;
    }
    for (auto _ : state) {
        std::atomic<bool> cancelled{false};
        std::thread stop([&] { cancelled = true; });
        benchmark::DoNotOptimize(ComputePeaks(path, 444, cancelled));
        stop.join();
    }
}
BENCHMARK(BM_CancelledSoon)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    return 0;
}
