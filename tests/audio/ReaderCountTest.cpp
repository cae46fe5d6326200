// SPDX-License-Identifier: GPL-3.0-or-later
#include "audio/AudioReader.h"
#include "audio/AudioWriter.h"
#include "audio/ReaderTesting.h"
#include "audio/WriterTesting.h"
#include "audio/mpeg/MpegHeader.h"
#include "support/Media.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <QTemporaryDir>

#include <algorithm>
#include <cmath>
#include <functional>

// The sample count of a short Ogg Vorbis file must be the frames reading
// through delivers, and those must be the source's frames: Vorbis records the
// exact length in the last granule position, whichever encoder wrote it.
//
// MPEG audio streams with damage (junk between frames, a frame cut short, a
// Xing header that no longer matches) must be counted, sought and read alike.

namespace {

using testsupport::ffmpeg;

enum class Encoder { Ffmpeg, Oggenc, Writer };

struct Case {
    Encoder encoder;
    double seconds;
    int rate;
    int channels;
};

const char* name(Encoder e)
{
    switch (e) {
    case Encoder::Ffmpeg:
        return "ffmpeg";
    case Encoder::Oggenc:
        return "oggenc";
    case Encoder::Writer:
        return "writer";
    }
    return "";
}

// Writes `frames` frames of a sweep as Ogg Vorbis with the chosen encoder.
void makeOgg(const Case& c, int frames, const QString& wav, const QString& ogg)
{
    if (c.encoder == Encoder::Writer) {
        AudioWriter writer;
        writer.setOggFormat(c.rate, c.channels, 0, 0, 0, 400);
        writer.setBlockFormat(c.rate, c.channels);
        writer.open(ogg);
        writer.setBlockFormat(c.rate, c.channels);
        writer.write(testsupport::chirp(c.rate, c.channels, frames));
        writer.close();
        return;
    }
    ffmpeg({"-f", "lavfi", "-i",
            QStringLiteral("sine=frequency=440:sample_rate=%1,atrim=end_sample=%2")
                .arg(c.rate)
                .arg(frames),
            "-ac", QString::number(c.channels), wav});
    if (c.encoder == Encoder::Ffmpeg)
        testsupport::encodeWithFfmpeg(wav, ogg, {"-c:a", "libvorbis"});
    else
        testsupport::encodeWithOggenc(wav, ogg);
}

int64_t framesDelivered(AudioReader& reader)
{
    return static_cast<int64_t>(readertest::readToEnd(reader).size()) / reader.channels();
}

TEST(ReaderCount, ShortOggVorbisCountIsWhatReadingThroughDelivers)
{
    QTemporaryDir dir;
    const std::vector<Case> cases = {
        {Encoder::Ffmpeg, 1, 48000, 1},    {Encoder::Ffmpeg, 0.1, 48000, 1},
        {Encoder::Ffmpeg, 1.37, 44100, 2}, {Encoder::Ffmpeg, 3, 22050, 1},
        {Encoder::Oggenc, 1, 48000, 1},    {Encoder::Oggenc, 0.1, 44100, 2},
        {Encoder::Oggenc, 1.37, 22050, 1}, {Encoder::Oggenc, 3, 48000, 2},
        {Encoder::Writer, 1, 48000, 1},    {Encoder::Writer, 0.1, 44100, 2},
        {Encoder::Writer, 1.37, 32000, 1}, {Encoder::Writer, 3, 44100, 2},
    };
    int index = 0;
    for (const Case& c : cases) {
        const int frames = static_cast<int>(std::lround(c.seconds * c.rate));
        SCOPED_TRACE(QStringLiteral("%1 %2 s %3 Hz %4 ch")
                         .arg(name(c.encoder))
                         .arg(c.seconds)
                         .arg(c.rate)
                         .arg(c.channels)
                         .toStdString());
        const QString wav = dir.filePath(QStringLiteral("in%1.wav").arg(index));
        const QString ogg = dir.filePath(QStringLiteral("out%1.ogg").arg(index));
        ++index;
        makeOgg(c, frames, wav, ogg);
        const auto reader = AudioReader::open(ogg);
        ASSERT_EQ(reader->sampleRate(), c.rate);
        const int64_t count = reader->sampleCount();
        const std::vector<float> decoded = readertest::readToEnd(*reader);
        const int64_t delivered = static_cast<int64_t>(decoded.size()) / c.channels;
        EXPECT_EQ(count, delivered);
        EXPECT_EQ(delivered, frames);
        // The last frames kept are the source's last frames, not the codec's
        // padding.
        const std::vector<float> source =
            c.encoder == Encoder::Writer ? testsupport::chirp(c.rate, c.channels, frames).samples
                                         : readertest::readToEnd(*AudioReader::open(wav));
        ASSERT_EQ(source.size(), static_cast<size_t>(frames) * c.channels);
        const size_t tail = std::min(decoded.size(), static_cast<size_t>(c.rate / 50 * c.channels));
        double error = 0;
        double signal = 0;
        for (size_t k = 1; k <= tail; ++k) {
            const double want = source[source.size() - k];
            error += std::pow(decoded[decoded.size() - k] - want, 2);
            signal += want * want;
        }
        EXPECT_LT(error, 0.05 * signal);
        // A second pass after a seek back to the start delivers the same.
        reader->seek(0);
        EXPECT_EQ(framesDelivered(*reader), delivered);
    }
}

// A file of `seconds` at 44.1 kHz stereo (a sweep, or silence), made by
// lame with `options`.
QByteArray lameFile(const QString& dir, const QString& name, double seconds,
                    const QStringList& options, bool silent = false)
{
    const QString wav = dir + "/" + name + ".wav";
    const QString mp3 = dir + "/" + name + ".mp3";
    ffmpeg({"-f", "lavfi", "-i",
            QStringLiteral("aevalsrc=%1:s=44100:d=%2")
                .arg(silent ? "0|0" : "sin(t*t*400)*0.5|sin(300*2*PI*t)*0.3")
                .arg(seconds),
            wav});
    testsupport::encodeWithLame(wav, mp3, options);
    return testsupport::readAll(mp3);
}

// The size of the MPEG audio frame whose header is at `at`.
int frameSize(const QByteArray& data, qsizetype at)
{
    const auto h =
        mpeg::FrameHeader::parse(reinterpret_cast<const uint8_t*>(data.constData()) + at);
    return h ? h->frameBytes() : 0;
}

struct Damage {
    const char* name;
    std::function<QByteArray(const QString& dir)> make;
};

TEST(ReaderCount, DamagedMpegStreamsCountSeekAndReadAlike)
{
    QTemporaryDir dir;
    const std::vector<Damage> damages = {
        {"the header after the Xing frame zeroed",
         [](const QString& d) {
             QByteArray f = lameFile(d, "xing", 3.3, {"-b", "128"});
             f.replace(frameSize(f, 0), 4, QByteArray(4, '\0'));
             return f;
         }},
        {"heavy damage",
         [](const QString& d) {
             QByteArray f = lameFile(d, "heavy", 12, {"-V", "2"});
             for (const double at : {0.1, 0.35, 0.5, 0.8})
                 f.replace(qsizetype(at * f.size()), 3000, QByteArray(3000, '\0'));
             return f;
         }},
        // Its ID3v1 tag is more than a sixteenth of the stream, which makes
        // FFmpeg doubt the Xing frame count and keep the padding.
        {"0.2 s of silence in VBR with ID3 tags",
         [](const QString& d) {
             return lameFile(d, "short", 0.2, {"-V", "2", "--add-id3v2", "--tt", "Short"}, true);
         }},
        {"junk between frames",
         [](const QString& d) {
             QByteArray f = lameFile(d, "junk", 4, {"-b", "160"});
             qsizetype at = 0;
             for (int i = 0; i < 40; ++i)
                 at += frameSize(f, at);
             f.insert(at, QByteArray(333, char(0x55)));
             return f;
         }},
        {"the last frame cut short",
         [](const QString& d) {
             QByteArray f = lameFile(d, "cut", 2.5, {"-V", "4"});
             f.chop(100);
             return f;
         }},
        {"junk after the last frame",
         [](const QString& d) {
             return lameFile(d, "trail", 2, {"-b", "96"}) + "trailing junk!";
         }},
        {"two files one after the other",
         [](const QString& d) {
             return lameFile(d, "first", 1.5, {"-V", "3"}) +
                    lameFile(d, "second", 1.1, {"-b", "192"});
         }},
    };
    int index = 0;
    for (const Damage& damage : damages) {
        SCOPED_TRACE(damage.name);
        const QString path = dir.filePath(QStringLiteral("damaged%1.mp3").arg(index++));
        testsupport::writeAll(path, damage.make(dir.path()));
        const auto reader = AudioReader::open(path);
        const int channels = reader->channels();
        const int64_t count = reader->sampleCount();
        const std::vector<float> through = readertest::readToEnd(*reader);
        EXPECT_EQ(static_cast<int64_t>(through.size()) / channels, count);
        if (static_cast<int64_t>(through.size()) / channels != count || count == 0)
            continue;
        for (const int64_t x : {count / 2, count / 3, count - 1, count * 9 / 10, int64_t(0)}) {
            SCOPED_TRACE(x);
            reader->seek(x);
            const std::vector<float> rest = readertest::readToEnd(*reader);
            EXPECT_EQ(static_cast<int64_t>(rest.size()) / channels, count - x);
            if (static_cast<int64_t>(rest.size()) / channels != count - x)
                continue;
            float worst = 0;
            for (size_t k = 0; k < rest.size(); ++k)
                worst = std::max(
                    worst, std::abs(rest[k] - through[static_cast<size_t>(x * channels) + k]));
            EXPECT_LE(worst, 2e-3f);
        }
    }
}

} // namespace
