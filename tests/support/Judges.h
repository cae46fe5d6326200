// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The independent judges of what the program wrote: ffprobe for the format
// and the tags, ffmpeg for the decoded samples.

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <cstdint>
#include <string>
#include <vector>

namespace testsupport {

// The first audio stream and the container as ffprobe reports them.
struct StreamInfo {
    QString codec;
    int rate = 0;
    int channels = 0;
    long long bitRate = 0;
    QString sampleFormat;
    int bitsPerSample = 0;
    QString channelLayout;
    double duration = 0;     // seconds, of the container
    int64_t durationTs = -1; // of the stream, in its time base (frames for Ogg Vorbis)
};
StreamInfo probe(const QString& path);

// A tag as ffprobe reads it, the key compared without case: from the
// container (ID3, ASF) or else from the first stream that has it (Vorbis
// comments); "<absent>" when neither has it.
QString probeTag(const QString& path, const QString& key);

// What ffmpeg decodes of a file as interleaved samples at the file's own
// rate and channel count; `options` go between the input and the output
// (a stream map, a channel count). Empty when ffmpeg fails.
std::vector<float> decode(const QString& path, const QStringList& options = {});
// decode() for many files at once: one ffmpeg for them all, each file
// decoded on its own exactly as decode() would, in the order given. An
// empty result for each when ffmpeg fails.
std::vector<std::vector<float>> decodeEach(const QStringList& paths,
                                           const QStringList& options = {});
// Frames [from, to) of interleaved samples with `channels`.
std::vector<float> frameRange(const std::vector<float>& samples, int channels, int64_t from,
                              int64_t to);
// Where two decodings first differ, for a failure message: "equal", their
// lengths, or the first frame that differs.
std::string firstDifference(const std::vector<float>& got, const std::vector<float>& want,
                            int channels);
QByteArray decodeFloatBytes(const QString& path, const QStringList& options = {});
QByteArray decodePcm16(const QString& path, const QStringList& options = {});

// The 16-bit samples of decodePcm16's bytes as numbers.
std::vector<int16_t> samples(const QByteArray& pcm16);

// Peak of |sample| over frames [from, to) of interleaved 16-bit samples.
int peak(const std::vector<int16_t>& samples, int channels, int64_t from, int64_t to);

// The frames ffmpeg decodes from a file; -1 when it cannot.
int64_t decodedFrames(const QString& path);

// The frames of an Ogg Vorbis file as its last granule position says.
// ffmpeg's decoder drops the first 128 frames of very short Vorbis streams
// (its own encodings included), so decoding is no exact judge for them.
int64_t oggFrames(const QString& path);

// A file's MD5 sum, to show that a source was left as it was.
QByteArray md5(const QString& path);

long long fileSize(const QString& path);

} // namespace testsupport
