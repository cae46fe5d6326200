// SPDX-License-Identifier: GPL-3.0-or-later
#include "player/Waveform.h"
#include "audio/AudioWriter.h"
#include "support/Media.h"
#include "support/WaitFor.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>

#include <cmath>
#include <functional>

using testsupport::waitFor;

namespace {

constexpr int kRate = 8000;

// Writes a 16-bit WAV whose frame i holds left(i) and right(i).
void writeWav(const QString& path, int frames, const std::function<float(int)>& left,
              const std::function<float(int)>& right)
{
    SampleArray block;
    block.channels = 2;
    block.rate = kRate;
    for (int i = 0; i < frames; ++i) {
        block.samples.push_back(left(i));
        block.samples.push_back(right(i));
    }
    testsupport::writeWithOurWriter(
        path, block, [](AudioWriter& w) { w.setWavFormat(kRate, 2, 16); }, frames);
}

float sine(int i, float amplitude)
{
    return amplitude * std::sin(static_cast<float>(i) * 2.0f * 3.14159265f * 440.0f / kRate);
}

class WaveformTest : public ::testing::Test {
protected:
    QTemporaryDir dir;
    std::atomic<bool> notCancelled{false};
};

} // namespace

TEST_F(WaveformTest, PeaksFollowTheLoudnessOfBothChannelsColumnByColumn)
{
    // 4 s of a 0.5 sine on the right channel only, then 4 s of silence.
    const QString path = dir.filePath("half.wav");
    writeWav(
        path, 8 * kRate, [](int) { return 0.0f; },
        [](int i) { return i < 4 * kRate ? sine(i, 0.5f) : 0.0f; });
    const auto peaks = ComputePeaks(path, 100, notCancelled);
    ASSERT_EQ(peaks.size(), 100u);
    for (int c = 0; c < 50; ++c)
        EXPECT_NEAR(peaks[c], 0.5f, 0.01f) << "column " << c;
    for (int c = 50; c < 100; ++c)
        EXPECT_EQ(peaks[c], 0.0f) << "column " << c;
}

TEST_F(WaveformTest, ARisingToneGivesARisingEnvelopeAtAnyWidth)
{
    const QString path = dir.filePath("ramp.wav");
    const int frames = 10 * kRate;
    writeWav(
        path, frames, [&](int i) { return sine(i, 0.9f * i / frames); }, [](int) { return 0.0f; });
    for (int columns : {10, 37, 458, 916}) {
        const auto peaks = ComputePeaks(path, columns, notCancelled);
        ASSERT_EQ(peaks.size(), static_cast<size_t>(columns));
        for (int c = 0; c < columns; ++c) {
            // The loudest frame of a column lies at its end.
            const float expected = 0.9f * (c + 1) / columns;
            EXPECT_NEAR(peaks[c], expected, 0.9f / columns + 0.01f) << columns << "/" << c;
        }
    }
}

TEST_F(WaveformTest, ACancelledComputationGivesNothingAndAnUnreadableFileThrows)
{
    const QString path = dir.filePath("tone.wav");
    writeWav(
        path, kRate, [](int i) { return sine(i, 0.3f); }, [](int) { return 0.0f; });
    std::atomic<bool> cancelled{true};
    EXPECT_TRUE(ComputePeaks(path, 50, cancelled).empty());
    EXPECT_ANY_THROW(ComputePeaks(dir.filePath("missing.wav"), 50, notCancelled));
}

TEST_F(WaveformTest, SwitchingFilesQuicklyNeverShowsAnotherFilesWaveform)
{
    const QString loud = dir.filePath("loud.wav");
    const QString quiet = dir.filePath("quiet.wav");
    // A long loud file, so that its computation is still running when the
    // selection moves on.
    writeWav(
        loud, 120 * kRate, [](int i) { return sine(i, 0.8f); },
        [](int i) { return sine(i, 0.8f); });
    writeWav(
        quiet, 2 * kRate, [](int i) { return sine(i, 0.1f); }, [](int) { return 0.0f; });

    WaveformLoader loader;
    std::vector<std::pair<QString, float>> shown; // file and loudest peak at each change
    QObject::connect(&loader, &WaveformLoader::changed, [&] {
        float top = 0;
        for (float p : loader.peaks())
            top = std::max(top, p);
        shown.emplace_back(loader.path(), top);
    });
    for (int round = 0; round < 5; ++round) {
        loader.request(loud, 400);
        loader.request(quiet, 400);
    }
    ASSERT_TRUE(waitFor([&] { return !loader.busy(); }, "the waveform"));
    EXPECT_EQ(loader.path(), quiet);
    ASSERT_EQ(loader.peaks().size(), 400u);
    for (const auto& [path, top] : shown) {
        if (path == quiet) {
            EXPECT_LT(top, 0.15f) << "the quiet file never shows the loud one's peaks";
        }
    }

    // Back to a file already done: at once, from the cache.
    loader.request(loud, 400);
    ASSERT_TRUE(waitFor([&] { return !loader.busy(); }, "the waveform"));
    loader.request(quiet, 400);
    EXPECT_FALSE(loader.busy()) << "kept per file";
    EXPECT_EQ(loader.peaks().size(), 400u);

    // A file changed on disk is read again.
    QFile::remove(quiet);
    writeWav(
        quiet, 2 * kRate, [](int i) { return sine(i, 0.6f); }, [](int) { return 0.0f; });
    QFile file(quiet);
    ASSERT_TRUE(file.open(QIODevice::ReadWrite));
    file.setFileTime(QDateTime::currentDateTime().addSecs(60), QFileDevice::FileModificationTime);
    file.close();
    loader.request(loud, 400);
    loader.request(quiet, 400);
    ASSERT_TRUE(waitFor([&] { return !loader.busy(); }, "the waveform"));
    EXPECT_NEAR(*std::max_element(loader.peaks().begin(), loader.peaks().end()), 0.6f, 0.02f);

    loader.clear();
    EXPECT_TRUE(loader.peaks().empty());
    EXPECT_TRUE(loader.path().isEmpty());
}
