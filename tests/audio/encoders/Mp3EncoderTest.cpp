// SPDX-License-Identifier: GPL-3.0-or-later
#include "audio/AudioError.h"
#include "audio/AudioFile.h"
#include "audio/Mp3Frames.h"
#include "audio/WriterTesting.h"
#include "audio/encoders/Mp3EncoderSettings.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>
#include <set>

using namespace testsupport;
using namespace writertest;

namespace {

class Mp3Writer : public ::testing::Test {
protected:
    QTemporaryDir dir;
    AudioWriter writer;
    Mp3EncoderSettings settings;

    // Writes `frames` frames of a stereo 44.1 kHz tone (or the given block
    // format) with the settings and returns the file's path.
    QString encode(const QString& name, int frames = 2 * 44100 + 333, int rate = 44100,
                   int channels = 2)
    {
        const QString file = dir.filePath(name);
        writer.setMp3Encoder(settings);
        writeTone(writer, file, rate, channels, frames);
        return file;
    }
    std::vector<Mp3Frame> frames(const QString& file)
    {
        return mp3Frames(testsupport::readAll(file));
    }
};

std::set<int> modesOf(const std::vector<Mp3Frame>& frames)
{
    std::set<int> modes;
    for (const Mp3Frame& f : frames)
        modes.insert(f.mode);
    return modes;
}

} // namespace

TEST_F(Mp3Writer, CbrDecodesToTheFramesWrittenAtTheConfiguredFormat)
{
    struct Case {
        int rate;
        int kbps;
        int channels;
    };
    for (const Case c :
         {Case{44100, 128, 2}, Case{48000, 320, 2}, Case{32000, 64, 1}, Case{22050, 64, 2},
          Case{16000, 48, 1}, Case{11025, 32, 2}, Case{8000, 32, 1}}) {
        SCOPED_TRACE(
            QString("%1 Hz %2 kbps %3 ch").arg(c.rate).arg(c.kbps).arg(c.channels).toStdString());
        settings.SetOutputSampleRate(c.rate);
        settings.SetBitrate(c.kbps);
        settings.SetChannels(c.channels);
        const int n = c.rate + 777;
        const QString file = encode(QString("cbr%1_%2.mp3").arg(c.rate).arg(c.kbps), n, c.rate, 2);
        const StreamInfo info = probe(file);
        EXPECT_EQ(info.codec, "mp3");
        EXPECT_EQ(info.rate, c.rate);
        EXPECT_EQ(info.channels, c.channels);
        EXPECT_EQ(info.bitRate, c.kbps * 1000);
        EXPECT_EQ(decodedFrames(file), n);
        const auto f = frames(file);
        ASSERT_GT(f.size(), 2u);
        EXPECT_EQ(f[0].tag, "Info");
        EXPECT_EQ(f[1].kbps, c.kbps);
        EXPECT_EQ(f[1].mode == 3, c.channels == 1);
    }
}

TEST_F(Mp3Writer, LowestBitrateHasNoTagFrameAndStillDecodes)
{
    settings.SetOutputSampleRate(8000);
    settings.SetBitrate(8);
    settings.SetChannels(2);
    const QString file = encode("low.mp3", 8000, 8000, 1);
    const auto f = frames(file);
    ASSERT_FALSE(f.empty());
    EXPECT_TRUE(f[0].tag.isEmpty()); // the frame is too small for it
    EXPECT_EQ(probe(file).rate, 8000);
    EXPECT_GE(decodedFrames(file), 8000); // delay and padding stay in
}

TEST_F(Mp3Writer, AnEmptyOutputIsAStreamOfNoSamplesThatEveryDecoderOpens)
{
    struct Case {
        int rate;
        int channels;
        bool vbr;
        bool crc;
        bool vbrHeader;
    };
    for (const Case c : {Case{44100, 2, false, false, true}, Case{48000, 1, true, false, true},
                         Case{22050, 2, true, true, true}, Case{8000, 1, false, false, false},
                         Case{11025, 2, false, true, false}}) {
        SCOPED_TRACE(QString("%1 Hz %2 ch").arg(c.rate).arg(c.channels).toStdString());
        settings.SetOutputSampleRate(c.rate);
        settings.SetChannels(c.channels);
        settings.SetBitrate(c.rate < 32000 ? 32 : 128);
        settings.SetVbrMethod(c.vbr ? Mp3EncoderSettings::VbrDefault : Mp3EncoderSettings::VbrNone);
        settings.SetCrc(c.crc);
        settings.SetWriteVbrHeader(c.vbrHeader);
        const QString file =
            encode(QString("empty%1_%2.mp3").arg(c.rate).arg(c.channels), 0, c.rate, c.channels);
        const auto probed = testsupport::run("ffprobe", {"-v", "error", "-show_streams", file});
        EXPECT_EQ(probed.exitCode, 0);
        EXPECT_TRUE(probed.err.isEmpty()) << probed.err.toStdString();
        const auto stream = probe(file);
        EXPECT_EQ(stream.rate, c.rate);
        EXPECT_EQ(stream.channels, c.channels);
        const auto decoded =
            testsupport::run("ffmpeg", {"-v", "error", "-i", file, "-f", "f32le", "-"});
        EXPECT_EQ(decoded.exitCode, 0) << decoded.err.toStdString();
        EXPECT_TRUE(decoded.out.isEmpty());
        AudioFile reader;
        reader.SetEnabled(true);
        reader.OpenRead(file);
        EXPECT_EQ(reader.GetSampleCount(), 0);
        EXPECT_EQ(reader.ReadBlock(4096).frames(), 0);
    }
}

TEST_F(Mp3Writer, ConvertsTheBlockFormatToTheOutputFormat)
{
    settings.SetOutputSampleRate(22050);
    settings.SetChannels(2);
    settings.SetBitrate(96);
    const QString file = encode("resampled.mp3", 44100, 44100, 1);
    EXPECT_EQ(probe(file).rate, 22050);
    EXPECT_EQ(probe(file).channels, 2);
    EXPECT_NEAR(decodedFrames(file), 22050, 1);
}

TEST_F(Mp3Writer, ChannelModesCrcAndEmphasisShowInTheHeaders)
{
    struct Case {
        int mode;
        int headerMode;
    };
    for (const Case c :
         {Case{Mp3EncoderSettings::Stereo, 0}, Case{Mp3EncoderSettings::JointStereo, 1},
          Case{Mp3EncoderSettings::ForcedJointStereo, 1},
          Case{Mp3EncoderSettings::DualChannels, 2}}) {
        SCOPED_TRACE(c.mode);
        settings.SetChannelMode(c.mode);
        const auto f = frames(encode(QString("mode%1.mp3").arg(c.mode), 44100));
        EXPECT_EQ(modesOf({f.begin() + 1, f.end()}), std::set<int>{c.headerMode});
    }

    settings.SetChannelMode(Mp3EncoderSettings::JointStereo);
    settings.SetCrc(true);
    settings.SetEmphasis(Mp3EncoderSettings::Emphasis50_15);
    auto f = frames(encode("crc.mp3", 44100));
    ASSERT_GT(f.size(), 10u);
    EXPECT_TRUE(std::all_of(f.begin() + 1, f.end(),
                            [](const Mp3Frame& x) { return x.crc && x.emphasis == 1; }));
    EXPECT_EQ(decodedFrames(dir.filePath("crc.mp3")), 44100);

    settings.SetCrc(false);
    settings.SetEmphasis(Mp3EncoderSettings::EmphasisCcitt);
    f = frames(encode("ccitt.mp3", 44100));
    EXPECT_TRUE(std::all_of(f.begin() + 1, f.end(),
                            [](const Mp3Frame& x) { return !x.crc && x.emphasis == 3; }));
}

TEST_F(Mp3Writer, BitReservoirCanBeSwitchedOff)
{
    const auto usesReservoir = [](const std::vector<Mp3Frame>& f) {
        return std::any_of(f.begin() + 1, f.end(),
                           [](const Mp3Frame& x) { return x.mainDataBegin != 0; });
    };
    EXPECT_TRUE(usesReservoir(frames(encode("res.mp3", 44100))));
    settings.SetBitReservoir(false);
    EXPECT_FALSE(usesReservoir(frames(encode("nores.mp3", 44100))));
}

TEST_F(Mp3Writer, VbrWritesAXingHeaderAndVariesTheBitrate)
{
    settings.SetVbrMethod(Mp3EncoderSettings::VbrDefault);
    settings.SetVbrQuality(2);
    settings.SetVbrBitrate(320);
    const int n = 2 * 44100 + 5;
    const QString file = encode("vbr.mp3", n);
    const auto f = frames(file);
    ASSERT_GT(f.size(), 10u);
    EXPECT_EQ(f[0].tag, "Xing");
    std::set<int> rates;
    for (size_t i = 1; i < f.size(); ++i) {
        rates.insert(f[i].kbps);
        EXPECT_LE(f[i].kbps, 320);
    }
    EXPECT_GT(rates.size(), 1u);
    EXPECT_EQ(decodedFrames(file), n);

    // The maximum bounds the frames; the strict minimum keeps even silence up.
    settings.SetVbrBitrate(128);
    settings.SetBitrate(96);
    settings.SetEnforceMinBitrate(true);
    for (const Mp3Frame& x : frames(encode("bounded.mp3", n)))
        if (x.tag.isEmpty()) {
            EXPECT_LE(x.kbps, 128);
            EXPECT_GE(x.kbps, 96);
        }
}

TEST_F(Mp3Writer, WithoutVbrHeaderTheDelayStaysIn)
{
    settings.SetWriteVbrHeader(false);
    const QString file = encode("notag.mp3", 44100);
    EXPECT_TRUE(frames(file)[0].tag.isEmpty());
    EXPECT_GT(decodedFrames(file), 44100);
}

TEST_F(Mp3Writer, ExpertSwitchesAndFiltersAreAccepted)
{
    settings.SetStrictIso(true);
    settings.SetShortBlocks(false);
    settings.SetAllowDiffBlockTypes(true);
    settings.SetAthMode(Mp3EncoderSettings::AthOnlyShortBlocks);
    settings.SetLowPassFrequency(5000);
    settings.SetLowPassWidth(500);
    settings.SetHighPassFrequency(100);
    settings.SetHighPassWidth(50);
    settings.SetQuality(0);
    const QString file = encode("expert.mp3", 44100, 44100, 2);
    EXPECT_EQ(decodedFrames(file), 44100);
    EXPECT_EQ(frames(file)[0].lameLowpass, 5000);

    // The low-pass at 5 kHz takes a 10 kHz tone away.
    const QString high = dir.filePath("high.mp3");
    writer.setMp3Encoder(settings);
    writeTone(writer, high, 44100, 2, 44100, 10000.0);
    const std::vector<float> decoded = decode(high);
    double energy = 0;
    for (size_t i = 4410 * 2; i < decoded.size() - 4410 * 2; ++i)
        energy += double(decoded[i]) * decoded[i];
    EXPECT_LT(energy / double(decoded.size()), 1e-4); // the input's is 0.125
}

TEST_F(Mp3Writer, FiltersSetToMinusOneLeaveLameItsOwnLowPassOnly)
{
    // With the user's filters off, LAME keeps the low-pass it tunes to the
    // bitrate, and a low bitrate gets a lower one; no 5 kHz filter remains
    // from an earlier configuration.
    settings.SetLowPassFrequency(5000);
    writer.setMp3Encoder(settings);
    writeTone(writer, dir.filePath("filtered.mp3"), 44100, 2, 4410);
    EXPECT_EQ(frames(dir.filePath("filtered.mp3"))[0].lameLowpass, 5000);

    settings.SetLowPassFrequency(-1);
    settings.SetHighPassFrequency(-1);
    int previous = 0;
    for (int kbps : {320, 128, 64}) {
        SCOPED_TRACE(kbps);
        settings.SetBitrate(kbps);
        const QString file = dir.filePath(QString("auto%1.mp3").arg(kbps));
        writer.setMp3Encoder(settings);
        writeTone(writer, file, 44100, 2, 4410);
        const int lowpass = frames(file)[0].lameLowpass;
        EXPECT_GT(lowpass, 10000);
        if (previous) {
            EXPECT_LT(lowpass, previous);
        }
        previous = lowpass;
    }
}

TEST_F(Mp3Writer, PresetsEncodeAsLameDefinesThem)
{
    settings.SetPreset(9); // CD: ABR 192
    const QString cd = encode("cd.mp3", 3 * 44100);
    EXPECT_EQ(frames(cd)[0].tag, "Xing");
    EXPECT_EQ(frames(cd)[0].lameMethod, 2); // ABR
    EXPECT_EQ(frames(cd)[0].lameBitrate, 192);
    EXPECT_EQ(decodedFrames(cd), 3 * 44100);

    settings.SetPreset(1); // Phone: mono
    const QString phone = encode("phone.mp3");
    EXPECT_EQ(probe(phone).channels, 1);
    // ABR 16 at the 44.1 kHz last set: MPEG-1's lowest bitrate.
    EXPECT_EQ(frames(phone)[0].lameBitrate, 32);

    settings.SetPreset(0);
    settings.SetAltPreset(5); // Insane: CBR 320
    const auto insane = frames(encode("insane.mp3"));
    EXPECT_EQ(insane[0].tag, "Info");
    EXPECT_EQ(insane[2].kbps, 320);

    settings.SetAltPreset(2); // Standard: VBR
    const auto standard = frames(encode("standard.mp3"));
    EXPECT_EQ(standard[0].tag, "Xing");
    EXPECT_GE(standard[0].lameMethod, 3);
}

TEST_F(Mp3Writer, CommandLineOverridesTheSettings)
{
    settings.SetCommandLine("-b 192\r\n-m m   --resample 22.05");
    QString file = encode("cl.mp3", 44100);
    StreamInfo info = probe(file);
    EXPECT_EQ(info.channels, 1);
    EXPECT_EQ(info.rate, 22050);
    // MPEG-2 has no 192 kbit/s: LAME takes the nearest it has.
    EXPECT_LE(info.bitRate, 160000);

    settings.SetCommandLine("-V 0 -q 2 -p -e c");
    const auto f = frames(encode("clvbr.mp3", 44100));
    EXPECT_EQ(f[0].tag, "Xing");
    EXPECT_TRUE(f[1].crc);
    EXPECT_EQ(f[1].emphasis, 3);

    settings.SetCommandLine("--preset insane");
    EXPECT_EQ(frames(encode("clinsane.mp3"))[2].kbps, 320);
}

TEST_F(Mp3Writer, RefusedCommandLineNamesTheOptionAndCreatesNothing)
{
    for (const QString& text : {QString("-b 128 --bogus"), QString("-b"), QString("-m x"),
                                QString("-V eleven"), QString("--preset loud")}) {
        settings.SetCommandLine(text);
        writer.setMp3Encoder(settings);
        const QString file = dir.filePath("refused.mp3");
        try {
            writer.open(file);
            FAIL() << "accepted " << text.toStdString();
        } catch (const AudioError& e) {
            EXPECT_TRUE(e.message().contains(file)) << e.what();
            EXPECT_TRUE(e.message().contains("MP3 command line")) << e.what();
        }
        EXPECT_FALSE(writer.isOpen());
        EXPECT_FALSE(QFile::exists(file));
    }
}

TEST_F(Mp3Writer, RefusedSettingDoesNotTouchAFileOfThatName)
{
    const QString file = dir.filePath("existing.mp3");
    testsupport::writeAll(file, "keep me");
    settings.SetOutputSampleRate(7000);
    writer.setMp3Encoder(settings);
    EXPECT_THROW(writer.open(file), AudioError);
    EXPECT_EQ(testsupport::readAll(file), "keep me");
}

TEST(CheckMp3Format, FollowsTheMpegBitrateTables)
{
    const int rates[] = {8000, 11025, 12000, 16000, 22050, 24000, 32000, 44100, 48000};
    const int kbps[] = {8, 16, 24, 32, 48, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320};
    for (int rate : rates) {
        const int low = rate >= 32000 ? 32 : 8;
        const int high = rate >= 32000 ? 320 : rate >= 16000 ? 160 : 64;
        for (int k : kbps)
            for (int mode : {1, 2, 3, 4, 5})
                EXPECT_EQ(AudioWriter::checkMp3Format(rate, k, mode), k >= low && k <= high)
                    << rate << " Hz " << k << " kbps mode " << mode;
    }
    EXPECT_FALSE(AudioWriter::checkMp3Format(44100, 128, 0));
    EXPECT_FALSE(AudioWriter::checkMp3Format(44100, 128, 6));
    EXPECT_FALSE(AudioWriter::checkMp3Format(96000, 128, 2));
    EXPECT_FALSE(AudioWriter::checkMp3Format(44100, 130, 2));
}
