#include "audio/AudioReader.h"
#include "audio/AudioWriter.h"
#include "audio/WriterTesting.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <QTemporaryDir>

#include <algorithm>
#include <cmath>

// The sample count of a short Ogg Vorbis file must be the frames reading
// through delivers, and those must be the source's frames: Vorbis records the
// exact length in the last granule position, whichever encoder wrote it.

namespace {

using testsupport::ffmpeg;
using testsupport::run;

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
        writer.write(writertest::chirp(c.rate, c.channels, frames));
        writer.close();
        return;
    }
    ffmpeg({"-f", "lavfi", "-i",
            QStringLiteral("sine=frequency=440:sample_rate=%1,atrim=end_sample=%2")
                .arg(c.rate)
                .arg(frames),
            "-ac", QString::number(c.channels), wav});
    if (c.encoder == Encoder::Ffmpeg)
        ffmpeg({"-i", wav, "-c:a", "libvorbis", ogg});
    else
        ASSERT_EQ(run("oggenc", {"--quiet", "-o", ogg, wav}).exitCode, 0);
}

std::vector<float> readAll(AudioReader& reader)
{
    std::vector<float> all;
    for (;;) {
        const SampleArray a = reader.read(4096);
        if (a.frames() == 0)
            return all;
        all.insert(all.end(), a.samples.begin(), a.samples.end());
    }
}

int64_t framesDelivered(AudioReader& reader)
{
    return static_cast<int64_t>(readAll(reader).size()) / reader.channels();
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
        const std::vector<float> decoded = readAll(*reader);
        const int64_t delivered = static_cast<int64_t>(decoded.size()) / c.channels;
        EXPECT_EQ(count, delivered);
        EXPECT_EQ(delivered, frames);
        // The last frames kept are the source's last frames, not the codec's
        // padding.
        const std::vector<float> source =
            c.encoder == Encoder::Writer ? writertest::chirp(c.rate, c.channels, frames).samples
                                         : readAll(*AudioReader::open(wav));
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

} // namespace
