// SPDX-License-Identifier: GPL-3.0-or-later
// Decode speed of AudioReader per format, in times real time, and the cost of
// our reader classes per block over a bare libavformat/libavcodec/libswresample
// loop that does the same work (decode, convert to interleaved float). Opening
// (with the exact count) is measured on its own and left out of both loops.
//
//   vessimo_decode_bench [--benchmark_filter=...]
//
// The inputs (about 60 s each) are generated with the ffmpeg tool into a
// temporary folder at start.

#include "audio/AudioReader.h"
#include "audio/FfmpegPtr.h"

#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <cstdio>
#include <vector>

namespace {

constexpr int kSeconds = 60;
constexpr int kBlockFrames = 4096;

QTemporaryDir* folder = nullptr;

struct Input {
    const char* name;
    QStringList codec;
};

const std::vector<Input> inputs = {
    {"wav", {"-c:a", "pcm_s16le"}},
    {"mp3", {"-c:a", "libmp3lame", "-b:a", "128k"}},
    {"mp2", {"-c:a", "mp2", "-b:a", "192k"}},
    {"ogg", {"-c:a", "libvorbis", "-q:a", "4"}},
    {"wma", {"-c:a", "wmav2", "-b:a", "128k"}},
    {"raw", {"-f", "s16le", "-c:a", "pcm_s16le"}},
};

QString inputPath(const QString& name)
{
    return folder->filePath("input." + name);
}

bool generate()
{
    folder = new QTemporaryDir;
    for (const Input& in : inputs) {
        QStringList args{"-hide_banner",
                         "-loglevel",
                         "error",
                         "-nostdin",
                         "-y",
                         "-f",
                         "lavfi",
                         "-i",
                         QStringLiteral("aevalsrc=sin(440*2*PI*t)*0.4+sin(t*t*50)*0.3|"
                                        "sin(330*2*PI*t)*0.5:s=44100:d=%1")
                             .arg(kSeconds)};
        args += in.codec;
        args << inputPath(in.name);
        if (QProcess::execute("ffmpeg", args) != 0) {
            std::fprintf(stderr, "ffmpeg failed for %s\n", in.name);
            return false;
        }
    }
    // VOX cannot be made by ffmpeg; any bytes are valid ADPCM.
    QFile vox(inputPath("vox"));
    if (!vox.open(QIODevice::WriteOnly))
        return false;
    QByteArray bytes(8000 * kSeconds / 2, '\0');
    for (qsizetype i = 0; i < bytes.size(); ++i)
        bytes[i] = static_cast<char>((i * 2654435761u) >> 13);
    vox.write(bytes);
    return true;
}

// Opening includes the exact count (headers, packets, or decoding through).
void BM_Open(benchmark::State& state, const QString& format)
{
    for (auto _ : state) {
        auto reader = AudioReader::open(inputPath(format));
        benchmark::DoNotOptimize(reader->sampleCount());
    }
}

void BM_Decode(benchmark::State& state, const QString& format)
{
    double audioSeconds = 0;
    for (auto _ : state) {
        state.PauseTiming();
        auto reader = AudioReader::open(inputPath(format));
        state.ResumeTiming();
        int64_t frames = 0;
        for (;;) {
            const SampleArray block = reader->read(kBlockFrames);
            if (block.upperBound() <= 0)
                break;
            frames += block.frames();
        }
        audioSeconds += static_cast<double>(frames) / reader->sampleRate();
    }
    state.counters["x_realtime"] = benchmark::Counter(audioSeconds, benchmark::Counter::kIsRate);
}

// The same work with bare library calls: demux, decode, convert each frame to
// interleaved float into a block buffer.
void BM_BareFfmpeg(benchmark::State& state, const QString& format)
{
    double audioSeconds = 0;
    for (auto _ : state) {
        state.PauseTiming();
        AVFormatContext* raw = nullptr;
        avformat_open_input(&raw, QFile::encodeName(inputPath(format)).constData(), nullptr,
                            nullptr);
        ffmpeg::InputContextPtr input(raw);
        avformat_find_stream_info(input.get(), nullptr);
        const int index = av_find_best_stream(input.get(), AVMEDIA_TYPE_AUDIO, -1, -1, nullptr, 0);
        AVStream* stream = input->streams[index];
        const AVCodec* codec = avcodec_find_decoder(stream->codecpar->codec_id);
        ffmpeg::CodecContextPtr decoder(avcodec_alloc_context3(codec));
        avcodec_parameters_to_context(decoder.get(), stream->codecpar);
        decoder->pkt_timebase = stream->time_base;
        avcodec_open2(decoder.get(), codec, nullptr);
        SwrContext* s = nullptr;
        swr_alloc_set_opts2(&s, &decoder->ch_layout, AV_SAMPLE_FMT_FLT, decoder->sample_rate,
                            &decoder->ch_layout, decoder->sample_fmt, decoder->sample_rate, 0,
                            nullptr);
        ffmpeg::SwrPtr swr(s);
        swr_init(swr.get());
        const int channels = decoder->ch_layout.nb_channels;
        std::vector<float> block(static_cast<size_t>(kBlockFrames) * channels);
        ffmpeg::PacketPtr packet(av_packet_alloc());
        ffmpeg::FramePtr frame(av_frame_alloc());
        int64_t frames = 0;
        bool draining = false;
        state.ResumeTiming();
        for (;;) {
            const int rc = avcodec_receive_frame(decoder.get(), frame.get());
            if (rc == 0) {
                for (int done = 0; done < frame->nb_samples;) {
                    const int n = std::min(kBlockFrames, frame->nb_samples - done);
                    const uint8_t* in[8] = {};
                    const bool planar = av_sample_fmt_is_planar(decoder->sample_fmt);
                    const int stride =
                        av_get_bytes_per_sample(decoder->sample_fmt) * (planar ? 1 : channels);
                    for (int p = 0; p < (planar ? channels : 1); ++p)
                        in[p] = frame->extended_data[p] + done * stride;
                    auto* out = reinterpret_cast<uint8_t*>(block.data());
                    swr_convert(swr.get(), &out, kBlockFrames, in, n);
                    done += n;
                }
                frames += frame->nb_samples;
                benchmark::DoNotOptimize(block.data());
                continue;
            }
            if (rc == AVERROR_EOF || (rc != AVERROR(EAGAIN)))
                break;
            if (draining)
                break;
            if (av_read_frame(input.get(), packet.get()) < 0) {
                avcodec_send_packet(decoder.get(), nullptr);
                draining = true;
                continue;
            }
            if (packet->stream_index == index)
                avcodec_send_packet(decoder.get(), packet.get());
            av_packet_unref(packet.get());
        }
        audioSeconds += static_cast<double>(frames) / decoder->sample_rate;
    }
    state.counters["x_realtime"] = benchmark::Counter(audioSeconds, benchmark::Counter::kIsRate);
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    if (!generate())
        return 1;
    for (const char* format : {"wav", "mp3", "mp2", "ogg", "wma", "raw", "vox"}) {
        const QString f = QString::fromLatin1(format);
        benchmark::RegisterBenchmark((std::string("Decode/") + format).c_str(), BM_Decode, f)
            ->Unit(benchmark::kMillisecond)
            ->MeasureProcessCPUTime()
            ->UseRealTime();
        benchmark::RegisterBenchmark((std::string("Open/") + format).c_str(), BM_Open, f)
            ->Unit(benchmark::kMillisecond);
        if (f != "raw" && f != "vox")
            benchmark::RegisterBenchmark((std::string("BareFfmpeg/") + format).c_str(),
                                         BM_BareFfmpeg, f)
                ->Unit(benchmark::kMillisecond)
                ->MeasureProcessCPUTime()
                ->UseRealTime();
    }
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    delete folder;
    return 0;
}
