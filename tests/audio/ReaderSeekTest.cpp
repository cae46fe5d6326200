// SPDX-License-Identifier: GPL-3.0-or-later
#include "audio/AudioReader.h"
#include "audio/AudioWriter.h"
#include "audio/ReaderTesting.h"
#include "audio/WriterTesting.h"
#include "audio/encoders/Mp3EncoderSettings.h"
#include "support/Media.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <QTemporaryDir>

#include <algorithm>
#include <cmath>
#include <functional>
#include <random>

// Seeks after the reader has read to the end of a file: the demuxer then sits
// behind the last page or packet, whose timestamps differ from those in the
// middle of a stream (an Ogg file's last page is trimmed to its granule
// position). A seek must still deliver what reading through from frame 0
// delivers at the target, and no more frames than remain.

namespace {

using testsupport::encodeWithFfmpeg;
using testsupport::encodeWithLame;
using testsupport::encodeWithOggenc;
using testsupport::ffmpeg;
using testsupport::run;

constexpr int kSeconds = 12;

struct Source {
    const char* name;
    // Writes the file from the generated input WAV.
    std::function<void(const QString& input, const QString& output)> make;
    bool lossless;
};

// Our own writer, fed a sweep in blocks of the size a job uses.
void withWriter(const QString& output, int rate, int channels,
                const std::function<void(AudioWriter&)>& select)
{
    testsupport::writeWithOurWriter(output, testsupport::chirp(rate, channels, rate * kSeconds),
                                    select, 44100);
}

const std::vector<Source>& sources()
{
    static const std::vector<Source> all = {
        {"ff_vorbis.ogg",
         [](auto in, auto out) {
             encodeWithFfmpeg(in, out, {"-c:a", "libvorbis", "-q:a", "4"});
         },
         false},
        {"ff_vorbis_22k_mono.ogg",
         [](auto in, auto out) {
             encodeWithFfmpeg(in, out, {"-ac", "1", "-ar", "22050", "-c:a", "libvorbis"});
         },
         false},
        {"oggenc.ogg",
         [](auto in, auto out) {
             encodeWithOggenc(in, out, {"-q", "4"});
         },
         false},
        {"oggenc_22k_mono.ogg",
         [](auto in, auto out) {
             encodeWithOggenc(in, out, {"-q", "-1", "--downmix", "--resample", "22050"});
         },
         false},
        {"own_vorbis_cbr.ogg",
         [](auto, auto out) {
             withWriter(out, 44100, 2,
                        [](AudioWriter& w) { w.setOggFormat(44100, 2, 128, 0, 0, -1); });
         },
         false},
        {"own_vorbis_quality_mono.ogg",
         [](auto, auto out) {
             withWriter(out, 32000, 1,
                        [](AudioWriter& w) { w.setOggFormat(32000, 1, 0, 0, 0, 600); });
         },
         false},
        {"ff_lame.mp3",
         [](auto in, auto out) {
             encodeWithFfmpeg(in, out, {"-c:a", "libmp3lame", "-b:a", "128k"});
         },
         false},
        {"lame_vbr.mp3",
         [](auto in, auto out) {
             encodeWithLame(in, out, {"-V", "4"});
         },
         false},
        {"own_mp3.mp3",
         [](auto, auto out) {
             withWriter(out, 44100, 2,
                        [](AudioWriter& w) { w.setMp3Encoder(Mp3EncoderSettings()); });
         },
         false},
        {"ff_layer2.mp2",
         [](auto in, auto out) {
             encodeWithFfmpeg(in, out, {"-c:a", "mp2", "-b:a", "192k"});
         },
         false},
        {"ff_wmav2.wma",
         [](auto in, auto out) {
             encodeWithFfmpeg(in, out, {"-c:a", "wmav2", "-b:a", "128k"});
         },
         false},
        {"own_wma.wma",
         [](auto, auto out) {
             withWriter(out, 44100, 2, [](AudioWriter& w) { w.setWmaProfile(10); });
         },
         false},
        {"ff_s16.wav",
         [](auto in, auto out) {
             encodeWithFfmpeg(in, out, {"-c:a", "pcm_s16le"});
         },
         true},
        {"own_s16_mono.wav",
         [](auto, auto out) {
             withWriter(out, 22050, 1, [](AudioWriter& w) { w.setWavFormat(22050, 1, 16); });
         },
         true},
    };
    return all;
}

class ReaderSeekAfterTheEnd : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        dir = new QTemporaryDir;
        const QString input = path("input.wav");
        ffmpeg({"-f", "lavfi", "-i",
                QStringLiteral("aevalsrc=sin(t*t*400)*0.5|sin(300*2*PI*t)*0.3+sin(t*t*900)*0.2:"
                               "s=44100:d=%1")
                    .arg(kSeconds),
                input});
        for (const Source& s : sources())
            s.make(input, path(s.name));
    }
    static void TearDownTestSuite()
    {
        delete dir;
        dir = nullptr;
    }
    static QString path(const QString& name) { return dir->filePath(name); }

    // Reads to the end. An empty block ends it: a block of one mono frame has
    // the upper bound 0 but still counts here.
    static QTemporaryDir* dir;
};

QTemporaryDir* ReaderSeekAfterTheEnd::dir = nullptr;

TEST_F(ReaderSeekAfterTheEnd, DeliversTheRestOfTheFileAsReadingThroughDoes)
{
    std::mt19937 random(7);
    for (const Source& s : sources()) {
        SCOPED_TRACE(s.name);
        const auto reader = AudioReader::open(path(s.name));
        const std::vector<float> through = readertest::readToEnd(*reader);
        const int64_t count = reader->sampleCount();
        const int channels = reader->channels();
        const int64_t rate = reader->sampleRate();
        ASSERT_EQ(static_cast<int64_t>(through.size()), count * channels);
        ASSERT_GT(count, 10 * rate);

        // The last second first, where the last page's pre-roll begins, then
        // anywhere; every seek follows a read to the end.
        std::vector<int64_t> targets{count - 1, count - 100, count - rate / 2, count - rate,
                                     count - 2 * rate};
        std::uniform_int_distribution<int64_t> lastSecond(count - rate, count - 1);
        std::uniform_int_distribution<int64_t> lastPages(count - 3 * rate, count - 1);
        std::uniform_int_distribution<int64_t> anywhere(0, count - 1);
        for (int i = 0; i < 4; ++i) {
            targets.push_back(lastSecond(random));
            targets.push_back(lastPages(random));
            targets.push_back(anywhere(random));
        }
        const float tolerance = s.lossless ? 0.0f : 2e-3f;
        for (const int64_t x : targets) {
            SCOPED_TRACE(x);
            reader->seek(x);
            const std::vector<float> rest = readertest::readToEnd(*reader);
            ASSERT_EQ(static_cast<int64_t>(rest.size()) / channels, count - x);
            float worst = 0;
            for (size_t k = 0; k < rest.size(); ++k)
                worst = std::max(
                    worst, std::abs(rest[k] - through[static_cast<size_t>(x * channels) + k]));
            EXPECT_LE(worst, tolerance);
        }
    }
}

} // namespace
