// SPDX-License-Identifier: GPL-3.0-or-later
// Encoding speed of the writer per output format, in times realtime (seconds
// of audio encoded per second of wall time), and the bare LAME calls for
// comparison, which show what the writer's own classes cost per block.
//
//   vessimo_bench_encode [--benchmark_filter=Mp3]

#include "audio/AudioWriter.h"
#include "audio/SampleArray.h"
#include "audio/encoders/Mp3EncoderSettings.h"

#include <benchmark/benchmark.h>
#include <lame/lame.h>

#include <QDir>
#include <QTemporaryDir>
#include <cmath>
#include <cstdio>
#include <functional>

namespace {

constexpr int kRate = 44100;
constexpr int kSeconds = 10;
constexpr int kBlockFrames = 4410; // the block size the cut and join jobs use

// Ten seconds of a chord with a little noise, in stereo blocks.
const std::vector<SampleArray>& input()
{
    static const std::vector<SampleArray> blocks = [] {
        std::vector<SampleArray> result;
        uint32_t state = 1;
        for (int start = 0; start < kRate * kSeconds; start += kBlockFrames) {
            SampleArray b{std::vector<float>(2 * kBlockFrames), 2, kRate};
            for (int i = 0; i < kBlockFrames; ++i) {
                const double t = double(start + i) / kRate;
                state = state * 1664525u + 1013904223u;
                const double n = (double(state >> 8) / double(1 << 24) - 0.5) * 0.05;
                const double x = 0.2 * std::sin(2 * M_PI * 220 * t) +
                                 0.15 * std::sin(2 * M_PI * 277 * t) +
                                 0.1 * std::sin(2 * M_PI * 330 * t) + n;
                b.samples[size_t(2 * i)] = float(x);
                b.samples[size_t(2 * i + 1)] = float(0.8 * x);
            }
            result.push_back(std::move(b));
        }
        return result;
    }();
    return blocks;
}

void encodeWith(benchmark::State& state, const std::function<void(AudioWriter&)>& select,
                const char* extension)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QString("bench.") + extension);
    AudioWriter writer;
    for (auto _ : state) {
        select(writer);
        writer.setBlockFormat(kRate, 2);
        writer.open(path);
        for (const SampleArray& block : input())
            writer.write(block);
        writer.close();
    }
    state.counters["x_realtime"] = benchmark::Counter(double(kSeconds) * double(state.iterations()),
                                                      benchmark::Counter::kIsRate);
}

void BM_Mp3Cbr128Q5(benchmark::State& state)
{
    Mp3EncoderSettings settings; // 44.1 kHz stereo, CBR 128, quality 5
    encodeWith(
        state, [&](AudioWriter& w) { w.setMp3Encoder(settings); }, "mp3");
}

void BM_OggFixed128(benchmark::State& state)
{
    encodeWith(
        state, [](AudioWriter& w) { w.setOggFormat(kRate, 2, 128, 0, 0, -1); }, "ogg");
}

void BM_OggManaged128(benchmark::State& state)
{
    encodeWith(
        state, [](AudioWriter& w) { w.setOggFormat(kRate, 2, 128, 64, 192, -1); }, "ogg");
}

void BM_OggQuality300(benchmark::State& state)
{
    encodeWith(
        state, [](AudioWriter& w) { w.setOggFormat(kRate, 2, 0, 0, 0, 300); }, "ogg");
}

void BM_Wav16(benchmark::State& state)
{
    encodeWith(
        state, [](AudioWriter& w) { w.setWavFormat(kRate, 2, 16); }, "wav");
}

void BM_WmaProfile10(benchmark::State& state)
{
    encodeWith(
        state, [](AudioWriter& w) { w.setWmaProfile(10); }, "wma");
}

// The same MP3 encoding as BM_Mp3Cbr128Q5 with LAME called directly on the
// same blocks (deinterleaved, as the writer hands them to LAME) and written to
// a file: the difference is the cost of the writer's classes.
void BM_Mp3BareLame(benchmark::State& state)
{
    QTemporaryDir dir;
    const QByteArray path = QDir(dir.path()).filePath("bare.mp3").toLocal8Bit();
    std::vector<float> left(kBlockFrames), right(kBlockFrames);
    std::vector<unsigned char> out(kBlockFrames + kBlockFrames / 4 + 7200);
    for (auto _ : state) {
        lame_t gf = lame_init();
        lame_set_in_samplerate(gf, kRate);
        lame_set_out_samplerate(gf, kRate);
        lame_set_num_channels(gf, 2);
        lame_set_mode(gf, STEREO);
        lame_set_brate(gf, 128);
        lame_set_quality(gf, 5);
        lame_set_write_id3tag_automatic(gf, 0);
        lame_init_params(gf);
        std::FILE* f = std::fopen(path.constData(), "wb");
        for (const SampleArray& block : input()) {
            for (int i = 0; i < kBlockFrames; ++i) {
                left[size_t(i)] = block.samples[size_t(2 * i)];
                right[size_t(i)] = block.samples[size_t(2 * i + 1)];
            }
            const int n = lame_encode_buffer_ieee_float(gf, left.data(), right.data(), kBlockFrames,
                                                        out.data(), int(out.size()));
            std::fwrite(out.data(), 1, size_t(n), f);
        }
        const int n = lame_encode_flush(gf, out.data(), int(out.size()));
        std::fwrite(out.data(), 1, size_t(n), f);
        unsigned char tag[2880];
        const size_t t = lame_get_lametag_frame(gf, tag, sizeof tag);
        std::fseek(f, 0, SEEK_SET);
        std::fwrite(tag, 1, t, f);
        std::fclose(f);
        lame_close(gf);
    }
    state.counters["x_realtime"] = benchmark::Counter(double(kSeconds) * double(state.iterations()),
                                                      benchmark::Counter::kIsRate);
}

} // namespace

BENCHMARK(BM_Mp3Cbr128Q5)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Mp3BareLame)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_OggFixed128)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_OggManaged128)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_OggQuality300)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Wav16)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_WmaProfile10)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
