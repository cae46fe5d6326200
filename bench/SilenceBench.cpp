// SPDX-License-Identifier: GPL-3.0-or-later
// The silence search on a one-hour MP3 against decoding the same file with
// the same reader (the goal: no slower than decoding it), in seconds and in
// times real time, with the silences it found.
//
//   vessimo_bench_silence [FILE]            both, one after the other
//   vessimo_bench_silence --decode FILE     decoding only, for timing from outside
//   vessimo_bench_silence --search FILE     the search only, for timing from outside
//
// Without FILE, a one-hour stereo MP3 (128 kbit/s, 44100 Hz) of tones with a
// 3 s gap every 3 minutes is made with the ffmpeg tool in a temporary folder;
// --make FILE makes it at FILE and ends, so that outside timings can share it.

#include "audio/AudioFile.h"
#include "jobs/SilenceSearch.h"

#include <QCoreApplication>
#include <QProcess>
#include <QTemporaryDir>

#include <chrono>
#include <cstdio>

namespace {

constexpr int kReadFrames = 1 << 16;

bool makeHour(const QString& path)
{
    std::fprintf(stderr, "making a one-hour MP3 at %s ...\n", qPrintable(path));
    const QStringList args{
        "-hide_banner", "-loglevel", "error", "-nostdin", "-y", "-f", "lavfi", "-i",
        // A tone whose pitch changes with every track; the first 3 s of
        // every 183 s are silent.
        "aevalsrc='if(lt(mod(t,183),3),0,0.3*sin(2*PI*(330+110*mod(floor(t/183),4))*t))':"
        "s=44100:d=3600",
        "-ac", "2", "-c:a", "libmp3lame", "-b:a", "128k", path};
    return QProcess::execute("ffmpeg", args) == 0;
}

double seconds(std::chrono::steady_clock::time_point since)
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - since).count();
}

// Decodes the whole file as the search does, without looking at the samples.
double decodeOnly(const QString& path, int64_t* frames)
{
    const auto start = std::chrono::steady_clock::now();
    AudioFile reader;
    reader.SetEnabled(true);
    reader.OpenRead(path);
    int64_t total = 0;
    for (;;) {
        const SampleArray block = reader.ReadBlock(kReadFrames);
        if (block.frames() <= 0)
            break;
        total += block.frames();
    }
    *frames = total;
    return seconds(start);
}

double search(const QString& path, SilenceReport* report)
{
    const auto start = std::chrono::steady_clock::now();
    *report = FindSilences(path, SilenceOptions{}).value();
    return seconds(start);
}

void printSilences(const SilenceReport& report)
{
    std::printf("silences found: %lld; pieces: %lld\n",
                static_cast<long long>(report.silences.size()),
                static_cast<long long>(report.plan.pieces.size()));
    for (qsizetype i = 0; i < std::min<qsizetype>(report.silences.size(), 3); ++i) {
        std::printf("  %.4f s - %.4f s\n",
                    static_cast<double>(report.silences[i].begin) / report.rate,
                    static_cast<double>(report.silences[i].end) / report.rate);
    }
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments().mid(1);
    try {
        if (args.size() == 2 && args[0] == "--make")
            return makeHour(args[1]) ? 0 : 1;
        if (args.size() == 2 && args[0] == "--decode") {
            int64_t frames = 0;
            const double s = decodeOnly(args[1], &frames);
            std::printf("decode: %.3f s for %lld frames\n", s, static_cast<long long>(frames));
            return 0;
        }
        if (args.size() == 2 && args[0] == "--search") {
            SilenceReport report;
            const double s = search(args[1], &report);
            std::printf("search: %.3f s\n", s);
            printSilences(report);
            return 0;
        }
        if (args.size() > 1) {
            std::fprintf(stderr,
                         "usage: vessimo_bench_silence [--make|--decode|--search] [FILE]\n");
            return 2;
        }
        QTemporaryDir dir;
        const QString path = args.isEmpty() ? dir.filePath("hour.mp3") : args[0];
        if (args.isEmpty() && !makeHour(path)) {
            std::fprintf(stderr, "ffmpeg could not make the source\n");
            return 1;
        }
        int64_t frames = 0;
        SilenceReport report;
        const double decode = decodeOnly(path, &frames);
        const double found = search(path, &report);
        const double length = static_cast<double>(frames) / std::max(1, report.rate);
        std::printf("source: %.1f s of audio\n", length);
        std::printf("decode only:    %7.3f s  (%6.1f × real time)\n", decode, length / decode);
        std::printf("silence search: %7.3f s  (%6.1f × real time), %.3f × decoding\n", found,
                    length / found, found / decode);
        printSilences(report);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "%s\n", e.what());
        return 1;
    }
    return 0;
}
