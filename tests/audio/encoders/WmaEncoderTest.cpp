// SPDX-License-Identifier: GPL-3.0-or-later
#include "audio/AudioError.h"
#include "audio/WriterTesting.h"
#include "audio/encoders/WmaProfiles.h"
#include "settings/SettingsStore.h"

#include <gtest/gtest.h>

#include <QRegularExpression>
#include <QTemporaryDir>

using namespace testsupport;
using namespace writertest;

namespace {

class WmaWriter : public ::testing::Test {
protected:
    QTemporaryDir dir;
    AudioWriter writer;
    QString path(const QString& name) const { return dir.filePath(name); }
};

} // namespace

TEST(WmaProfiles, FollowTheProfileNames)
{
    const auto& names = settings::WmaProfileList().items;
    ASSERT_EQ(wmaProfileCount(), names.size());
    const QRegularExpression cbr(R"(WMA9 (\d+)KHz, +(\d+)Kbps, (Stereo|Mono), CBR)");
    const QRegularExpression other(R"(WMA9 (\d+)KHz, (Stereo), (VBR Quality \d+|Lossless))");
    int previousVbr = 1 << 30;
    for (int i = 0; i < names.size(); ++i) {
        const WmaProfile* p = wmaProfile(i + 1);
        ASSERT_NE(p, nullptr);
        auto m = cbr.match(names[i]);
        const bool isCbr = m.hasMatch();
        if (!isCbr)
            m = other.match(names[i]);
        ASSERT_TRUE(m.hasMatch()) << names[i].toStdString();
        const int khz = m.captured(1).toInt();
        EXPECT_EQ(p->rate, khz == 44   ? 44100
                           : khz == 22 ? 22050
                           : khz == 11 ? 11025
                                       : khz * 1000)
            << names[i].toStdString();
        EXPECT_EQ(p->channels, m.captured(isCbr ? 3 : 2) == "Stereo" ? 2 : 1);
        if (isCbr) {
            EXPECT_EQ(p->nominalKbps, m.captured(2).toInt());
            EXPECT_EQ(p->kbps, std::max(24, p->nominalKbps)) << names[i].toStdString();
        } else if (names[i].contains("VBR") && p->rate == 44100) {
            // Lower quality, lower bitrate.
            EXPECT_LT(p->kbps, previousVbr);
            previousVbr = p->kbps;
        }
    }
    EXPECT_EQ(wmaProfile(0), nullptr);
    EXPECT_EQ(wmaProfile(48), nullptr);
    EXPECT_GE(wmaProfile(47)->kbps, wmaProfile(41)->kbps); // lossless is the largest
}

TEST_F(WmaWriter, WritesTheProfilesRateChannelsAndBitrate)
{
    for (int profile : {1, 10, 16, 26, 36, 47}) {
        SCOPED_TRACE(profile);
        const WmaProfile& p = *wmaProfile(profile);
        const QString file = path(QString("p%1.wma").arg(profile));
        writer.setWmaProfile(profile);
        writeTone(writer, file, 44100, 2, 3 * 44100);
        const StreamInfo info = probe(file);
        EXPECT_EQ(info.codec, "wmav2");
        EXPECT_EQ(info.rate, p.rate);
        EXPECT_EQ(info.channels, p.channels);
        EXPECT_NEAR(info.bitRate / 1000.0, p.kbps, p.kbps * 0.03);
        // The data packets hold whole frames, so the file is about as large
        // as its bitrate says (3 s of audio plus a frame in front, headers).
        const double expected = p.kbps * 1000 / 8.0 * 3.0;
        EXPECT_LT(fileSize(file), expected * 1.12 + 6000) << fileSize(file);
        EXPECT_GT(fileSize(file), expected * 0.95);
    }
}

TEST_F(WmaWriter, DecodedStartLinesUpWithTheInput)
{
    for (int profile : {7, 26, 36}) { // frames of 2048, 1024 and 512 samples
        SCOPED_TRACE(profile);
        const WmaProfile& p = *wmaProfile(profile);
        const SampleArray input = chirp(p.rate, p.channels, 2 * p.rate);
        const QString file = path(QString("chirp%1.wma").arg(profile));
        writer.setWmaProfile(profile);
        writer.setBlockFormat(p.rate, p.channels);
        writer.open(file);
        writer.write(input);
        writer.close();
        const std::vector<float> decoded = decode(file);
        ASSERT_GE(decoded.size(), input.samples.size());
        EXPECT_EQ(bestLag(input.samples, decoded, p.channels, 3000, p.rate / 2, p.rate / 10), 0);
    }
}
