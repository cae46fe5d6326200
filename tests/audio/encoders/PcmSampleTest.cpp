// SPDX-License-Identifier: GPL-3.0-or-later
#include "audio/encoders/PcmSample.h"
#include "audio/AudioReader.h"
#include "audio/AudioWriter.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <QTemporaryDir>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>
#include <vector>

// The inlined conversion must give exactly what the libm one it replaced gave
// (FFmpeg's scaling: ×2^(bits−1), nearest with ties to even, clamp), so that
// files written before and after are the same and PCM passes through.

namespace {

int32_t reference(float x, double scale, double low, double high)
{
    const double y = std::clamp(std::nearbyint(double(x) * scale), low, high);
    return std::isnan(y) ? 0 : static_cast<int32_t>(y);
}

std::vector<float> probes()
{
    std::vector<float> all;
    // Every 16-bit value, the halfway points between neighbours (ties go to
    // the even one) and the floats just either side of both.
    for (int v = -32769; v <= 32768; ++v) {
        for (const double at : {double(v), v + 0.5}) {
            const float x = static_cast<float>(at / 32768.0);
            all.push_back(x);
            all.push_back(std::nextafter(x, -2.0f));
            all.push_back(std::nextafter(x, 2.0f));
        }
    }
    // Out of range, tiny, odd.
    for (const float x :
         {1.0f, -1.0f, 1.5f, -1.5f, 2.0f, -7.25f, 1e10f, -1e10f, 1e-30f, -1e-30f, 0.0f, -0.0f,
          std::numeric_limits<float>::max(), -std::numeric_limits<float>::max(),
          std::numeric_limits<float>::infinity(), -std::numeric_limits<float>::infinity(),
          std::numeric_limits<float>::denorm_min(), std::numeric_limits<float>::quiet_NaN()})
        all.push_back(x);
    // A sweep over and past the full range.
    for (int i = -300000; i <= 300000; ++i)
        all.push_back(static_cast<float>(i) * 1.37e-5f);
    return all;
}

TEST(PcmSample, SixteenAndEightBitMatchNearbyintRounding)
{
    for (const float x : probes()) {
        ASSERT_EQ(pcmsample::toInt16(x), reference(x, 32768.0, -32768.0, 32767.0)) << x;
        ASSERT_EQ(pcmsample::toUnsigned8(x), reference(x, 128.0, -128.0, 127.0) + 128) << x;
    }
}

TEST(PcmSample, SixteenBitPcmPassesThroughTheWriterUnchanged)
{
    // Every 16-bit value, in stereo with the second channel reversed, through
    // the reader and writer (mono as well, for the other loop).
    QTemporaryDir dir;
    for (const int channels : {1, 2, 3}) {
        SCOPED_TRACE(channels);
        const int frames = 65536;
        std::vector<int16_t> pcm(static_cast<size_t>(frames) * channels);
        for (int i = 0; i < frames; ++i)
            for (int c = 0; c < channels; ++c)
                pcm[static_cast<size_t>(i * channels + c)] =
                    static_cast<int16_t>(c % 2 ? 32767 - i : i - 32768);
        const QString in = dir.filePath(QStringLiteral("in%1.raw").arg(channels));
        const QString wav = dir.filePath(QStringLiteral("in%1.wav").arg(channels));
        const QString out = dir.filePath(QStringLiteral("out%1.wav").arg(channels));
        testsupport::writeAll(in, QByteArray(reinterpret_cast<const char*>(pcm.data()),
                                             static_cast<qsizetype>(pcm.size() * 2)));
        testsupport::ffmpeg({"-f", "s16le", "-ar", "44100", "-ac", QString::number(channels), "-i",
                             in, "-c:a", "pcm_s16le", wav});

        const auto reader = AudioReader::open(wav);
        AudioWriter writer;
        writer.setWavFormat(44100, channels, 16);
        writer.setBlockFormat(44100, channels);
        writer.open(out);
        writer.setBlockFormat(44100, channels);
        for (SampleArray a = reader->read(10000); a.frames() > 0; a = reader->read(10000))
            writer.write(a);
        writer.close();

        const auto back = testsupport::run(
            "ffmpeg", {"-v", "error", "-i", out, "-f", "s16le", "-c:a", "pcm_s16le", "-"});
        ASSERT_EQ(back.exitCode, 0);
        ASSERT_EQ(back.out.size(), static_cast<qsizetype>(pcm.size() * 2));
        EXPECT_EQ(std::memcmp(back.out.constData(), pcm.data(), pcm.size() * 2), 0);
    }
}

} // namespace
