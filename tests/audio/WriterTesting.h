#pragma once

// Shared by the writer tests: generated input, writing through AudioWriter,
// and ffprobe/ffmpeg as the independent judge of what was written.

#include "audio/AudioWriter.h"
#include "audio/SampleArray.h"
#include "support/Decoding.h"
#include "support/TestSupport.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QString>
#include <cmath>
#include <cstring>
#include <vector>

namespace writertest {

// A sine of `hz` at half scale, the same in every channel but with the
// channel index as a phase offset so that channels differ.
inline SampleArray tone(int rate, int channels, int frames, double hz = 440.0, int start = 0)
{
    SampleArray block;
    block.rate = rate;
    block.channels = channels;
    block.samples.resize(static_cast<size_t>(frames) * static_cast<size_t>(channels));
    for (int i = 0; i < frames; ++i)
        for (int c = 0; c < channels; ++c)
            block.samples[static_cast<size_t>(i * channels + c)] =
                static_cast<float>(0.5 * std::sin(2 * M_PI * hz * (start + i) / rate + c));
    return block;
}

// A sweep from 200 Hz upwards at half scale, the same in every channel: its
// correlation has one clear peak, which shows where a decoded file starts.
inline SampleArray chirp(int rate, int channels, int frames)
{
    SampleArray block;
    block.rate = rate;
    block.channels = channels;
    block.samples.resize(static_cast<size_t>(frames) * static_cast<size_t>(channels));
    const double seconds = double(frames) / rate;
    for (int i = 0; i < frames; ++i) {
        const double t = double(i) / rate;
        const double phase = 2 * M_PI * (200 * t + 1500 * t * t / seconds);
        for (int c = 0; c < channels; ++c)
            block.samples[static_cast<size_t>(i * channels + c)] =
                static_cast<float>(0.5 * std::sin(phase));
    }
    return block;
}

// White noise at a third of full scale, the same on every run: the hardest
// input for an encoder, so bitrate bounds show.
inline SampleArray noise(int rate, int channels, int frames)
{
    SampleArray block;
    block.rate = rate;
    block.channels = channels;
    block.samples.resize(static_cast<size_t>(frames) * static_cast<size_t>(channels));
    uint32_t state = 12345;
    for (float& x : block.samples) {
        state = state * 1664525u + 1013904223u;
        x = static_cast<float>((double(state >> 8) / double(1 << 24) - 0.5) * 0.66);
    }
    return block;
}

// Writes `frames` frames of tone in blocks of 4410 frames.
inline void writeTone(AudioWriter& writer, const QString& path, int rate, int channels, int frames,
                      double hz = 440.0)
{
    writer.setBlockFormat(rate, channels);
    writer.open(path);
    writer.setBlockFormat(rate, channels);
    for (int done = 0; done < frames;) {
        const int n = std::min(4410, frames - done);
        writer.write(tone(rate, channels, n, hz, done));
        done += n;
    }
    writer.close();
}

struct StreamInfo {
    QString codec;
    int rate = 0;
    int channels = 0;
    long long bitRate = 0;
    QString sampleFormat;
    int bitsPerSample = 0;
    QString channelLayout;
    double duration = 0;
};

inline StreamInfo probe(const QString& path)
{
    const auto r = testsupport::run(
        "ffprobe", {"-v", "error", "-show_streams", "-show_format", "-of", "json", path});
    StreamInfo info;
    const QJsonObject root = QJsonDocument::fromJson(r.out).object();
    const QJsonObject s = root["streams"].toArray().first().toObject();
    info.codec = s["codec_name"].toString();
    info.rate = s["sample_rate"].toString().toInt();
    info.channels = s["channels"].toInt();
    info.bitRate = s["bit_rate"].toString().toLongLong();
    info.sampleFormat = s["sample_fmt"].toString();
    info.bitsPerSample = s["bits_per_sample"].toInt();
    info.channelLayout = s["channel_layout"].toString();
    info.duration = root["format"].toObject()["duration"].toString().toDouble();
    return info;
}

// What an independent decoder delivers, as interleaved float.
inline std::vector<float> decode(const QString& path, const QStringList& extra = {})
{
    return testsupport::decodeFloat(path, extra);
}

inline long long decodedFrames(const QString& path, int channels)
{
    return static_cast<long long>(decode(path).size()) / channels;
}

// The offset (in frames) at which `decoded` best matches `reference` in its
// first channel, searched within +-range; both interleaved with `channels`.
inline int bestLag(const std::vector<float>& reference, const std::vector<float>& decoded,
                   int channels, int range, int from, int length)
{
    int best = 0;
    double bestScore = -1e300;
    for (int lag = -range; lag <= range; ++lag) {
        double score = 0;
        for (int i = from; i < from + length; ++i) {
            const long long j = i + lag;
            if (j < 0 || static_cast<size_t>(j * channels) >= decoded.size())
                continue;
            score += double(reference[static_cast<size_t>(i * channels)]) *
                     decoded[static_cast<size_t>(j * channels)];
        }
        if (score > bestScore) {
            bestScore = score;
            best = lag;
        }
    }
    return best;
}

inline long long fileSize(const QString& path)
{
    return testsupport::readAll(path).size();
}

} // namespace writertest
