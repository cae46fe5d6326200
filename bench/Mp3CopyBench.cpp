// SPDX-License-Identifier: GPL-3.0-or-later
// How long copying a one-hour MP3 into 60-second pieces takes, without
// re-encoding: indexing the frames once, then writing every piece, as a cut
// would. Prints the wall time of each step and the process's peak memory.
//
//   vessimo_bench_mp3copy [SOURCE.mp3] [OUTPUT_FOLDER]
//
// Without a source, a one-hour 128 kbit/s LAME file is made once (ffmpeg and
// lame) in the temporary folder and kept for the next runs; the pieces go to
// a temporary folder that is removed afterwards. The yardstick is
//   ffmpeg -i SOURCE -c copy -f segment -segment_time 60 OUTPUT/%03d.mp3
// timed the same way from outside (neither exact nor reservoir-safe).

#include "audio/mpeg/Mp3PieceWriter.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>

#include <cstdio>
#include <sys/resource.h>

namespace {

constexpr int kPieceSeconds = 60;

QString makeSource()
{
    const QString path = QDir::temp().filePath("vessimo-bench-hour.mp3");
    if (QFileInfo(path).size() > 0)
        return path;
    std::printf("making %s (one hour, lame -b 128) once ...\n", qPrintable(path));
    std::fflush(stdout);
    const QString partial = path + ".part";
    QProcess decode;
    QProcess encode;
    decode.setStandardOutputProcess(&encode);
    decode.start("ffmpeg",
                 {"-v", "error", "-nostdin", "-f", "lavfi", "-i",
                  "aevalsrc=sin(2*PI*t*(220+110*sin(t/7)))*0.4|sin(2*PI*t*330)*0.3:s=44100:d=3600",
                  "-f", "wav", "-"});
    encode.start("lame", {"--quiet", "-b", "128", "-", partial});
    decode.waitForFinished(-1);
    encode.waitForFinished(-1);
    if (decode.exitCode() != 0 || encode.exitCode() != 0 || !QFile::rename(partial, path)) {
        QFile::remove(partial);
        return {};
    }
    return path;
}

long peakKilobytes()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    const QString source = args.size() > 1 ? args[1] : makeSource();
    if (source.isEmpty()) {
        std::fprintf(stderr, "ffmpeg and lame could not make the source file\n");
        return 1;
    }
    QTemporaryDir scratch;
    const QString out = args.size() > 2 ? args[2] : scratch.path();
    QDir().mkpath(out);

    try {
        QElapsedTimer clock;
        clock.start();
        const Mp3PieceWriter writer(source);
        const qint64 indexed = clock.elapsed();
        const int64_t count = writer.sampleCount();
        const int64_t piece = int64_t(kPieceSeconds) * writer.sampleRate();
        int pieces = 0;
        for (int64_t at = 0; at < count; at += piece)
            writer.write(
                at, std::min(count, at + piece),
                QDir(out).filePath(
                    QStringLiteral("piece_%1.mp3").arg(++pieces, 3, 10, QLatin1Char('0'))));
        const qint64 total = clock.elapsed();
        std::printf("%s: %.1f min, %.1f MB\n", qPrintable(source),
                    double(count) / writer.sampleRate() / 60, QFileInfo(source).size() / 1e6);
        std::printf("index   %6lld ms\n", static_cast<long long>(indexed));
        std::printf("copy    %6lld ms  (%d pieces of %d s)\n",
                    static_cast<long long>(total - indexed), pieces, kPieceSeconds);
        std::printf("total   %6lld ms\n", static_cast<long long>(total));
        std::printf("peak    %6.1f MB resident\n", peakKilobytes() / 1024.0);
    } catch (const Error& e) {
        std::fprintf(stderr, "%s\n", e.what());
        return 1;
    }
    return 0;
}
