// SPDX-License-Identifier: GPL-3.0-or-later
#include "audio/AudioError.h"
#include "audio/WriterTesting.h"
#include "audio/encoders/Mp3EncoderSettings.h"
#include "support/FileSizeLimit.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <csignal>
#include <functional>
#include <memory>
#include <sys/resource.h>

using namespace testsupport;
using namespace writertest;

namespace {

uint32_t le32(const QByteArray& d, int at)
{
    return uint32_t(uint8_t(d[at])) | uint32_t(uint8_t(d[at + 1])) << 8 |
           uint32_t(uint8_t(d[at + 2])) << 16 | uint32_t(uint8_t(d[at + 3])) << 24;
}

uint16_t le16(const QByteArray& d, int at)
{
    return static_cast<uint16_t>(uint8_t(d[at]) | uint8_t(d[at + 1]) << 8);
}

class Writer : public ::testing::Test {
protected:
    QTemporaryDir dir;
    AudioWriter writer;

    QString writeBlock(const QString& name, const SampleArray& block)
    {
        const QString file = dir.filePath(name);
        writer.setBlockFormat(block.rate, block.channels);
        writer.open(file);
        writer.write(block);
        writer.close();
        return file;
    }
};

} // namespace

TEST_F(Writer, WavHeadersHoldTheFormatAndTheSizes)
{
    struct Case {
        int rate, channels, bits, frames;
        uint16_t tag;
        const char* codec;
    };
    for (const Case c :
         {Case{44100, 2, 16, 44101, 1, "pcm_s16le"}, Case{8000, 1, 8, 8001, 1, "pcm_u8"},
          Case{48000, 2, 32, 4800, 0xFFFE, "pcm_s32le"},
          Case{22050, 1, 32, 333, 0xFFFE, "pcm_s32le"}}) {
        SCOPED_TRACE(c.bits);
        writer.setWavFormat(c.rate, c.channels, c.bits);
        const QString file = writeBlock(QString("w%1_%2.wav").arg(c.bits).arg(c.channels),
                                        tone(c.rate, c.channels, c.frames));
        const QByteArray d = testsupport::readAll(file);
        const uint32_t dataBytes = uint32_t(c.frames * c.channels * c.bits / 8);
        const int fmtSize = c.bits > 16 ? 40 : 16;
        ASSERT_EQ(d.left(4), "RIFF");
        EXPECT_EQ(le32(d, 4), uint32_t(d.size() - 8));
        EXPECT_EQ(d.mid(8, 8), "WAVEfmt ");
        EXPECT_EQ(le32(d, 16), uint32_t(fmtSize));
        EXPECT_EQ(le16(d, 20), c.tag);
        EXPECT_EQ(le16(d, 22), c.channels);
        EXPECT_EQ(le32(d, 24), uint32_t(c.rate));
        EXPECT_EQ(le32(d, 28), uint32_t(c.rate * c.channels * c.bits / 8));
        EXPECT_EQ(le16(d, 32), c.channels * c.bits / 8);
        EXPECT_EQ(le16(d, 34), c.bits);
        if (c.bits > 16) {
            EXPECT_EQ(le16(d, 36), 22);
            EXPECT_EQ(le16(d, 38), 32);
            EXPECT_EQ(le32(d, 40), c.channels == 1 ? 4u : 3u);
            EXPECT_EQ(d.mid(44, 16).toHex(), "0100000000001000800000aa00389b71");
        }
        const int data = 20 + fmtSize;
        EXPECT_EQ(d.mid(data, 4), "data");
        EXPECT_EQ(le32(d, data + 4), dataBytes);
        EXPECT_EQ(d.size(), data + 8 + int(dataBytes) + int(dataBytes & 1)); // odd data is padded

        const StreamInfo info = probe(file);
        EXPECT_EQ(info.codec, c.codec);
        EXPECT_EQ(info.rate, c.rate);
        EXPECT_EQ(info.channels, c.channels);
        EXPECT_EQ(decodedFrames(file), c.frames);
    }
}

TEST_F(Writer, PcmRoundTripsThroughAnIndependentDecoder)
{
    // Samples on the 16-bit grid come back bit for bit; others to the
    // nearest step, and full scale is clipped.
    SampleArray block = tone(44100, 2, 1000);
    block.samples[0] = 1.5f;
    block.samples[1] = -2.0f;
    for (int bits : {8, 16, 32}) {
        SCOPED_TRACE(bits);
        writer.setWavFormat(44100, 2, bits);
        const std::vector<float> back = decode(writeBlock(QString("rt%1.wav").arg(bits), block));
        ASSERT_EQ(back.size(), block.samples.size());
        const double step = 1.0 / (1 << (bits - 1));
        EXPECT_NEAR(back[0], 1.0 - step, 1e-9);
        EXPECT_FLOAT_EQ(back[1], -1.0f);
        for (size_t i = 2; i < back.size(); ++i)
            ASSERT_NEAR(back[i], block.samples[i], step / 2 + 1e-7) << i;
    }
}

TEST_F(Writer, ConvertsChannelsAndRateOfTheBlocks)
{
    writer.setWavFormat(44100, 1, 32);
    SampleArray stereo = tone(44100, 2, 100);
    stereo.samples[0] = 0.25f;
    stereo.samples[1] = 0.75f;
    std::vector<float> back = decode(writeBlock("mono.wav", stereo));
    ASSERT_EQ(back.size(), 100u);
    EXPECT_NEAR(back[0], 0.5, 1e-6); // the mean of both channels
    EXPECT_NEAR(back[7], (stereo.samples[14] + stereo.samples[15]) / 2, 1e-6);

    writer.setWavFormat(44100, 2, 32);
    const SampleArray mono = tone(44100, 1, 100);
    back = decode(writeBlock("stereo.wav", mono));
    ASSERT_EQ(back.size(), 200u);
    for (int i = 0; i < 100; ++i) {
        EXPECT_NEAR(back[size_t(2 * i)], mono.samples[size_t(i)], 1e-6);
        EXPECT_NEAR(back[size_t(2 * i + 1)], mono.samples[size_t(i)], 1e-6);
    }

    // 44.1 to 48 kHz in many small blocks: nothing is lost at the end.
    writer.setWavFormat(48000, 2, 16);
    const QString file = dir.filePath("48k.wav");
    writer.setBlockFormat(44100, 2);
    writer.open(file);
    for (int i = 0; i < 100; ++i)
        writer.write(tone(44100, 2, 441, 440.0, i * 441));
    writer.close();
    EXPECT_EQ(probe(file).rate, 48000);
    EXPECT_NEAR(decodedFrames(file), 48000, 1);
}

TEST_F(Writer, BlockFormatMayChangeWhileOpen)
{
    writer.setWavFormat(44100, 2, 16);
    const QString file = dir.filePath("change.wav");
    writer.setBlockFormat(44100, 2);
    writer.open(file);
    writer.setBlockFormat(44100, 2);
    writer.write(tone(44100, 2, 1000));
    writer.setBlockFormat(22050, 1);
    writer.write(tone(22050, 1, 1000));
    writer.close();
    EXPECT_NEAR(decodedFrames(file), 3000, 1);
}

TEST_F(Writer, WithoutFormatCallsItWritesCdQualityWav)
{
    const StreamInfo info = probe(writeBlock("default.wav", tone(22050, 1, 2205)));
    EXPECT_EQ(info.codec, "pcm_s16le");
    EXPECT_EQ(info.rate, 44100);
    EXPECT_EQ(info.channels, 2);
}

TEST_F(Writer, TheLastFormatCallDecides)
{
    Mp3EncoderSettings mp3;
    writer.setMp3Encoder(mp3);
    writer.setOggFormat(44100, 2, 128, 0, 0, -1);
    writer.setWmaProfile(10);
    writer.setWavFormat(8000, 1, 8);
    EXPECT_EQ(probe(writeBlock("last1.wav", tone(8000, 1, 800))).codec, "pcm_u8");
    writer.setMp3Encoder(mp3);
    EXPECT_EQ(probe(writeBlock("last2.mp3", tone(44100, 2, 4410))).codec, "mp3");
}

TEST_F(Writer, FailuresNameTheFileAndLeaveNothingBehind)
{
    const auto expectRefused = [this](const QString& file, const char* cause) {
        try {
            writer.open(file);
            ADD_FAILURE() << "opened " << file.toStdString();
        } catch (const AudioError& e) {
            EXPECT_TRUE(e.message().contains(file)) << e.what();
            EXPECT_TRUE(e.message().contains(cause)) << e.what();
        }
        EXPECT_FALSE(writer.isOpen());
    };
    writer.setWavFormat(44100, 2, 16);
    expectRefused(dir.filePath("missing/out.wav"), "folder does not exist");
    expectRefused(QString(), "no file name");
    QDir(dir.path()).mkdir("taken.wav");
    expectRefused(dir.filePath("taken.wav"), "folder of that name");
    EXPECT_TRUE(QFileInfo(dir.filePath("taken.wav")).isDir());
    for (int profile : {0, 48}) {
        writer.setWmaProfile(profile);
        expectRefused(dir.filePath("bad.wma"), "no WMA profile");
    }
    writer.setWavFormat(44100, 2, 12);
    expectRefused(dir.filePath("bad.wav"), "WAV cannot hold");
    writer.setWavFormat(44100, 2, 16);
    writer.setBlockFormat(44100, -1);
    expectRefused(dir.filePath("block.wav"), "unsupported block format");
    writer.setOggFormat(44100, 2, 0, 0, 0, 500);
    EXPECT_THROW(writer.write(tone(44100, 2, 10)), AudioError); // nothing open
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList());
}

TEST_F(Writer, ABlockOfTheWrongWidthIsRefused)
{
    writer.setWavFormat(44100, 2, 16);
    writer.setBlockFormat(44100, 2);
    writer.open(dir.filePath("width.wav"));
    EXPECT_THROW(writer.write(tone(44100, 1, 100)), AudioError);
    try {
        writer.write(tone(48000, 2, 4800));
        ADD_FAILURE() << "a block at 48000 Hz went into an output announced at 44100";
    } catch (const AudioError& e) {
        EXPECT_TRUE(e.message().contains("48000 Hz where 44100 Hz")) << e.what();
    }
    writer.write(SampleArray{{}, 2, 44100}); // an empty block is nothing to do
    writer.write(tone(44100, 2, 4410));
    writer.close();
    EXPECT_NEAR(probe(dir.filePath("width.wav")).duration, 0.1, 1e-6);
    EXPECT_FALSE(writer.isOpen());
    writer.close(); // closing twice is harmless
}

TEST_F(Writer, ClosingCompletesTheFileWhenTheWriterGoes)
{
    const QString file = dir.filePath("scope.ogg");
    {
        AudioWriter scoped;
        scoped.setOggFormat(44100, 2, 0, 0, 0, 300);
        scoped.setBlockFormat(44100, 2);
        scoped.open(file);
        scoped.write(tone(44100, 2, 44100));
    }
    const StreamInfo info = probe(file);
    EXPECT_EQ(info.codec, "vorbis");
    EXPECT_NEAR(info.duration, 1.0, 0.001);
}

TEST_F(Writer, AFileOfThatNameStaysUntilTheNewOneIsComplete)
{
    for (const auto& [name, select] : std::vector<std::pair<QString, std::function<void()>>>{
             {"same.wav", [this] { writer.setWavFormat(44100, 2, 16); }},
             {"same.mp3", [this] { writer.setMp3Encoder(Mp3EncoderSettings()); }},
             {"same.ogg", [this] { writer.setOggFormat(44100, 2, 96, 0, 0, -1); }},
             {"same.wma", [this] { writer.setWmaProfile(10); }}}) {
        SCOPED_TRACE(name.toStdString());
        const QString file = dir.filePath(name);
        testsupport::writeAll(file, "the earlier output");
        select();
        writer.setBlockFormat(44100, 2);
        writer.open(file);
        writer.write(tone(44100, 2, 44100));
        EXPECT_EQ(testsupport::readAll(file), "the earlier output");
        writer.close();
        EXPECT_NEAR(probe(file).duration, 1.0, 0.1);
    }
    // Nothing else is left in the folder, hidden or not.
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden).size(), 4);
}

TEST_F(Writer, NamesAsLongAsTheFileSystemTakesAreWritten)
{
    // 254 bytes of ASCII, and 83 three-byte characters with "_1.wav": 255
    // bytes, the most a name can have (84 of them are one too many).
    const QString cjk(84, QChar(0x97F3));
    for (const QString& name :
         {QString(248, 'a') + "_1.wav", cjk.left(83) + "_1.wav", QString(246, 'b') + "_1.wma"}) {
        SCOPED_TRACE(name.size());
        ASSERT_LE(QFile::encodeName(name).size(), 255);
        if (name.endsWith(".wma"))
            writer.setWmaProfile(10);
        else
            writer.setWavFormat(44100, 2, 16);
        const QString file = writeBlock(name, tone(44100, 2, 44100));
        EXPECT_NEAR(probe(file).duration, 1.0, 0.1);
    }
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden).size(), 3);
    // A name the file system cannot take is refused with the reason, not
    // mistaken for some other failure.
    writer.setWavFormat(44100, 2, 16);
    const QString tooLong = dir.filePath(cjk + "_1.wav");
    try {
        writer.open(tooLong);
        ADD_FAILURE() << "opened a name of 255 bytes and more";
    } catch (const AudioError& e) {
        EXPECT_EQ(e.message(), "Cannot write " + tooLong + ": File name too long");
    }
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden).size(), 3);
}

TEST_F(Writer, AFailedWriteLeavesTheEarlierFileAndNothingElse)
{
    for (const auto& [name, select] : std::vector<std::pair<QString, std::function<void()>>>{
             {"full.wav", [this] { writer.setWavFormat(44100, 2, 16); }},
             {"full.wma", [this] { writer.setWmaProfile(6); }}}) {
        SCOPED_TRACE(name.toStdString());
        const QString file = dir.filePath(name);
        testsupport::writeAll(file, "the earlier output");
        select();
        writer.setBlockFormat(44100, 2);
        try {
            FileSizeLimit limit(100000);
            writer.open(file);
            for (int i = 0; i < 20; ++i)
                writer.write(tone(44100, 2, 44100));
            writer.close();
            ADD_FAILURE() << "wrote past the limit";
        } catch (const AudioError& e) {
            EXPECT_TRUE(e.message().startsWith("Cannot write " + file)) << e.what();
        }
        EXPECT_FALSE(writer.isOpen());
        EXPECT_EQ(testsupport::readAll(file), "the earlier output");
    }
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden),
              QStringList({"full.wav", "full.wma"}));
}
