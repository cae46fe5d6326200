// SPDX-License-Identifier: GPL-3.0-or-later
#include "audio/AudioReader.h"
#include "audio/AudioError.h"
#include "audio/RateConversion.h"
#include "base/TimeCode.h"
#include "support/ChildChecks.h"
#include "support/Judges.h"
#include "support/Media.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QTemporaryDir>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <random>
#include <sys/stat.h>

using testsupport::decode;
using testsupport::encodeWithFfmpeg;
using testsupport::encodeWithLame;
using testsupport::ffmpeg;

namespace {

// One generated source: how it was made and how exact its samples must be.
struct Source {
    const char* name;
    QStringList encode; // ffmpeg output arguments, or lame arguments after "lame:"
    const char* input;  // which generated PCM file it is made from
    bool lossless;
};

const std::vector<Source>& sources()
{
    static const std::vector<Source> all = {
        {"s16_44k_stereo.wav", {"-c:a", "pcm_s16le"}, "st44", true},
        {"u8_22k_mono.wav", {"-c:a", "pcm_u8"}, "mo22", true},
        {"s24_48k_stereo.wav", {"-c:a", "pcm_s24le"}, "st48", true},
        {"s16_8k_mono.wav", {"-c:a", "pcm_s16le"}, "mo8", true},
        {"s32_48k_stereo.wav", {"-c:a", "pcm_s32le"}, "st48", true},
        {"f32_22k_mono.wav", {"-c:a", "pcm_f32le"}, "mo22", true},
        {"adpcm_in_wav.wav", {"-c:a", "adpcm_ms"}, "st44", false},
        {"ff_cbr.mp3", {"-c:a", "libmp3lame", "-b:a", "128k"}, "st44", false},
        {"ff_vbr_48k.mp3", {"-c:a", "libmp3lame", "-q:a", "4"}, "st48", false},
        {"lame_cbr.mp3", {"lame:", "-b", "128"}, "st44", false},
        {"lame_vbr.mp3", {"lame:", "-V", "4"}, "st44", false},
        {"lame_cbr_notag.mp3", {"lame:", "-t", "-b", "128"}, "st44", false},
        {"lame_vbr_notag.mp3", {"lame:", "-t", "-V", "4"}, "st44", false},
        {"lame_vbr_22k_mono.mp3", {"lame:", "-V", "5"}, "mo22", false},
        {"lame_8k_mono_notag.mp3", {"lame:", "-t", "-b", "32"}, "mo8", false},
        {"lame_8k_mono.mp3", {"lame:", "-b", "32"}, "mo8", false},
        // A large ID3v2 tag in front, which the header scan skips by its size,
        // and an ID3v1 tag behind.
        {"lame_tagged.mp3",
         {"lame:", "-V", "2", "--tt", "Title", "--ta", "Artist", "--add-id3v2", "--pad-id3v2-size",
          "200000"},
         "st48",
         false},
        {"layer2.mp2", {"-c:a", "mp2", "-b:a", "192k"}, "st44", false},
        {"vorbis.ogg", {"-c:a", "libvorbis", "-q:a", "4"}, "st44", false},
        {"vorbis_22k_mono.ogg", {"-c:a", "libvorbis"}, "mo22", false},
        {"wmav2.wma", {"-c:a", "wmav2", "-b:a", "128k"}, "st44", false},
        {"wmav2_22k_mono.wma", {"-c:a", "wmav2", "-b:a", "32k"}, "mo22", false},
    };
    return all;
}

std::vector<float> readThrough(AudioReader& reader, int block)
{
    std::vector<float> all;
    for (;;) {
        const SampleArray a = reader.read(block);
        if (a.upperBound() <= 0)
            return all;
        EXPECT_LE(a.frames(), block);
        all.insert(all.end(), a.samples.begin(), a.samples.end());
    }
}

class ReaderFiles : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        dir = new QTemporaryDir;
        // Short test signals: a tone with a sweep in it, so that misaligned
        // frames cannot look alike.
        const struct {
            const char* name;
            const char* source;
        } inputs[] = {
            {"st44", "aevalsrc=sin(440*2*PI*t)*0.5|sin(t*t*3000)*0.4:s=44100:d=3.3"},
            {"st48", "aevalsrc=sin(300*2*PI*t)*0.5|sin(t*t*2000)*0.4:s=48000:d=2.1"},
            {"mo22", "aevalsrc=sin(t*t*1500)*0.6:s=22050:d=2.7"},
            {"mo8", "aevalsrc=sin(t*t*900)*0.6:s=8000:d=2.3"},
        };
        for (const auto& in : inputs)
            ffmpeg({"-f", "lavfi", "-i", in.source, path(QString(in.name) + ".wav")});
        for (const Source& s : sources()) {
            SCOPED_TRACE(s.name);
            const QString input = path(QString(s.input) + ".wav");
            if (s.encode.first() == "lame:")
                encodeWithLame(input, path(s.name), s.encode.mid(1));
            else
                encodeWithFfmpeg(input, path(s.name), s.encode);
        }
    }
    static void TearDownTestSuite()
    {
        delete dir;
        dir = nullptr;
    }
    static QString path(const QString& name) { return dir->filePath(name); }

    static QTemporaryDir* dir;
};

QTemporaryDir* ReaderFiles::dir = nullptr;

TEST_F(ReaderFiles, CountsExactlyWhatAnIndependentDecoderDeliversAndReadsAsMuch)
{
    QStringList files;
    for (const Source& s : sources())
        files << path(s.name);
    const std::vector<std::vector<float>> references = testsupport::decodeEach(files);
    size_t next = 0;
    for (const Source& s : sources()) {
        SCOPED_TRACE(s.name);
        const auto reader = AudioReader::open(path(s.name));
        const std::vector<float>& reference = references[next++];
        ASSERT_FALSE(reference.empty());
        const int channels = reader->channels();
        ASSERT_GT(channels, 0);
        EXPECT_EQ(reader->sampleCount(), static_cast<int64_t>(reference.size()) / channels);
        EXPECT_EQ(reader->durationMs(), reader->sampleCount() * 1000 / reader->sampleRate());

        const std::vector<float> ours = readThrough(*reader, 10000);
        ASSERT_EQ(ours.size(), reference.size());
        // Same library underneath: the samples are the ones the tool delivers.
        float worst = 0;
        for (size_t i = 0; i < ours.size(); ++i)
            worst = std::max(worst, std::abs(ours[i] - reference[i]));
        EXPECT_LE(worst, 1e-6f);
    }
}

TEST_F(ReaderFiles, RecognisesFormatsByContentAndReportsTheirShape)
{
    const struct {
        const char* file;
        const char* format;
        int rate;
        int channels;
    } cases[] = {
        {"s16_44k_stereo.wav", "wav", 44100, 2}, {"u8_22k_mono.wav", "wav", 22050, 1},
        {"s24_48k_stereo.wav", "wav", 48000, 2}, {"lame_vbr.mp3", "mp3", 44100, 2},
        {"layer2.mp2", "mp2", 44100, 2},         {"vorbis_22k_mono.ogg", "ogg", 22050, 1},
        {"wmav2.wma", "wma", 44100, 2},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.file);
        // The extension says nothing: the content decides.
        const QString renamed = path(QString(c.file) + ".bin");
        QFile::remove(renamed);
        ASSERT_TRUE(QFile::copy(path(c.file), renamed));
        const auto reader = AudioReader::open(renamed);
        EXPECT_EQ(reader->formatName(), c.format);
        EXPECT_EQ(reader->sampleRate(), c.rate);
        EXPECT_EQ(reader->channels(), c.channels);
    }
}

TEST_F(ReaderFiles, SeekThenReadEqualsReadingThroughAtRandomPositions)
{
    std::mt19937 random(20261207);
    for (const Source& s : sources()) {
        SCOPED_TRACE(s.name);
        const auto reader = AudioReader::open(path(s.name));
        const std::vector<float> through = readThrough(*reader, 4096);
        const int64_t count = reader->sampleCount();
        const int channels = reader->channels();
        // Lossy decoders restart their overlap after a jump; PCM is bit-exact.
        const float tolerance = s.lossless ? 0.0f : 2e-3f;
        std::vector<int64_t> positions{0, count - 1, count, 1};
        std::uniform_int_distribution<int64_t> any(0, count - 1);
        for (int i = 0; i < 6; ++i)
            positions.push_back(any(random));
        for (int64_t x : positions) {
            SCOPED_TRACE(x);
            reader->seek(x);
            const SampleArray block = reader->read(3000);
            const int64_t expected = std::min<int64_t>(3000, count - x);
            ASSERT_EQ(block.frames(), expected);
            float worst = 0;
            for (size_t k = 0; k < block.samples.size(); ++k)
                worst = std::max(worst, std::abs(block.samples[k] -
                                                 through[static_cast<size_t>(x * channels) + k]));
            EXPECT_LE(worst, tolerance);
        }
    }
}

TEST_F(ReaderFiles, SeeksBackwardAndForwardWithinOneFile)
{
    const auto reader = AudioReader::open(path("lame_vbr.mp3"));
    const std::vector<float> through = readThrough(*reader, 100000);
    const int channels = reader->channels();
    for (int64_t x : {int64_t(100000), int64_t(2000), int64_t(2500), int64_t(120000), int64_t(0)}) {
        SCOPED_TRACE(x);
        reader->seek(x);
        const SampleArray block = reader->read(1000);
        ASSERT_EQ(block.frames(), 1000);
        for (size_t k = 0; k < block.samples.size(); ++k)
            ASSERT_NEAR(block.samples[k], through[static_cast<size_t>(x * channels) + k], 2e-3f);
    }
    reader->seek(reader->sampleCount() + 5000);
    EXPECT_LE(reader->read(100).upperBound(), 0);
}

TEST_F(ReaderFiles, SeeksStayExactWhateverCameBefore)
{
    // The order a preview takes: a little from the start, a jump near the
    // end, back to the start, then jumps into the middle. The timestamps a
    // jump finds must be those of reading through from the start.
    for (const Source& s : sources()) {
        SCOPED_TRACE(s.name);
        const auto reference = AudioReader::open(path(s.name));
        const std::vector<float> through = readThrough(*reference, 4096);
        const auto reader = AudioReader::open(path(s.name));
        const int64_t count = reader->sampleCount();
        const int channels = reader->channels();
        reader->read(500);
        reader->seek(count - 10);
        EXPECT_EQ(reader->read(500).frames(), 10);
        reader->seek(0);
        reader->read(500);
        for (int64_t x : {count / 2, count - 5000, count / 3}) {
            SCOPED_TRACE(x);
            reader->seek(x);
            const SampleArray block = reader->read(1000);
            ASSERT_EQ(block.frames(), 1000);
            float worst = 0;
            for (size_t k = 0; k < block.samples.size(); ++k)
                worst = std::max(worst, std::abs(block.samples[k] -
                                                 through[static_cast<size_t>(x * channels) + k]));
            EXPECT_LE(worst, s.lossless ? 0.0f : 2e-3f);
        }
        reader->seek(count + 5);
        EXPECT_LE(reader->read(500).upperBound(), 0);
        reader->seek(-100);
        const SampleArray first = reader->read(100);
        ASSERT_EQ(first.frames(), 100);
        EXPECT_TRUE(std::equal(first.samples.begin(), first.samples.end(), through.begin()));
    }
}

TEST_F(ReaderFiles, BlockFormatConversionLosesNoFrames)
{
    const struct {
        const char* file;
        int rate;
        int channels;
    } cases[] = {
        {"s16_44k_stereo.wav", 48000, 2}, {"s16_44k_stereo.wav", 22050, 1},
        {"u8_22k_mono.wav", 44100, 2},    {"lame_vbr.mp3", 8000, 1},
        {"vorbis.ogg", 44100, 1},         {"s16_8k_mono.wav", 44100, 2},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.file) + " to " + std::to_string(c.rate));
        const auto reader = AudioReader::open(path(c.file));
        const int64_t count = reader->sampleCount();
        reader->setBlockFormat(c.rate, c.channels);
        int64_t frames = 0;
        for (;;) {
            const SampleArray a = reader->read(7777);
            if (a.upperBound() <= 0)
                break;
            EXPECT_EQ(a.channels, c.channels);
            EXPECT_EQ(a.rate, c.rate);
            EXPECT_EQ(a.samples.size() % c.channels, 0u);
            frames += a.frames();
        }
        const int64_t expected =
            timecode::Scale(static_cast<int32_t>(count), c.rate, reader->sampleRate());
        EXPECT_NEAR(frames, expected, 1);
    }
}

TEST_F(ReaderFiles, SeekWithConversionDeliversTheConvertedRestOfTheFile)
{
    for (const char* name : {"lame_vbr.mp3", "s16_44k_stereo.wav", "wmav2.wma"}) {
        SCOPED_TRACE(name);
        const auto reader = AudioReader::open(path(name));
        const int64_t count = reader->sampleCount();
        reader->setBlockFormat(48000, 1);
        reader->read(5000);
        const int64_t x = count / 3;
        reader->seek(x);
        int64_t frames = 0;
        for (;;) {
            const SampleArray a = reader->read(333);
            if (a.upperBound() <= 0)
                break;
            ASSERT_LE(a.frames(), 333);
            frames += a.frames();
        }
        EXPECT_NEAR(frames, timecode::Scale(static_cast<int32_t>(count - x), 48000, 44100), 1);
    }
}

TEST_F(ReaderFiles, ConversionDeliversTheConvertedCountExactlyEvenOfAFewFrames)
{
    // A level of one half, `frames` frames long. The resampler once held
    // sources below about 40 frames back (16 frames at 8000 Hz gave none at
    // 44100 Hz), and longer ones came out a frame or ten off.
    const struct {
        int frames;
        int rate;
        int channels;
        int toRate;
        int toChannels;
    } cases[] = {
        {16, 8000, 1, 44100, 2},     {1, 8000, 1, 44100, 1},     {40, 8000, 2, 44100, 2},
        {7, 44100, 1, 8000, 1},      {1000, 32000, 1, 44100, 1}, {44113, 44100, 2, 48000, 2},
        {22050, 22050, 1, 44100, 2}, {4801, 48000, 2, 22050, 1},
    };
    for (const auto& c : cases) {
        const QString name =
            QStringLiteral("level_%1_%2_%3.wav").arg(c.frames).arg(c.rate).arg(c.channels);
        SCOPED_TRACE(name.toStdString() + " to " + std::to_string(c.toRate));
        const QString level = c.channels == 2 ? "0.5|0.5" : "0.5";
        ffmpeg({"-f", "lavfi", "-i",
                QStringLiteral("aevalsrc=%1:s=%2:n=%3").arg(level).arg(c.rate).arg(c.frames),
                "-frames:a", "1", "-c:a", "pcm_s16le", path(name)});
        const auto reader = AudioReader::open(path(name));
        ASSERT_EQ(reader->sampleCount(), c.frames);
        reader->setBlockFormat(c.toRate, c.toChannels);
        std::vector<float> all;
        for (SampleArray a = reader->read(777); a.frames() > 0; a = reader->read(777))
            all.insert(all.end(), a.samples.begin(), a.samples.end());
        const int64_t expected = rateconversion::convertedFrames(c.frames, c.rate, c.toRate);
        EXPECT_EQ(int64_t(all.size()), expected * c.toChannels);
        // The frames carry the source, not silence made up to the count.
        ASSERT_FALSE(all.empty());
        EXPECT_GT(*std::max_element(all.begin(), all.end()), 0.4f);
        const int64_t x = c.frames / 3;
        reader->seek(x);
        int64_t rest = 0;
        for (SampleArray a = reader->read(777); a.frames() > 0; a = reader->read(777))
            rest += a.frames();
        EXPECT_EQ(rest, rateconversion::convertedFrames(c.frames - x, c.rate, c.toRate));
    }
}

TEST_F(ReaderFiles, MonoReadAsStereoKeepsItsLevelInBothChannels)
{
    // The resampler's own matrix puts a mono channel 3 dB down into each
    // side; a join of a mono file after a stereo one would come out quieter
    // than the same file cut.
    for (const int toRate : {22050, 44100}) {
        SCOPED_TRACE(toRate);
        const QString mono = path("mono_level.wav");
        ffmpeg(
            {"-y", "-f", "lavfi", "-i", "aevalsrc=0.5:s=22050:d=0.5", "-c:a", "pcm_s16le", mono});
        const auto reader = AudioReader::open(mono);
        reader->setBlockFormat(toRate, 2);
        const SampleArray a = reader->read(4000);
        ASSERT_EQ(a.frames(), 4000);
        for (int i = 1000; i < 3000; ++i) {
            EXPECT_NEAR(a.samples[size_t(2 * i)], 0.5f, 0.002f) << i;
            EXPECT_NEAR(a.samples[size_t(2 * i + 1)], 0.5f, 0.002f) << i;
        }
    }
}

TEST_F(ReaderFiles, ConvertedStereoToMonoStaysWithinFullScale)
{
    const QString loud = path("loud.wav");
    ffmpeg({"-f", "lavfi", "-i", "aevalsrc=0.9|0.9:s=44100:d=0.5", "-c:a", "pcm_s16le", loud});
    const auto reader = AudioReader::open(loud);
    reader->setBlockFormat(44100, 1);
    const SampleArray a = reader->read(1000);
    ASSERT_EQ(a.frames(), 1000);
    for (float v : a.samples)
        EXPECT_LE(std::abs(v), 1.0f);
}

TEST_F(ReaderFiles, MpegFileCutShortCountsWhatIsLeft)
{
    // The tag still promises the whole stream; the count must not believe it.
    for (const char* name : {"lame_vbr.mp3", "lame_cbr_notag.mp3"}) {
        SCOPED_TRACE(name);
        const QByteArray whole = testsupport::readAll(path(name));
        const QString cut = path(QString("cut_") + name);
        testsupport::writeAll(cut, whole.left(whole.size() / 2 + 17));
        const auto reader = AudioReader::open(cut);
        const int64_t expected = static_cast<int64_t>(decode(cut).size()) / 2;
        EXPECT_EQ(reader->sampleCount(), expected);
        EXPECT_EQ(static_cast<int64_t>(readThrough(*reader, 5000).size()) / 2, expected);
    }
}

TEST_F(ReaderFiles, WavCutShortEndsWithItsLastWholeFrame)
{
    const QByteArray whole = testsupport::readAll(path("s24_48k_stereo.wav"));
    const QString cut = path("cut.wav");
    testsupport::writeAll(cut, whole.left(whole.size() / 2 + 5));
    const auto reader = AudioReader::open(cut);
    const int64_t expected = static_cast<int64_t>(decode(cut).size()) / 2;
    EXPECT_EQ(reader->sampleCount(), expected);
    EXPECT_EQ(static_cast<int64_t>(readThrough(*reader, 5000).size()) / 2, expected);
}

TEST_F(ReaderFiles, RawFilesAreStereoPcmAt44100)
{
    // 1001 frames and a stray byte, which is no frame.
    QByteArray bytes;
    for (int i = 0; i < 1001; ++i) {
        const int16_t l = static_cast<int16_t>(i * 30 - 15000), r = static_cast<int16_t>(-i);
        bytes.append(reinterpret_cast<const char*>(&l), 2);
        bytes.append(reinterpret_cast<const char*>(&r), 2);
    }
    bytes.append('\x01');
    const QString raw = path("pcm.RAW");
    testsupport::writeAll(raw, bytes);
    const auto reader = AudioReader::open(raw);
    EXPECT_EQ(reader->formatName(), "raw");
    EXPECT_EQ(reader->sampleRate(), 44100);
    EXPECT_EQ(reader->channels(), 2);
    EXPECT_EQ(reader->sampleCount(), 1001);
    EXPECT_EQ(reader->durationMs(), 22);
    const std::vector<float> all = readThrough(*reader, 300);
    ASSERT_EQ(all.size(), 2002u);
    EXPECT_EQ(all[2 * 500], (500 * 30 - 15000) / 32768.0f);
    EXPECT_EQ(all[2 * 1000 + 1], -1000 / 32768.0f);
    reader->seek(777);
    const SampleArray a = reader->read(2);
    ASSERT_EQ(a.frames(), 2);
    EXPECT_EQ(a.samples[0], (777 * 30 - 15000) / 32768.0f);
    EXPECT_EQ(a.samples[3], -778 / 32768.0f);
}

// A Dialogic ADPCM encoder written from the published algorithm, so that the
// decoded VOX file can be compared with the tone it was made from.
QByteArray encodeVox(const std::vector<int>& samples12)
{
    static const int steps[49] = {
        16,  17,  19,  21,  23,  25,  28,  31,  34,  37,  41,   45,   50,   55,   60,  66,  73,
        80,  88,  97,  107, 118, 130, 143, 157, 173, 190, 209,  230,  253,  279,  307, 337, 371,
        408, 449, 494, 544, 598, 658, 724, 796, 876, 963, 1060, 1166, 1282, 1411, 1552};
    static const int adjust[8] = {-1, -1, -1, -1, 2, 4, 6, 8};
    int predicted = 0, index = 0;
    QByteArray out;
    int high = -1;
    for (int s : samples12) {
        const int step = steps[index];
        int diff = s - predicted, code = 0;
        if (diff < 0) {
            code = 8;
            diff = -diff;
        }
        if (diff >= step) {
            code |= 4;
            diff -= step;
        }
        if (diff >= step / 2) {
            code |= 2;
            diff -= step / 2;
        }
        if (diff >= step / 4)
            code |= 1;
        const int delta = ((2 * (code & 7) + 1) * step) >> 3;
        predicted = std::clamp(predicted + ((code & 8) ? -delta : delta), -2048, 2047);
        index = std::clamp(index + adjust[code & 7], 0, 48);
        if (high < 0) {
            high = code;
        } else {
            out.append(static_cast<char>(high << 4 | code));
            high = -1;
        }
    }
    return out;
}

TEST_F(ReaderFiles, VoxFilesAreOkiAdpcmAt8000Mono)
{
    std::vector<int> tone;
    for (int i = 0; i < 8000; ++i)
        tone.push_back(static_cast<int>(std::lround(1000 * std::sin(i * 2 * M_PI * 440 / 8000))));
    const QString vox = path("speech.vox");
    testsupport::writeAll(vox, encodeVox(tone));
    const auto reader = AudioReader::open(vox);
    EXPECT_EQ(reader->formatName(), "vox");
    EXPECT_EQ(reader->sampleRate(), 8000);
    EXPECT_EQ(reader->channels(), 1);
    EXPECT_EQ(reader->sampleCount(), 8000);
    EXPECT_EQ(reader->durationMs(), 1000);
    const std::vector<float> all = readThrough(*reader, 1500);
    ASSERT_EQ(all.size(), 8000u);
    // After the step size has adapted the decoded wave follows the tone
    // (12-bit samples scaled to 16 bits).
    double squares = 0;
    for (size_t i = 200; i < all.size(); ++i) {
        const double error = all[i] - tone[i] * 16 / 32768.0;
        ASSERT_LT(std::abs(error), 0.05) << i;
        squares += error * error;
    }
    // About 30 dB below the tone, as 4-bit ADPCM goes.
    EXPECT_LT(std::sqrt(squares / (all.size() - 200)), 0.02);
    for (int64_t x : {5000, 123, 7999}) {
        reader->seek(x);
        const SampleArray a = reader->read(1);
        ASSERT_EQ(a.frames(), 1);
        EXPECT_EQ(a.samples[0], all[static_cast<size_t>(x)]);
    }
}

TEST_F(ReaderFiles, ReadOfMoreThanIsLeftDeliversTheRestThenAnEmptyBlock)
{
    const auto reader = AudioReader::open(path("s16_8k_mono.wav"));
    const SampleArray all = reader->read(4410000);
    EXPECT_EQ(all.frames(), reader->sampleCount());
    EXPECT_LT(all.samples.capacity(), 2 * all.samples.size() + 4096);
    const SampleArray end = reader->read(4410000);
    EXPECT_LE(end.upperBound(), 0);
    EXPECT_LE(reader->read(0).upperBound(), 0);
}

TEST_F(ReaderFiles, ADamagedFileReadsAlikeHoweverOftenItIsRead)
{
    // Damaged frames here and there are skipped; that must not add up over
    // the passes of one open file until it counts as unreadable.
    QByteArray data = testsupport::readAll(path("lame_cbr_notag.mp3"));
    std::mt19937 random(7);
    for (int spot = 0; spot < 30; ++spot) {
        const qsizetype at = 2000 + (data.size() - 2100) * spot / 30;
        for (int k = 0; k < 40; ++k)
            data[at + k] = static_cast<char>(random() & 0xFF);
    }
    testsupport::writeAll(path("damaged.mp3"), data);
    const auto reader = AudioReader::open(path("damaged.mp3"));
    const std::vector<float> through = readThrough(*reader, 44100);
    // Refused frames are silence, so the count holds and later frames stay
    // where a seek finds them.
    EXPECT_EQ(through.size(), static_cast<size_t>(reader->sampleCount() * 2));
    for (int pass = 1; pass < 12; ++pass) {
        SCOPED_TRACE(pass);
        reader->seek(0);
        ASSERT_EQ(readThrough(*reader, 44100).size(), through.size());
    }
    for (int64_t x : {reader->sampleCount() / 2, reader->sampleCount() - 3000}) {
        SCOPED_TRACE(x);
        reader->seek(x);
        const SampleArray block = reader->read(1000);
        ASSERT_EQ(block.frames(), 1000);
        float worst = 0;
        for (size_t k = 0; k < block.samples.size(); ++k)
            worst = std::max(worst,
                             std::abs(block.samples[k] - through[static_cast<size_t>(x * 2) + k]));
        EXPECT_LE(worst, 2e-3f);
    }
}

void expectRefused(const QString& file, const QString& cause)
{
    try {
        AudioReader::open(file);
        ADD_FAILURE() << "opened " << file.toStdString();
    } catch (const AudioError& e) {
        EXPECT_TRUE(e.message().contains(file)) << e.message().toStdString();
        EXPECT_TRUE(e.message().contains(cause)) << e.message().toStdString();
    }
}

TEST_F(ReaderFiles, BadInputsAreRefusedWithTheFileAndTheCause)
{
    expectRefused(path("missing.mp3"), "does not exist");
    testsupport::writeAll(path("empty.mp3"), {});
    expectRefused(path("empty.mp3"), "empty");
    testsupport::writeAll(path("empty.raw"), {});
    expectRefused(path("empty.raw"), "empty");
    testsupport::writeAll(path("notes.mp3"), "Shopping list:\nmilk\nbread\n");
    expectRefused(path("notes.mp3"), "not an MP3");
    QDir(dir->path()).mkdir("folder.wav");
    expectRefused(path("folder.wav"), "not a file");
    testsupport::writeAll(path("stub.mp3"), testsupport::readAll(path("lame_cbr.mp3")).left(300));
    expectRefused(path("stub.mp3"), "cut short");
    testsupport::writeAll(path("headonly.wav"),
                          testsupport::readAll(path("s16_44k_stereo.wav")).left(40));
    EXPECT_THROW(AudioReader::open(path("headonly.wav")), AudioError);
    // A single byte of VOX is two samples, but one byte of raw is no frame.
    testsupport::writeAll(path("byte.raw"), "x");
    EXPECT_THROW(AudioReader::open(path("byte.raw")), AudioError);
    // Opening a FIFO waits for a writer, and a device never ends.
    ASSERT_EQ(::mkfifo(QFile::encodeName(path("fifo.mp3")).constData(), 0600), 0);
    ASSERT_TRUE(QFile::link(path("fifo.mp3"), path("fifo.vox")));
    ASSERT_TRUE(QFile::link("/dev/zero", path("zero.raw")));
    testsupport::withinBounds([&] {
        for (const char* name : {"fifo.mp3", "fifo.vox", "zero.raw"})
            expectRefused(path(name), "not a file");
        return !::testing::Test::HasFailure();
    });
}

// A rate no recording has, from a damaged or crafted header, would make the
// converter allocate gigabytes or an output of gigabytes; more channels than
// a block can be converted from would fail every cut. Refused when opened.
TEST_F(ReaderFiles, AbsurdRatesAndChannelCountsAreRefusedWithTheReason)
{
    struct Case {
        int rate;
        int channels;
        QString refusal; // empty: read
    };
    const QList<Case> cases{
        {1, 2, "its sample rate of 1 Hz is outside the 1000 to 768000 Hz that can be read"},
        {999, 1, "its sample rate of 999 Hz is outside"},
        {1000, 1, ""},
        {768000, 2, ""},
        {768001, 2, "its sample rate of 768001 Hz is outside"},
        {536878912, 2, "its sample rate of 536878912 Hz is outside"},
        {44100, 8, ""},
        {44100, 9, "it has 9 channels, more than the 8 that can be converted"},
        {44100, 64, "it has 64 channels, more than the 8"},
    };
    for (const Case& c : cases) {
        const QString file = path(QStringLiteral("%1Hz_%2ch.wav").arg(c.rate).arg(c.channels));
        SCOPED_TRACE(file.toStdString());
        testsupport::writeAll(file, testsupport::pcmWav(c.rate, c.channels, 1200));
        if (c.refusal.isEmpty()) {
            const auto reader = AudioReader::open(file);
            EXPECT_EQ(reader->sampleRate(), c.rate);
            EXPECT_EQ(reader->channels(), c.channels);
            EXPECT_EQ(reader->sampleCount(), 1200);
        } else {
            expectRefused(file, c.refusal);
        }
    }
}

} // namespace
