// SPDX-License-Identifier: GPL-3.0-or-later
#include "audio/encoders/Mp3EncoderSettings.h"
#include "audio/AudioWriter.h"

#include <gtest/gtest.h>

TEST(Mp3EncoderSettings, StartsWithTheSettingsDialogDefaults)
{
    const Mp3EncoderSettings s;
    EXPECT_EQ(s.outputSampleRate(), 44100);
    EXPECT_EQ(s.channels(), 2);
    EXPECT_EQ(s.channelMode(), Mp3EncoderSettings::Stereo);
    EXPECT_EQ(s.bitrate(), 128);
    EXPECT_EQ(s.quality(), 5);
    EXPECT_EQ(s.vbrMethod(), -1);
    EXPECT_EQ(s.vbrBitrate(), 128);
    EXPECT_EQ(s.vbrQuality(), 5);
    EXPECT_TRUE(s.writeVbrHeader());
    EXPECT_TRUE(s.bitReservoir());
    EXPECT_TRUE(s.shortBlocks());
    EXPECT_FALSE(s.crc() || s.strictIso() || s.allowDiffBlockTypes() || s.enforceMinBitrate());
    EXPECT_EQ(s.lowPassFrequency(), -1);
    EXPECT_EQ(s.highPassFrequency(), -1);
    EXPECT_EQ(s.lowPassWidth(), 750);
    EXPECT_EQ(s.highPassWidth(), 5);
    EXPECT_EQ(s.athMode(), 0);
    EXPECT_EQ(s.emphasis(), 0);
    EXPECT_FALSE(s.usesPreset());
    EXPECT_TRUE(s.commandLine().isEmpty());
}

TEST(Mp3EncoderSettings, APresetConfigurationKeepsTheOtherValues)
{
    Mp3EncoderSettings s;
    AudioWriter writer;
    s.SetOutputSampleRate(22050);
    s.SetBitrate(64);
    s.SetChannels(1);
    writer.setMp3Encoder(s);
    s.SetPreset(9);
    EXPECT_EQ(s.preset(), 9);
    EXPECT_EQ(s.outputSampleRate(), 22050);
    EXPECT_EQ(s.bitrate(), 64);
    EXPECT_EQ(s.channels(), 1);
}

TEST(Mp3EncoderSettings, PresetsAndCommandLineBelongToOneConfiguration)
{
    Mp3EncoderSettings s;
    AudioWriter writer;
    s.SetPreset(3);
    s.SetAltPreset(2); // both in one configuration
    s.SetCommandLine("-q 2");
    EXPECT_EQ(s.preset(), 3);
    EXPECT_EQ(s.altPreset(), 2);
    writer.setMp3Encoder(s);
    writer.setMp3Encoder(s); // handing the same settings on again changes nothing
    EXPECT_EQ(s.preset(), 3);

    s.SetPreset(9); // the next configuration has a preset only
    EXPECT_EQ(s.preset(), 9);
    EXPECT_EQ(s.altPreset(), 0);
    EXPECT_TRUE(s.commandLine().isEmpty());
    writer.setMp3Encoder(s);

    s.SetAltPreset(4); // and the next an alt-preset only
    EXPECT_EQ(s.preset(), 0);
    EXPECT_EQ(s.altPreset(), 4);
    writer.setMp3Encoder(s);

    s.SetWriteVbrHeader(true); // a full configuration encodes without preset
    EXPECT_FALSE(s.usesPreset());
}
