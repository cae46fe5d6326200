#pragma once

// Shared by the engine tests: sources made by ffmpeg and lame, and ffmpeg
// as the independent judge of what the jobs wrote.

#include "engine/JobPumps.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <QCryptographicHash>
#include <QFile>
#include <QString>
#include <QStringList>
#include <atomic>
#include <cstdint>
#include <cstring>
#include <functional>
#include <vector>

namespace enginetest {

// A tone source (sines at an eighth of full scale) of `seconds` (fractions allowed) at `rate` with
// `channels`, encoded by ffmpeg as the extension of `path` says (16-bit PCM for ".wav"). The two
// channels differ so that a swapped or mixed channel shows.
inline void makeSource(const QString& path, double seconds, int rate = 44100, int channels = 2,
                       const QStringList& codec = {})
{
    QStringList args{"-f",
                     "lavfi",
                     "-i",
                     QStringLiteral("sine=frequency=440:sample_rate=%1:duration=%2")
                         .arg(rate)
                         .arg(seconds, 0, 'f', 4),
                     "-f",
                     "lavfi",
                     "-i",
                     QStringLiteral("sine=frequency=660:sample_rate=%1:duration=%2")
                         .arg(rate)
                         .arg(seconds, 0, 'f', 4)};
    if (channels == 2)
        args += {"-filter_complex", "[0:a][1:a]amerge=inputs=2[a]", "-map", "[a]"};
    else
        args += {"-map", "0:a"};
    args += {"-ac", QString::number(channels), "-ar", QString::number(rate)};
    if (codec.isEmpty() && path.endsWith(".wav"))
        args += {"-c:a", "pcm_s16le"};
    args += codec;
    args << path;
    testsupport::ffmpeg(args);
}

// Noise-like 16-bit PCM (every bit pattern matters for a lossless check).
inline void makeNoiseWav(const QString& path, double seconds, int rate = 44100, int channels = 2)
{
    testsupport::ffmpeg({"-f", "lavfi", "-i",
                         QStringLiteral("anoisesrc=color=white:sample_rate=%1:duration=%2:seed=7")
                             .arg(rate)
                             .arg(seconds, 0, 'f', 4),
                         "-ac", QString::number(channels), "-c:a", "pcm_s16le", path});
}

// An MP3 made by lame from a WAV, with its LAME tag (so decoders trim the
// encoder's delay and padding); 128 kbit/s unless `options` say otherwise.
inline void makeLameMp3(const QString& wav, const QString& mp3,
                        const QStringList& options = {"-b", "128"})
{
    const testsupport::ProcessResult r =
        testsupport::run("lame", QStringList{"--quiet"} + options + QStringList{wav, mp3});
    ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
}

// What ffmpeg decodes of a file as interleaved 16-bit samples at its own
// rate and channel count.
inline QByteArray decodePcm16(const QString& path)
{
    const testsupport::ProcessResult r =
        testsupport::run("ffmpeg", {"-hide_banner", "-loglevel", "error", "-nostdin", "-i", path,
                                    "-f", "s16le", "-acodec", "pcm_s16le", "-"});
    return r.exitCode == 0 ? r.out : QByteArray();
}

inline int channelsOf(const QString& path)
{
    const testsupport::ProcessResult r =
        testsupport::run("ffprobe", {"-v", "error", "-select_streams", "a:0", "-show_entries",
                                     "stream=channels", "-of", "csv=p=0", path});
    return r.out.trimmed().toInt();
}

inline int rateOf(const QString& path)
{
    const testsupport::ProcessResult r =
        testsupport::run("ffprobe", {"-v", "error", "-select_streams", "a:0", "-show_entries",
                                     "stream=sample_rate", "-of", "csv=p=0", path});
    return r.out.trimmed().toInt();
}

// Frames ffmpeg decodes from a file.
inline int64_t decodedFrames(const QString& path)
{
    const int channels = channelsOf(path);
    return channels > 0 ? decodePcm16(path).size() / (2 * channels) : -1;
}

// The samples of one channel as numbers.
inline std::vector<int16_t> samples(const QByteArray& pcm)
{
    std::vector<int16_t> out(static_cast<size_t>(pcm.size()) / 2);
    std::memcpy(out.data(), pcm.constData(), out.size() * 2);
    return out;
}

// Peak of |sample| over frames [from, to) of interleaved 16-bit data.
inline int peak(const std::vector<int16_t>& s, int channels, int64_t from, int64_t to)
{
    int p = 0;
    for (int64_t i = from * channels; i < to * channels && i < int64_t(s.size()); ++i)
        p = std::max(p, std::abs(int(s[size_t(i)])));
    return p;
}

inline QByteArray md5(const QString& path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    QCryptographicHash h(QCryptographicHash::Md5);
    h.addData(&f);
    return h.result();
}

// A tag as ffprobe reads it: from the container (ID3, ASF) or, for Ogg,
// from the stream's comments.
inline QString ffprobeTag(const QString& path, const QString& tag)
{
    const testsupport::ProcessResult r = testsupport::run(
        "ffprobe", {"-v", "error", "-show_entries", "format_tags=" + tag + ":stream_tags=" + tag,
                    "-of", "default=nw=1:nk=1", path});
    return QString::fromUtf8(r.out).split('\n').first().trimmed();
}

// The frames of an Ogg Vorbis file as its last granule position says.
// ffmpeg's decoder drops the first 128 frames of very short Vorbis streams
// (its own encodings included), so decoding is no exact judge for them.
inline int64_t oggFrames(const QString& path)
{
    const testsupport::ProcessResult r =
        testsupport::run("ffprobe", {"-v", "error", "-select_streams", "a:0", "-show_entries",
                                     "stream=duration_ts", "-of", "csv=p=0", path});
    return r.exitCode == 0 ? r.out.trimmed().toLongLong() : -1;
}

// A pump without a window whose stop flag a test raises from the progress
// it sees, as Ctrl-C would in the middle of a piece.
struct StoppingPump {
    std::atomic<bool> stop{false};
    std::vector<std::pair<int64_t, int64_t>> calls;
    std::function<bool(int64_t, int64_t)> stopWhen; // raise the flag when true
    StopFlagPump pump{stop, [this](int64_t done, int64_t total) {
                          calls.emplace_back(done, total);
                          if (stopWhen && stopWhen(done, total))
                              stop = true;
                      }};
};

} // namespace enginetest
