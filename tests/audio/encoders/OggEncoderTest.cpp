// SPDX-License-Identifier: GPL-3.0-or-later
#include "audio/encoders/OggEncoder.h"
#include "audio/AudioError.h"
#include "audio/WriterTesting.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>

using namespace testsupport;
using namespace writertest;

namespace {

// The bitrates of the Vorbis identification header (bits per second, 0 or
// -1 when unset).
struct VorbisHeader {
    int channels = 0;
    int rate = 0;
    int maximum = 0;
    int nominal = 0;
    int minimum = 0;
};

int32_t le32(const QByteArray& d, int at)
{
    return static_cast<int32_t>(uint32_t(uint8_t(d[at])) | uint32_t(uint8_t(d[at + 1])) << 8 |
                                uint32_t(uint8_t(d[at + 2])) << 16 |
                                uint32_t(uint8_t(d[at + 3])) << 24);
}

// The granule position of the last page: the stream's exact length.
int64_t lastGranule(const QString& path)
{
    const QByteArray d = testsupport::readAll(path);
    const int at = d.lastIndexOf("OggS");
    int64_t granule = 0;
    for (int i = 7; i >= 0; --i)
        granule = granule << 8 | uint8_t(d[at + 6 + i]);
    return granule;
}

// Some decoders trim the end of the last packet only, so a few frames of the
// encoder's end padding may stay in; the stream itself records the length.
void expectLength(const QString& file, int64_t frames)
{
    EXPECT_EQ(lastGranule(file), frames);
    const long long decoded = decodedFrames(file);
    EXPECT_GE(decoded, frames);
    EXPECT_LE(decoded, frames + 2048);
}

VorbisHeader vorbisHeader(const QString& path)
{
    const QByteArray d = testsupport::readAll(path);
    const int at = d.indexOf("\x01vorbis");
    VorbisHeader h;
    if (at < 0)
        return h;
    h.channels = uint8_t(d[at + 11]);
    h.rate = le32(d, at + 12);
    h.maximum = le32(d, at + 16);
    h.nominal = le32(d, at + 20);
    h.minimum = le32(d, at + 24);
    return h;
}

class OggWriter : public ::testing::Test {
protected:
    QTemporaryDir dir;
    AudioWriter writer;

    // Three seconds of noise in stereo at 44.1 kHz; returns the path.
    QString encode(const QString& name, int frames = 3 * 44100)
    {
        const QString file = dir.filePath(name);
        writer.setBlockFormat(44100, 2);
        writer.open(file);
        writer.write(noise(44100, 2, frames));
        writer.close();
        return file;
    }
    static double kbpsOf(const QString& file, double seconds)
    {
        return fileSize(file) * 8.0 / seconds / 1000.0;
    }
};

} // namespace

TEST_F(OggWriter, FixedBitrateHasNoBoundsAndKeepsNearTheNominal)
{
    writer.setOggFormat(44100, 2, 128, 0, 0, -1);
    const int n = 3 * 44100 + 17;
    const QString file = encode("fixed.ogg", n);
    const StreamInfo info = probe(file);
    EXPECT_EQ(info.codec, "vorbis");
    EXPECT_EQ(info.rate, 44100);
    EXPECT_EQ(info.channels, 2);
    expectLength(file, n);
    const VorbisHeader h = vorbisHeader(file);
    EXPECT_EQ(h.nominal, 128000);
    EXPECT_LE(h.maximum, 0);
    EXPECT_LE(h.minimum, 0);
    EXPECT_NEAR(kbpsOf(file, 3.0), 128, 40);
}

TEST_F(OggWriter, QualityModeSpansTheVorbisQualityRange)
{
    double previous = 0;
    for (int quality : {0, 300, 1000}) {
        SCOPED_TRACE(quality);
        writer.setOggFormat(44100, 2, 0, 0, 0, quality);
        const QString file = encode(QString("q%1.ogg").arg(quality));
        expectLength(file, 3 * 44100);
        const double kbps = kbpsOf(file, 3.0);
        EXPECT_GT(kbps, previous * 1.3);
        previous = kbps;
    }
    // Vorbis quality -0.1 at the bottom (about 45 kbit/s in stereo), 1.0
    // (about 500) at the top.
    EXPECT_GT(previous, 250);
    writer.setOggFormat(44100, 2, 0, 0, 0, 0);
    EXPECT_LT(kbpsOf(encode("q0b.ogg"), 3.0), 80);
}

TEST_F(OggWriter, VariableBitrateStaysWithinItsBounds)
{
    writer.setOggFormat(44100, 2, 128, 64, 192, -1);
    const QString file = encode("vbr.ogg");
    const VorbisHeader h = vorbisHeader(file);
    EXPECT_EQ(h.maximum, 192000);
    EXPECT_EQ(h.nominal, 128000);
    EXPECT_EQ(h.minimum, 64000);
    const double kbps = kbpsOf(file, 3.0);
    EXPECT_GT(kbps, 64 * 0.9);
    EXPECT_LT(kbps, 192 * 1.05);
    expectLength(file, 3 * 44100);
}

TEST_F(OggWriter, ConvertsToTheConfiguredRateAndChannels)
{
    writer.setOggFormat(22050, 1, 48, 0, 0, -1);
    const QString file = encode("mono.ogg", 44100);
    const StreamInfo info = probe(file);
    EXPECT_EQ(info.rate, 22050);
    EXPECT_EQ(info.channels, 1);
    EXPECT_NEAR(lastGranule(file), 22050, 1);
}

TEST_F(OggWriter, RefusedFormatCreatesNoFile)
{
    writer.setOggFormat(44100, 2, 8, 0, 0, -1);
    const QString file = dir.filePath("refused.ogg");
    try {
        writer.open(file);
        FAIL();
    } catch (const AudioError& e) {
        EXPECT_TRUE(e.message().contains(file));
    }
    EXPECT_FALSE(QFile::exists(file));
}

TEST(OggFormat, ModesAndQualityScale)
{
    using Mode = OggFormat::Mode;
    EXPECT_EQ((OggFormat{44100, 2, 128, 0, 0, -1}.mode()), Mode::FixedBitrate);
    EXPECT_EQ((OggFormat{44100, 2, 0, 0, 0, 300}.mode()), Mode::Quality);
    EXPECT_EQ((OggFormat{44100, 2, 128, 64, 192, -1}.mode()), Mode::VariableBitrate);
    EXPECT_DOUBLE_EQ((OggFormat{44100, 2, 0, 0, 0, 0}.vorbisQuality()), -0.1);
    EXPECT_DOUBLE_EQ((OggFormat{44100, 2, 0, 0, 0, 300}.vorbisQuality()), 0.23);
    EXPECT_DOUBLE_EQ((OggFormat{44100, 2, 0, 0, 0, 1000}.vorbisQuality()), 1.0);
    EXPECT_DOUBLE_EQ((OggFormat{44100, 2, 0, 0, 0, 32767}.vorbisQuality()), 1.0);
}

TEST(CheckOggFormat, AsksLibvorbisenc)
{
    EXPECT_TRUE(AudioWriter::checkOggFormat(44100, 2, 128, 128, 128));
    EXPECT_TRUE(AudioWriter::checkOggFormat(44100, 2, 128, 64, 192));
    EXPECT_TRUE(AudioWriter::checkOggFormat(48000, 1, 64, 48, 96));
    EXPECT_TRUE(AudioWriter::checkOggFormat(8000, 1, 16, 8, 24));
    EXPECT_TRUE(AudioWriter::checkOggFormat(22050, 2, 48, 48, 48));
    // Too low for the rate, too high for the rate, no such rate or channels.
    EXPECT_FALSE(AudioWriter::checkOggFormat(44100, 2, 8, 8, 8));
    EXPECT_FALSE(AudioWriter::checkOggFormat(8000, 2, 320, 320, 320));
    EXPECT_FALSE(AudioWriter::checkOggFormat(11025, 1, 320, 320, 320));
    EXPECT_FALSE(AudioWriter::checkOggFormat(44100, 0, 128, 128, 128));
    EXPECT_FALSE(AudioWriter::checkOggFormat(0, 2, 128, 128, 128));
}
