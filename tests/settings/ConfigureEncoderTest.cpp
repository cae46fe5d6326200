#include "settings/ConfigureEncoder.h"

#include "base/IniFile.h"
#include "audio/AudioWriter.h"
#include "audio/encoders/Mp3EncoderSettings.h"
#include "settings/EncoderTarget.h"
#include "settings/SettingsStore.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QStringList>
#include <QTemporaryDir>
#include <cmath>

using namespace settings;

namespace {

// Records every call ConfigureEncoder makes, in order.
class RecordingTarget : public EncoderTarget {
public:
    QStringList calls;
    bool open = false;

    bool IsOpen() const override
    {
        const_cast<RecordingTarget*>(this)->calls << "IsOpen";
        return open;
    }
    void Close() override { add("Close"); }
    void SetWavFormat(int rate, int channels, int bits) override
    {
        add("SetWavFormat", {rate, channels, bits});
    }
    void SetWmaProfile(int profile) override { add("SetWmaProfile", {profile}); }
    void SetOggFormat(int rate, int channels, int kbps, int minKbps, int maxKbps,
                      int quality) override
    {
        add("SetOggFormat", {rate, channels, kbps, minKbps, maxKbps, quality});
    }
    void SetMp3Encoder() override { add("SetMp3Encoder"); }
    void SetWriteVbrHeader(bool on) override { add("SetWriteVbrHeader", {on}); }
    void SetEnforceMinBitrate(bool on) override { add("SetEnforceMinBitrate", {on}); }
    void SetCrc(bool on) override { add("SetCrc", {on}); }
    void SetAllowDiffBlockTypes(bool on) override { add("SetAllowDiffBlockTypes", {on}); }
    void SetBitReservoir(bool on) override { add("SetBitReservoir", {on}); }
    void SetShortBlocks(bool on) override { add("SetShortBlocks", {on}); }
    void SetStrictIso(bool on) override { add("SetStrictIso", {on}); }
    void SetHighPassFrequency(int hz) override { add("SetHighPassFrequency", {hz}); }
    void SetLowPassFrequency(int hz) override { add("SetLowPassFrequency", {hz}); }
    void SetVbrMethod(int method) override { add("SetVbrMethod", {method}); }
    void SetAthMode(int mode) override { add("SetAthMode", {mode}); }
    void SetChannels(int channels) override { add("SetChannels", {channels}); }
    void SetChannelMode(int mode) override { add("SetChannelMode", {mode}); }
    void SetEmphasis(int emphasis) override { add("SetEmphasis", {emphasis}); }
    void SetQuality(int quality) override { add("SetQuality", {quality}); }
    void SetBitrate(int kbps) override { add("SetBitrate", {kbps}); }
    void SetVbrBitrate(int kbps) override { add("SetVbrBitrate", {kbps}); }
    void SetHighPassWidth(int hz) override { add("SetHighPassWidth", {hz}); }
    void SetLowPassWidth(int hz) override { add("SetLowPassWidth", {hz}); }
    void SetVbrQuality(int quality) override { add("SetVbrQuality", {quality}); }
    void SetOutputSampleRate(int hz) override { add("SetOutputSampleRate", {hz}); }
    void SetPreset(int preset) override { add("SetPreset", {preset}); }
    void SetAltPreset(int altPreset) override { add("SetAltPreset", {altPreset}); }
    void SetCommandLine(const QString& text) override
    {
        calls << QString("SetCommandLine(%1)").arg(text);
    }

private:
    void add(const char* name, std::initializer_list<int> args = {})
    {
        QStringList values;
        for (int a : args)
            values << QString::number(a);
        calls << (args.size() ? QString("%1(%2)").arg(name, values.join(',')) : QString(name));
    }
};

class ConfigureEncoderTest : public ::testing::Test {
protected:
    QTemporaryDir dir;
    IniFile ini{dir.filePath("Vessimo.ini")};
    SettingsStore store{ini};
    RecordingTarget recorder;

    void set(const char* section, const char* key, int value)
    {
        ini.writeInteger(section, key, value);
    }
    QStringList configure(int format, const QString& commandLine = {})
    {
        recorder.calls.clear();
        ConfigureEncoder(format, store, recorder, commandLine);
        return recorder.calls;
    }
};

const QStringList kDefaultMp3{
    "SetWriteVbrHeader(1)",
    "SetEnforceMinBitrate(0)",
    "SetCrc(0)",
    "SetAllowDiffBlockTypes(0)",
    "SetBitReservoir(1)",
    "SetShortBlocks(1)",
    "SetStrictIso(0)",
    "SetHighPassFrequency(-1)",
    "SetLowPassFrequency(-1)",
    "SetVbrMethod(-1)",
    "SetAthMode(0)",
    "SetChannels(2)",
    "SetChannelMode(1)",
    "SetEmphasis(0)",
    "SetQuality(5)",
    "SetBitrate(128)",
    "SetVbrBitrate(128)",
    "SetHighPassWidth(5)",
    "SetLowPassWidth(750)",
    "SetVbrQuality(5)",
    "SetOutputSampleRate(44100)",
    "SetMp3Encoder",
};

} // namespace

TEST_F(ConfigureEncoderTest, EmptySettingsGiveTheEncoderDefaultsInOrder)
{
    EXPECT_EQ(configure(FormatMp3), kDefaultMp3);
    EXPECT_EQ(configure(FormatWav), QStringList({"IsOpen", "SetWavFormat(44100,2,16)"}));
    EXPECT_EQ(configure(FormatWma), QStringList{"SetWmaProfile(10)"});
    EXPECT_EQ(configure(FormatOgg), QStringList{"SetOggFormat(44100,2,128,0,0,-1)"});
    EXPECT_TRUE(configure(4).isEmpty());
    EXPECT_TRUE(configure(-1).isEmpty());
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
    EXPECT_EQ(configure(FormatMp3, "-q 1\r\n-b 320"), QStringList({"SetWriteVbrHeader(0)",
                                                                   "SetEnforceMinBitrate(1)",
                                                                   "SetCrc(1)",
                                                                   "SetAllowDiffBlockTypes(1)",
                                                                   "SetBitReservoir(0)",
                                                                   "SetShortBlocks(0)",
                                                                   "SetStrictIso(1)",
                                                                   "SetHighPassFrequency(120)",
                                                                   "SetLowPassFrequency(-1)",
                                                                   "SetVbrMethod(3)",
                                                                   "SetAthMode(3)",
                                                                   "SetChannels(2)",
                                                                   "SetChannelMode(3)",
                                                                   "SetEmphasis(2)",
                                                                   "SetQuality(0)",
                                                                   "SetBitrate(320)",
                                                                   "SetVbrBitrate(192)",
                                                                   "SetHighPassWidth(40)",
                                                                   "SetLowPassWidth(300)",
                                                                   "SetVbrQuality(2)",
                                                                   "SetOutputSampleRate(22050)",
                                                                   "SetCommandLine(-q 1\r\n-b 320)",
                                                                   "SetMp3Encoder"}));
}

TEST_F(ConfigureEncoderTest, MonoSetsTheChannelCountOnly)
{
    set("mp3", "channel", 0);
    const QStringList calls = configure(FormatMp3);
    EXPECT_TRUE(calls.contains("SetChannels(1)"));
    EXPECT_FALSE(calls.filter("SetChannelMode").size());
    EXPECT_EQ(calls.size(), kDefaultMp3.size() - 1);
}

TEST_F(ConfigureEncoderTest, PresetsReplaceTheFullConfiguration)
{
    set("MP3Prest", "preset", 1);
    set("MP3Prest", "rg_prest", 8);
    EXPECT_EQ(configure(FormatMp3), QStringList({"SetPreset(9)", "SetMp3Encoder"}));
    EXPECT_EQ(configure(FormatMp3, "-q 0"),
              QStringList({"SetPreset(9)", "SetCommandLine(-q 0)", "SetMp3Encoder"}));
    set("MP3Prest", "alt", 1);
    set("MP3Prest", "rg_alt", 4);
    EXPECT_EQ(configure(FormatMp3),
              QStringList({"SetPreset(9)", "SetAltPreset(5)", "SetMp3Encoder"}));
    set("MP3Prest", "preset", 0);
    EXPECT_EQ(configure(FormatMp3), QStringList({"SetAltPreset(5)", "SetMp3Encoder"}));
}

TEST_F(ConfigureEncoderTest, WavModes)
{
    set("wav", "bit", 0);
    set("wav", "channel", 0);
    set("wav", "frequency", 3);
    recorder.open = true;
    EXPECT_EQ(configure(FormatWav), QStringList({"IsOpen", "Close", "SetWavFormat(44100,2,16)"}));
    recorder.open = false;
    set("wav", "mode", 1);
    EXPECT_EQ(configure(FormatWav), QStringList({"IsOpen", "SetWavFormat(48000,2,32)"}));
    set("wav", "mode", 2);
    EXPECT_EQ(configure(FormatWav), QStringList({"IsOpen", "SetWavFormat(16000,1,8)"}));
    set("wav", "bit", 1);
    set("wav", "channel", 1);
    ini.writeString("wav", "frequency", "");
    EXPECT_EQ(configure(FormatWav), QStringList({"IsOpen", "SetWavFormat(44100,2,16)"}));
}

TEST_F(ConfigureEncoderTest, WmaProfilesCountFromOne)
{
    set("wma", "format", 46);
    EXPECT_EQ(configure(FormatWma), QStringList{"SetWmaProfile(47)"});
    set("wma", "format", 0);
    EXPECT_EQ(configure(FormatWma), QStringList{"SetWmaProfile(1)"});
    set("wma", "format", -1); // typed text that matches no profile
    EXPECT_EQ(configure(FormatWma), QStringList{"SetWmaProfile(10)"});
}

TEST_F(ConfigureEncoderTest, OggStepsTestTheirOwnFlags)
{
    set("ogg", "channel", 0);
    set("ogg", "frequency", 8);
    set("ogg", "bitrate", 5);
    EXPECT_EQ(configure(FormatOgg), QStringList{"SetOggFormat(48000,1,64,0,0,-1)"});

    set("ogg", "channel", 1);
    set("ogg", "frequency", 7);
    set("ogg", "bitrate", 9);
    set("ogg", "min bitrate", 5);
    set("ogg", "max bitrate", 11);
    set("ogg", "oggvbr", 1);
    EXPECT_EQ(configure(FormatOgg), QStringList{"SetOggFormat(44100,2,128,64,192,-1)"});

    set("ogg", "oggvbr", 0);
    set("ogg", "oggquality", 1);
    set("ogg", "quality", 1000);
    EXPECT_EQ(configure(FormatOgg), QStringList{"SetOggFormat(44100,2,0,0,0,1000)"});

    set("ogg", "oggvbr", 1); // only a hand-edited file has both
    EXPECT_EQ(configure(FormatOgg), QStringList({"SetOggFormat(44100,2,0,0,0,1000)",
                                                 "SetOggFormat(44100,2,128,64,192,-1)"}));
}

TEST_F(ConfigureEncoderTest, ReadsTheFileAtEveryCall)
{
    EXPECT_EQ(configure(FormatWma), QStringList{"SetWmaProfile(10)"});
    set("wma", "format", 3);
    EXPECT_EQ(configure(FormatWma), QStringList{"SetWmaProfile(4)"});
    QFile::remove(ini.path());
    EXPECT_EQ(configure(FormatWma), QStringList{"SetWmaProfile(10)"});
}

TEST_F(ConfigureEncoderTest, HandEditedIndexesNeverLeaveTheTables)
{
    set("mp3", "bitrate", 15);
    set("mp3", "frequency", -2);
    set("ogg", "bitrate", 99);
    const QStringList mp3 = configure(FormatMp3);
    EXPECT_TRUE(mp3.contains("SetBitrate(128)"));
    EXPECT_TRUE(mp3.contains("SetOutputSampleRate(44100)"));
    EXPECT_EQ(configure(FormatOgg), QStringList{"SetOggFormat(44100,2,128,0,0,-1)"});
}

// The same configurations on the real writer and settings object, checked in
// the files they write.
class ConfigureRealWriter : public ConfigureEncoderTest {
protected:
    AudioWriter writer;
    Mp3EncoderSettings mp3;
    WriterEncoderTarget target{writer, mp3};

    QString write(int format, const QString& name, const QString& commandLine = {})
    {
        ConfigureEncoder(format, store, target, commandLine);
        const QString file = dir.filePath(name);
        writer.setBlockFormat(44100, 2);
        writer.open(file);
        writer.setBlockFormat(44100, 2);
        SampleArray block{std::vector<float>(2 * 44100), 2, 44100};
        for (size_t i = 0; i < block.samples.size(); ++i)
            block.samples[i] = static_cast<float>(0.4 * std::sin(double(i / 2) * 0.05));
        writer.write(block);
        writer.close();
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
    ConfigureEncoder(FormatMp3, store, target, "--unknown");
    EXPECT_THROW(writer.open(dir.filePath("x.mp3")), std::runtime_error);
}
