// SPDX-License-Identifier: GPL-3.0-or-later
#include "settings/ConfigureEncoder.h"

#include "audio/AudioFile.h"
#include "audio/encoders/Mp3EncoderSettings.h"
#include "base/IniFile.h"
#include "settings/SettingsStore.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <cmath>
#include <fcntl.h>
#include <sys/stat.h>

using namespace settings;

namespace {

class ConfigureEncoderTest : public ::testing::Test {
protected:
    QTemporaryDir dir;
    IniFile ini{dir.filePath("Vessimo.ini")};
    SettingsStore store{ini};

    void set(const char* section, const char* key, int value)
    {
        ini.writeInteger(section, key, value);
    }
    EncoderConfiguration configure(int format, const QString& commandLine = {})
    {
        return ConfigureEncoder(format, store, commandLine);
    }
    Mp3Configuration mp3(const QString& commandLine = {})
    {
        const EncoderConfiguration c = configure(FormatMp3, commandLine);
        EXPECT_EQ(c.format, FormatMp3);
        return c.mp3;
    }
    std::vector<OggFormat> ogg() { return configure(FormatOgg).ogg; }
};

const Mp3Properties kDefaultMp3{
    .writeVbrHeader = true,
    .enforceMinBitrate = false,
    .crc = false,
    .allowDiffBlockTypes = false,
    .bitReservoir = true,
    .shortBlocks = true,
    .strictIso = false,
    .highPassFrequency = -1,
    .lowPassFrequency = -1,
    .vbrMethod = -1,
    .athMode = 0,
    .channels = 2,
    .channelMode = 1,
    .emphasis = 0,
    .quality = 5,
    .bitrate = 128,
    .vbrBitrate = 128,
    .highPassWidth = 5,
    .lowPassWidth = 750,
    .vbrQuality = 5,
    .outputSampleRate = 44100,
};

} // namespace

TEST_F(ConfigureEncoderTest, EmptySettingsGiveTheEncoderDefaults)
{
    EXPECT_EQ(mp3(), (Mp3Configuration{kDefaultMp3, std::nullopt, std::nullopt, {}}));

    const EncoderConfiguration wav = configure(FormatWav);
    EXPECT_EQ(wav.format, FormatWav);
    EXPECT_EQ(wav.wav, (WavFormat{44100, 2, 16}));
    EXPECT_EQ(configure(FormatWma).wmaProfile, 10);
    EXPECT_EQ(ogg(), (std::vector<OggFormat>{{44100, 2, 128, 0, 0, -1}}));
    // Only the chosen format's part is filled.
    EXPECT_FALSE(configure(FormatWma).wav);
    EXPECT_TRUE(configure(FormatWav).ogg.empty());

    EXPECT_EQ(configure(4), EncoderConfiguration{});
    EXPECT_EQ(configure(-1), EncoderConfiguration{});
    EXPECT_EQ(configure(4).format, -1);
}

TEST_F(ConfigureEncoderTest, Mp3PassesTheStoredValues)
{
    set("mp3", "bitrate", 14);
    set("mp3", "channel", 3);
    set("mp3", "frequency", 4);
    set("mp3", "quality", 0);
    set("MP3VBR", "Coding Method", 4);
    set("MP3VBR", "vbr bitrate", 11);
    set("MP3VBR", "vbr quality", 2);
    set("MP3VBR", "vbrck", 0);
    set("MP3VBR", "semb", 7); // any non-zero value is true
    set("MP3Filt", "chHFilt", 1);
    set("MP3Filt", "udHFiltF", 120);
    set("MP3Filt", "udHFiltW", 40);
    set("MP3Filt", "udLFiltF", 9000); // the low-pass stays off
    set("MP3Filt", "udLFiltW", 300);
    set("MP3Expert", "Bit", 0);
    set("MP3Expert", "short", 0);
    set("MP3Expert", "allow", 1);
    set("MP3Expert", "comply", 1);
    set("MP3Expert", "crc", 1);
    set("MP3Expert", "ath", 3);
    set("MP3Expert", "de", 2);
    const Mp3Properties expected{
        .writeVbrHeader = false,
        .enforceMinBitrate = true,
        .crc = true,
        .allowDiffBlockTypes = true,
        .bitReservoir = false,
        .shortBlocks = false,
        .strictIso = true,
        .highPassFrequency = 120,
        .lowPassFrequency = -1,
        .vbrMethod = 3,
        .athMode = 3,
        .channels = 2,
        .channelMode = 3,
        .emphasis = 2,
        .quality = 0,
        .bitrate = 320,
        .vbrBitrate = 192,
        .highPassWidth = 40,
        .lowPassWidth = 300,
        .vbrQuality = 2,
        .outputSampleRate = 22050,
    };
    EXPECT_EQ(mp3("-q 1\r\n-b 320"),
              (Mp3Configuration{expected, std::nullopt, std::nullopt, "-q 1\r\n-b 320"}));
}

TEST_F(ConfigureEncoderTest, MonoSetsTheChannelCountOnly)
{
    set("mp3", "channel", 0);
    Mp3Properties expected = kDefaultMp3;
    expected.channels = 1;
    expected.channelMode = std::nullopt;
    EXPECT_EQ(mp3().properties, expected);
}

TEST_F(ConfigureEncoderTest, PresetsReplaceTheFullConfiguration)
{
    set("MP3Prest", "preset", 1);
    set("MP3Prest", "rg_prest", 8);
    EXPECT_EQ(mp3(), (Mp3Configuration{std::nullopt, 9, std::nullopt, {}}));
    EXPECT_EQ(mp3("-q 0"), (Mp3Configuration{std::nullopt, 9, std::nullopt, "-q 0"}));
    set("MP3Prest", "alt", 1);
    set("MP3Prest", "rg_alt", 4);
    EXPECT_EQ(mp3(), (Mp3Configuration{std::nullopt, 9, 5, {}}));
    set("MP3Prest", "preset", 0);
    EXPECT_EQ(mp3(), (Mp3Configuration{std::nullopt, std::nullopt, 5, {}}));
}

TEST_F(ConfigureEncoderTest, WavModes)
{
    set("wav", "bit", 0);
    set("wav", "channel", 0);
    set("wav", "frequency", 3);
    EXPECT_EQ(configure(FormatWav).wav, (WavFormat{44100, 2, 16}));
    set("wav", "mode", 1);
    EXPECT_EQ(configure(FormatWav).wav, (WavFormat{48000, 2, 32}));
    set("wav", "mode", 2);
    EXPECT_EQ(configure(FormatWav).wav, (WavFormat{16000, 1, 8}));
    set("wav", "bit", 1);
    set("wav", "channel", 1);
    ini.writeString("wav", "frequency", "");
    EXPECT_EQ(configure(FormatWav).wav, (WavFormat{44100, 2, 16}));
    set("wav", "mode", 3); // no such mode: read as the Encoder default, CD quality
    EXPECT_EQ(configure(FormatWav).wav, (WavFormat{44100, 2, 16}));
}

TEST_F(ConfigureEncoderTest, WmaProfilesCountFromOne)
{
    set("wma", "format", 46);
    EXPECT_EQ(configure(FormatWma).wmaProfile, 47);
    set("wma", "format", 0);
    EXPECT_EQ(configure(FormatWma).wmaProfile, 1);
    set("wma", "format", -1); // typed text that matches no profile
    EXPECT_EQ(configure(FormatWma).wmaProfile, 10);
}

TEST_F(ConfigureEncoderTest, OggStepsTestTheirOwnFlags)
{
    set("ogg", "channel", 0);
    set("ogg", "frequency", 8);
    set("ogg", "bitrate", 5);
    EXPECT_EQ(ogg(), (std::vector<OggFormat>{{48000, 1, 64, 0, 0, -1}}));

    set("ogg", "channel", 1);
    set("ogg", "frequency", 7);
    set("ogg", "bitrate", 9);
    set("ogg", "min bitrate", 5);
    set("ogg", "max bitrate", 11);
    set("ogg", "oggvbr", 1);
    EXPECT_EQ(ogg(), (std::vector<OggFormat>{{44100, 2, 128, 64, 192, -1}}));

    set("ogg", "oggvbr", 0);
    set("ogg", "oggquality", 1);
    set("ogg", "quality", 1000);
    EXPECT_EQ(ogg(), (std::vector<OggFormat>{{44100, 2, 0, 0, 0, 1000}}));

    set("ogg", "oggvbr", 1); // only a hand-edited file has both
    EXPECT_EQ(ogg(),
              (std::vector<OggFormat>{{44100, 2, 0, 0, 0, 1000}, {44100, 2, 128, 64, 192, -1}}));
}

TEST_F(ConfigureEncoderTest, ReadsTheFileAtEveryCall)
{
    EXPECT_EQ(configure(FormatWma).wmaProfile, 10);
    set("wma", "format", 3);
    EXPECT_EQ(configure(FormatWma).wmaProfile, 4);
    QFile::remove(ini.path());
    EXPECT_EQ(configure(FormatWma).wmaProfile, 10);
}

// A cut configures the writer before every piece; a large options file that
// did not change meanwhile is parsed once, not at each of the many keys read.
TEST_F(ConfigureEncoderTest, ASettledFileIsParsedOnceForAllThePiecesOfACut)
{
    set("mp3", "bitrate", 9);
    testsupport::writeAll(ini.path(),
                          testsupport::readAll(ini.path()) + QByteArray(500 * 1024, ';') + "\n");
    timespec hourAgo[2];
    ::clock_gettime(CLOCK_REALTIME, &hourAgo[0]);
    hourAgo[0].tv_sec -= 3600;
    hourAgo[1] = hourAgo[0];
    ASSERT_EQ(::utimensat(AT_FDCWD, QFile::encodeName(ini.path()).constData(), hourAgo, 0), 0);
    const Mp3Configuration first = mp3();
    const int before = IniFile::parseCount();
    for (int piece = 2; piece <= 21; ++piece)
        EXPECT_EQ(mp3(), first);
    EXPECT_EQ(IniFile::parseCount(), before);
}

TEST_F(ConfigureEncoderTest, HandEditedIndexesNeverLeaveTheTables)
{
    set("mp3", "bitrate", 15);
    set("mp3", "frequency", -2);
    set("ogg", "bitrate", 99);
    const Mp3Configuration m = mp3();
    ASSERT_TRUE(m.properties);
    EXPECT_EQ(m.properties->bitrate, 128);
    EXPECT_EQ(m.properties->outputSampleRate, 44100);
    EXPECT_EQ(ogg(), (std::vector<OggFormat>{{44100, 2, 128, 0, 0, -1}}));
}

// The same configurations on the real writer and settings object, checked in
// the files they write.
class ConfigureRealWriter : public ConfigureEncoderTest {
protected:
    AudioFile writer;
    Mp3EncoderSettings mp3;

    void SetUp() override { writer.SetEnabled(true); }
    void open(const QString& file)
    {
        writer.SetBlockFormat(44100, 2);
        writer.OpenWrite(file, 0);
        writer.SetBlockFormat(44100, 2);
        SampleArray block{std::vector<float>(2 * 44100), 2, 44100};
        for (size_t i = 0; i < block.samples.size(); ++i)
            block.samples[i] = static_cast<float>(0.4 * std::sin(double(i / 2) * 0.05));
        writer.WriteBlock(block);
    }
    QString write(int format, const QString& name, const QString& commandLine = {})
    {
        configureWriter(format, store, commandLine, writer, mp3);
        const QString file = dir.filePath(name);
        open(file);
        writer.Close();
        return file;
    }
    static QJsonObject stream(const QString& file)
    {
        const auto r =
            testsupport::run("ffprobe", {"-v", "error", "-show_streams", "-of", "json", file});
        return QJsonDocument::fromJson(r.out).object()["streams"].toArray().first().toObject();
    }
};

TEST_F(ConfigureRealWriter, EmptySettingsWriteStereoMp3At128)
{
    const QJsonObject s = stream(write(FormatMp3, "default.mp3"));
    EXPECT_EQ(s["codec_name"].toString(), "mp3");
    EXPECT_EQ(s["sample_rate"].toString(), "44100");
    EXPECT_EQ(s["channels"].toInt(), 2);
    EXPECT_EQ(s["bit_rate"].toString(), "128000");
}

TEST_F(ConfigureRealWriter, MonoKeepsTheLastChannelModeAndPresetsKeepTheRate)
{
    set("mp3", "channel", 3);
    set("mp3", "frequency", 5);
    set("mp3", "bitrate", 6);
    write(FormatMp3, "forced.mp3");
    set("mp3", "channel", 0);
    const QJsonObject mono = stream(write(FormatMp3, "mono.mp3"));
    EXPECT_EQ(mono["channels"].toInt(), 1);
    EXPECT_EQ(mp3.channelMode(), Mp3EncoderSettings::ForcedJointStereo);

    set("mp3", "channel", 2);
    write(FormatMp3, "joint.mp3");
    set("MP3Prest", "preset", 1);
    set("MP3Prest", "rg_prest", 8);
    const QJsonObject cd = stream(write(FormatMp3, "cd.mp3"));
    EXPECT_EQ(cd["sample_rate"].toString(), "24000"); // as the last full configuration set
    EXPECT_EQ(mp3.preset(), 9);
    EXPECT_EQ(mp3.bitrate(), 80);

    set("MP3Prest", "preset", 0);
    write(FormatMp3, "plain.mp3");
    EXPECT_FALSE(mp3.usesPreset());
}

TEST_F(ConfigureRealWriter, WavModeOneWrites32BitsAt48k)
{
    set("wav", "mode", 1);
    set("wav", "bit", 0);
    set("wav", "channel", 0);
    set("wav", "frequency", 0);
    const QJsonObject s = stream(write(FormatWav, "best.wav"));
    EXPECT_EQ(s["codec_name"].toString(), "pcm_s32le");
    EXPECT_EQ(s["sample_rate"].toString(), "48000");
    EXPECT_EQ(s["channels"].toInt(), 2);
}

TEST_F(ConfigureRealWriter, WmaLosslessProfile)
{
    set("wma", "format", 46);
    const QJsonObject s = stream(write(FormatWma, "lossless.wma"));
    EXPECT_EQ(s["codec_name"].toString(), "wmav2");
    EXPECT_EQ(s["sample_rate"].toString(), "44100");
    EXPECT_EQ(s["channels"].toInt(), 2);
}

TEST_F(ConfigureRealWriter, OggVariableBitrate)
{
    set("ogg", "oggvbr", 1);
    set("ogg", "min bitrate", 5);
    set("ogg", "max bitrate", 11);
    const QString file = write(FormatOgg, "vbr.ogg");
    const QJsonObject s = stream(file);
    EXPECT_EQ(s["codec_name"].toString(), "vorbis");
    EXPECT_EQ(s["bit_rate"].toString(), "128000");
    const QByteArray d = testsupport::readAll(file);
    const int at = d.indexOf("\x01vorbis");
    ASSERT_GT(at, 0);
    // Maximum, nominal and minimum of the identification header, little-endian:
    // 192000, 128000 and 64000 bit/s.
    EXPECT_EQ(d.mid(at + 16, 12).toHex(), "00ee020000f4010000fa0000");
}

TEST_F(ConfigureRealWriter, CommandLineErrorsReachTheCaller)
{
    configureWriter(FormatMp3, store, "--unknown", writer, mp3);
    EXPECT_THROW(writer.OpenWrite(dir.filePath("x.mp3"), 0), std::runtime_error);
}

// Choosing WAV closes an output still open, completing it, before the format
// changes; the other formats leave it to the caller.
TEST_F(ConfigureRealWriter, WavClosesAnOpenOutputFirst)
{
    set("wav", "mode", 1);
    configureWriter(FormatOgg, store, {}, writer, mp3);
    const QString first = dir.filePath("first.ogg");
    open(first);
    configureWriter(FormatWav, store, {}, writer, mp3);
    EXPECT_FALSE(writer.IsOpen());
    EXPECT_EQ(stream(first)["codec_name"].toString(), "vorbis");

    const QJsonObject s = stream(write(FormatWav, "after.wav"));
    EXPECT_EQ(s["codec_name"].toString(), "pcm_s32le");
}
