// SPDX-License-Identifier: GPL-3.0-or-later
#include "audio/AudioFile.h"
#include "audio/AudioError.h"
#include "audio/WriterTesting.h"
#include "audio/encoders/Mp3EncoderSettings.h"
#include "base/IniFile.h"
#include "settings/ConfigureEncoder.h"
#include "settings/SettingsStore.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <functional>
#include <limits>
#include <vector>

namespace {

class AudioFileTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        reader.SetEnabled(true);
        writer.SetEnabled(true);
    }

    // Writes `frames` frames of a tone in blocks, the way the jobs drive the writer.
    void writeThroughFacade(const QString& path, int rate, int channels, int frames)
    {
        writer.SetBlockFormat(rate, channels);
        writer.OpenWrite(path, 0);
        writer.SetBlockFormat(rate, channels);
        for (int done = 0; done < frames;) {
            const int n = std::min(4410, frames - done);
            writer.WriteBlock(testsupport::tone(rate, channels, n, 440.0, done));
            done += n;
        }
        writer.Close();
    }

    int readAllFrames()
    {
        int total = 0;
        for (;;) {
            const SampleArray block = reader.ReadBlock(4096);
            if (block.frames() == 0)
                return total;
            total += block.frames();
        }
    }

    QTemporaryDir dir;
    AudioFile reader;
    AudioFile writer;
};

} // namespace

TEST_F(AudioFileTest, SwitchedOffComponentRefusesToOpenUntilSwitchedOnAgain)
{
    const QString wav = dir.filePath("a.wav");
    writer.SetWavFormat(8000, 1, 16);
    writeThroughFacade(wav, 8000, 1, 800);

    AudioFile off;
    EXPECT_THROW(off.OpenRead(wav, 0, 1), AudioError);
    EXPECT_THROW(off.OpenWrite(dir.filePath("b.wav"), 0), AudioError);
    EXPECT_FALSE(QFile::exists(dir.filePath("b.wav")));

    // After a failed probe the reader is switched off and on and takes the next file.
    EXPECT_THROW(reader.OpenRead(dir.filePath("missing.mp3"), 0, 1), AudioError);
    EXPECT_FALSE(reader.IsOpen());
    reader.SetEnabled(false);
    reader.SetEnabled(true);
    reader.OpenRead(wav, 0, 1);
    EXPECT_TRUE(reader.IsOpen());
    EXPECT_EQ(reader.GetSampleCount(), 800);

    // Switching off closes what is open.
    reader.SetEnabled(false);
    EXPECT_FALSE(reader.IsOpen());
}

TEST_F(AudioFileTest, QueriesWithoutAnOpenSourceRaiseInsteadOfCrashing)
{
    EXPECT_THROW(reader.GetSampleCount(), AudioError);
    EXPECT_THROW(reader.ReadBlock(10), AudioError);
    EXPECT_THROW(reader.Seek(0, 3), AudioError);
    EXPECT_THROW(writer.WriteBlock(testsupport::tone(44100, 2, 10)), AudioError);
}

TEST_F(AudioFileTest, WrittenWavReadsBackWithItsFormatLengthAndSamples)
{
    const QString wav = dir.filePath("round.wav");
    writer.SetWavFormat(22050, 2, 16);
    writeThroughFacade(wav, 22050, 2, 22050 * 2 + 17);
    EXPECT_FALSE(writer.IsOpen());

    reader.OpenRead(wav, 0, 1);
    EXPECT_EQ(reader.GetFormatName(), "wav");
    EXPECT_EQ(reader.GetSampleRate(), 22050);
    EXPECT_EQ(reader.GetChannels(), 2);
    EXPECT_EQ(reader.GetSampleCount(), 22050 * 2 + 17);
    EXPECT_EQ(reader.GetDurationMs(), 2000);

    reader.Seek(1000, 3);
    const SampleArray block = reader.ReadBlock(5);
    const SampleArray expected = testsupport::tone(22050, 2, 5, 440.0, 1000);
    ASSERT_EQ(block.samples.size(), expected.samples.size());
    for (size_t i = 0; i < block.samples.size(); ++i)
        EXPECT_NEAR(block.samples[i], expected.samples[i], 1.0 / 32768);
    reader.Close();
    EXPECT_FALSE(reader.IsOpen());
}

// Positions are 32-bit frame counts: a source with more frames is refused
// with the limit in hours rather than opened with a count that disagrees
// with its duration. Sparse ".raw" files (44100 Hz stereo, 4 bytes a frame)
// take no disk space.
TEST_F(AudioFileTest, SourcesBeyond32BitFrameCountsAreRefusedAtOpen)
{
    constexpr int64_t kMax = std::numeric_limits<int32_t>::max();
    const auto sparseRaw = [&](const QString& name, int64_t frames) {
        QFile f(dir.filePath(name));
        EXPECT_TRUE(f.open(QIODevice::WriteOnly));
        EXPECT_TRUE(f.resize(frames * 4));
        return f.fileName();
    };
    const QString longest = sparseRaw("longest.raw", kMax);
    reader.OpenRead(longest, 0, 1);
    EXPECT_EQ(reader.GetSampleCount(), kMax);
    EXPECT_EQ(reader.GetDurationMs(), kMax * 1000 / 44100);
    reader.Seek(static_cast<int32_t>(kMax - 10), 3);
    EXPECT_EQ(readAllFrames(), 10);
    reader.Close();

    const QString tooLong = sparseRaw("too-long.raw", kMax + 1);
    try {
        reader.OpenRead(tooLong, 0, 1);
        ADD_FAILURE() << "opened a source of 2^31 frames";
    } catch (const AudioError& e) {
        EXPECT_TRUE(e.message().contains(tooLong)) << e.message().toStdString();
        EXPECT_TRUE(e.message().contains("longer than 13.5 hours is not supported"))
            << e.message().toStdString();
    }
    EXPECT_FALSE(reader.IsOpen());
}

TEST_F(AudioFileTest, BlockFormatConvertsOnAnOpenReaderAndDescribesInputOtherwise)
{
    const QString wav = dir.filePath("src.wav");
    writer.SetWavFormat(44100, 2, 16);
    // Mono blocks at 22050 Hz into a stereo 44100 Hz file: the writer converts.
    writeThroughFacade(wav, 22050, 1, 22050);

    reader.OpenRead(wav, 0, 1);
    EXPECT_EQ(reader.GetChannels(), 2);
    EXPECT_NEAR(reader.GetSampleCount(), 44100, 1);
    reader.SetBlockFormat(8000, 1);
    const SampleArray block = reader.ReadBlock(100);
    EXPECT_EQ(block.channels, 1);
    EXPECT_EQ(block.rate, 8000);
    EXPECT_NEAR(100 + readAllFrames(), 8000, 1);
}

// The whole path a cut takes for one piece: configure the writer from the
// settings file, write, and read the output back with the program's reader.
TEST_F(AudioFileTest, ConfiguredOutputsReadBackWithTheWrittenLength)
{
    IniFile ini(dir.filePath("Vessimo.ini"));
    settings::SettingsStore store(ini);
    Mp3EncoderSettings mp3;
    const int frames = 44100 * 2 + 333;

    struct Case {
        int format;
        const char* file;
        const char* formatName;
    };
    for (const Case c :
         {Case{settings::FormatMp3, "out.mp3", "mp3"}, Case{settings::FormatWav, "out.wav", "wav"},
          Case{settings::FormatOgg, "out.ogg", "ogg"}}) {
        SCOPED_TRACE(c.file);
        settings::configureWriter(c.format, store, QString(), writer, mp3);
        writeThroughFacade(dir.filePath(c.file), 44100, 2, frames);
        reader.OpenRead(dir.filePath(c.file), 0, 1);
        EXPECT_EQ(reader.GetFormatName(), c.formatName);
        EXPECT_EQ(reader.GetSampleRate(), 44100);
        EXPECT_EQ(reader.GetChannels(), 2);
        EXPECT_EQ(reader.GetSampleCount(), frames);
        EXPECT_EQ(readAllFrames(), frames);
        reader.Close();
    }

    // WMA is written in whole codec frames; its length is within one of them.
    settings::configureWriter(settings::FormatWma, store, QString(), writer, mp3);
    writeThroughFacade(dir.filePath("out.wma"), 44100, 2, frames);
    reader.OpenRead(dir.filePath("out.wma"), 0, 1);
    EXPECT_EQ(reader.GetFormatName(), "wma");
    EXPECT_NEAR(reader.GetSampleCount(), frames, 2048);
}

TEST_F(AudioFileTest, AbandonedOutputLeavesNothingAndKeepsAnEarlierFile)
{
    Mp3EncoderSettings mp3;
    const std::vector<std::pair<QString, std::function<void()>>> formats = {
        {"out.wav", [this] { writer.SetWavFormat(44100, 2, 16); }},
        {"out.mp3", [&] { writer.SetMp3Encoder(mp3); }},
        {"out.ogg", [this] { writer.SetOggFormat(44100, 2, 96, 0, 0, -1); }},
        {"out.wma", [this] { writer.SetWmaProfile(10); }}};
    for (const bool earlier : {false, true}) {
        for (const auto& [name, select] : formats) {
            SCOPED_TRACE(name.toStdString() + (earlier ? " over an earlier file" : ""));
            const QString file = dir.filePath(name);
            if (earlier)
                testsupport::writeAll(file, "the earlier output");
            select();
            writer.SetBlockFormat(44100, 2);
            writer.OpenWrite(file);
            writer.WriteBlock(testsupport::tone(44100, 2, 44100, 440.0, 0));
            writer.Abandon();
            EXPECT_FALSE(writer.IsOpen());
            if (earlier) {
                EXPECT_EQ(testsupport::readAll(file), "the earlier output");
            } else {
                EXPECT_FALSE(QFile::exists(file));
            }
            // Closing afterwards completes nothing.
            writer.Close();
            if (!earlier) {
                EXPECT_FALSE(QFile::exists(file));
            }
            QFile::remove(file);
        }
    }
    // No hidden partial file is left behind either.
    EXPECT_TRUE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden).isEmpty());

    // The component writes the next output as usual; dropping with nothing
    // open, and with a reader open, changes nothing.
    writer.Abandon();
    const QString next = dir.filePath("next.wav");
    writer.SetWavFormat(44100, 2, 16);
    writeThroughFacade(next, 44100, 2, 22050);
    reader.OpenRead(next);
    reader.Abandon();
    EXPECT_TRUE(reader.IsOpen());
    EXPECT_EQ(readAllFrames(), 22050);
}
