// SPDX-License-Identifier: GPL-3.0-or-later
#include "engine/BlockLoop.h"

#include "EngineTesting.h"
#include "audio/AudioFile.h"
#include "base/TimeCode.h"
#include "engine/FadeEnvelope.h"
#include "engine/JobError.h"
#include "settings/Options.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

using namespace enginetest;

class BlockLoopTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        reader.SetEnabled(true);
        writer.SetEnabled(true);
    }

    // Cuts [start, start + length) of `source` into a 16-bit WAV, with the
    // fades of `options` on the source's own scale, as a cut places them.
    int64_t cutToWav(const QString& source, const QString& out, int64_t start, int64_t length,
                     const Options& options, JobPump& pump, bool earlyEnd = false)
    {
        reader.OpenRead(source);
        reader.Seek(static_cast<int32_t>(start));
        writer.SetWavFormat(reader.GetSampleRate(), reader.GetChannels(), 16);
        writer.SetBlockFormat(reader.GetSampleRate(), reader.GetChannels());
        writer.OpenWrite(out);
        writer.SetBlockFormat(reader.GetSampleRate(), reader.GetChannels());
        const int64_t n = reader.GetSampleCount();
        const int64_t S = reader.GetDurationMs() / 1000;
        auto fade = [&](bool on, int seconds) {
            return on ? timecode::Scale64(int64_t(seconds) * 1000, n, S * 1000) : 0;
        };
        BlockStretch stretch;
        stretch.frames = length;
        stretch.blockFrames = int64_t(reader.GetSampleRate()) * reader.GetChannels();
        stretch.earlyEnd = earlyEnd;
        stretch.source = source;
        const FadeEnvelope fades =
            FadeEnvelope::over(length, fade(options.fadeIn, options.fadeInSeconds),
                               fade(options.fadeOut, options.fadeOutSeconds));
        const int64_t frames = RunBlockLoop(reader, writer, fades, stretch, pump);
        writer.Close();
        reader.Close();
        return frames;
    }

    QTemporaryDir dir;
    AudioFile reader;
    AudioFile writer;
    std::atomic<bool> never{false};
    StopFlagPump pump{never};
};

TEST_F(BlockLoopTest, SixteenBitPcmComesOutBitIdenticalAndExactlyAsLong)
{
    const QString source = dir.filePath("noise.wav");
    makeNoiseWav(source, 8.0);
    const QByteArray all = decodePcm16(source);
    Options options;
    // Spans three blocks of two seconds and ends inside the last.
    const int64_t start = 12345;
    const int64_t length = 3 * 88200 - 777;
    const QString out = dir.filePath("slice.wav");
    EXPECT_EQ(cutToWav(source, out, start, length, options, pump), length);
    const QByteArray slice = decodePcm16(out);
    ASSERT_EQ(slice.size(), length * 4);
    EXPECT_TRUE(slice == all.mid(start * 4, length * 4));
}

TEST_F(BlockLoopTest, MonoPieceKeepsItsLastSingleFrame)
{
    const QString source = dir.filePath("mono.wav");
    makeNoiseWav(source, 2.0, 22050, 1);
    Options options;
    const QString out = dir.filePath("mono-out.wav");
    // One block of a second, then a block of one frame (upper bound 0).
    EXPECT_EQ(cutToWav(source, out, 0, 22051, options, pump), 22051);
    EXPECT_EQ(decodedFrames(out), 22051);
}

TEST_F(BlockLoopTest, AFadeInNeverLengthensThePieceAndRisesFromSilence)
{
    const QString source = dir.filePath("tone.wav");
    makeSource(source, 3.0);
    Options options;
    options.fadeIn = true;
    options.fadeInSeconds = 5; // longer than the piece
    const QString out = dir.filePath("faded-in.wav");
    EXPECT_EQ(cutToWav(source, out, 0, 44100, options, pump), 44100);
    const std::vector<int16_t> s = samples(decodePcm16(out));
    ASSERT_EQ(s.size(), 44100u * 2);
    EXPECT_LT(peak(s, 2, 0, 200), 50);
    EXPECT_GT(peak(s, 2, 43000, 44100), 3500);
    // Rising: the second quarter is louder than the first.
    EXPECT_GT(peak(s, 2, 11025, 22050), peak(s, 2, 0, 11025));
}

TEST_F(BlockLoopTest, AFadeOutEndsInSilenceAndLeavesTheRestAlone)
{
    const QString source = dir.filePath("tone.wav");
    makeSource(source, 6.0);
    Options options;
    options.fadeOut = true;
    options.fadeOutSeconds = 1;
    const QString out = dir.filePath("faded-out.wav");
    const int64_t length = 5 * 44100;
    EXPECT_EQ(cutToWav(source, out, 0, length, options, pump), length);
    const std::vector<int16_t> s = samples(decodePcm16(out));
    EXPECT_LT(peak(s, 2, length - 100, length), 50);
    EXPECT_GT(peak(s, 2, 0, 44100), 4000);
    EXPECT_GT(peak(s, 2, length - 44100 - 2000, length - 44100), 4000);
}

TEST_F(BlockLoopTest, TheCustomChoiceEndsWithFewerThanAHundredFramesLeft)
{
    const QString source = dir.filePath("tone.wav");
    makeSource(source, 3.0);
    Options options;
    EXPECT_EQ(cutToWav(source, dir.filePath("a.wav"), 0, 88200 + 99, options, pump, true), 88200);
    EXPECT_EQ(decodedFrames(dir.filePath("a.wav")), 88200);
    EXPECT_EQ(cutToWav(source, dir.filePath("b.wav"), 0, 88200 + 100, options, pump, true), 88300);
    EXPECT_EQ(cutToWav(source, dir.filePath("c.wav"), 0, 88200 + 99, options, pump, false), 88299);
}

TEST_F(BlockLoopTest, ProgressIsCountedInFramesReceived)
{
    const QString source = dir.filePath("tone.wav");
    makeSource(source, 3.0);
    Options options;
    StoppingPump progress;
    cutToWav(source, dir.filePath("p.wav"), 0, 100000, options, progress.pump);
    ASSERT_EQ(progress.calls.size(), 2u);
    EXPECT_EQ(progress.calls[0], std::make_pair(int64_t(88200), int64_t(100000)));
    EXPECT_EQ(progress.calls[1], std::make_pair(int64_t(100000), int64_t(100000)));
}

TEST_F(BlockLoopTest, AStopKeepsADecodablePartialPiece)
{
    const QString source = dir.filePath("tone.wav");
    makeSource(source, 8.0);
    Options options;
    StoppingPump stopping;
    stopping.stopWhen = [](int64_t done, int64_t total) { return done * 2 >= total; };
    const QString out = dir.filePath("stopped.wav");
    const int64_t frames = cutToWav(source, out, 0, 7 * 44100, options, stopping.pump);
    // Stopped at the pump after the block that passed half way.
    EXPECT_EQ(frames, 2 * 88200);
    EXPECT_EQ(decodedFrames(out), frames);
}

TEST_F(BlockLoopTest, BlocksStayAboutASecondWhateverTheFade)
{
    const QString source = dir.filePath("tone.wav");
    makeSource(source, 3.0);
    const int64_t length = 3 * 44100;
    for (const bool fadeIn : {true, false}) {
        SCOPED_TRACE(fadeIn ? "fade-in" : "fade-out");
        Options options;
        // Fades far longer than the piece (a hand-edited ini, --fade-in
        // 100000) cover the piece, and never make one block of it; the
        // fade-out's frame count does not fit in 32 bits.
        options.fadeIn = fadeIn;
        options.fadeOut = !fadeIn;
        options.fadeInSeconds = 100000;
        options.fadeOutSeconds = 50000;
        StoppingPump progress;
        const QString out = dir.filePath("long-fade.wav");
        EXPECT_EQ(cutToWav(source, out, 0, length, options, progress.pump), length);
        ASSERT_EQ(progress.calls.size(), 2u);
        EXPECT_EQ(progress.calls[0].first, 88200);
        const std::vector<int16_t> s = samples(decodePcm16(out));
        ASSERT_EQ(int64_t(s.size()), length * 2);
        EXPECT_LT(peak(s, 2, fadeIn ? 0 : length - 100, fadeIn ? 100 : length), 50);
        EXPECT_GT(peak(s, 2, fadeIn ? length - 1000 : 0, fadeIn ? length : 1000), 3900);
        EXPECT_NEAR(peak(s, 2, length / 2 - 300, length / 2 + 300), 2048, 150);
    }
}

TEST_F(BlockLoopTest, OverlappingFadesKeepBothRampsWhole)
{
    const QString source = dir.filePath("tone.wav");
    makeSource(source, 3.0);
    Options options;
    options.fadeIn = true;
    options.fadeOut = true;
    options.fadeInSeconds = 2;
    options.fadeOutSeconds = 2; // the fades overlap over the middle second
    const QString out = dir.filePath("overlap.wav");
    const int64_t length = 3 * 44100;
    EXPECT_EQ(cutToWav(source, out, 0, length, options, pump), length);
    const std::vector<int16_t> s = samples(decodePcm16(out));
    ASSERT_EQ(int64_t(s.size()), length * 2);
    // At 0.9 s the fade-in has risen 45 % of the way, not been squeezed into
    // the first second; at 1.5 s both ramps stand at 75 %.
    EXPECT_NEAR(peak(s, 2, 39690 - 300, 39690), 0.45 * 4096, 120);
    EXPECT_NEAR(peak(s, 2, 66150 - 150, 66150 + 150), 0.5625 * 4096, 120);
    EXPECT_LT(peak(s, 2, 0, 100), 50);
    EXPECT_LT(peak(s, 2, length - 100, length), 50);
}

TEST_F(BlockLoopTest, AReaderThatRunsDryBeforeThePieceEndsFails)
{
    const QString source = dir.filePath("short.wav");
    makeSource(source, 2.0);
    Options options;
    try {
        cutToWav(source, dir.filePath("dry.wav"), 0, 3 * 44100, options, pump);
        ADD_FAILURE() << "a piece the source cannot fill was written";
    } catch (const JobError& e) {
        EXPECT_TRUE(QString::fromUtf8(e.what()).contains(source)) << e.what();
        EXPECT_TRUE(QString::fromUtf8(e.what()).contains("88200 of the 132300")) << e.what();
    }
    writer.Abandon();
    reader.Close();
    // The Custom choice's early end is no shortfall: fewer than 100 frames
    // were left to read.
    EXPECT_EQ(cutToWav(source, dir.filePath("early.wav"), 0, 88200 + 99, options, pump, true),
              88200);
}

} // namespace
