// SPDX-License-Identifier: GPL-3.0-or-later
#include "settings/SettingsStore.h"
#include "base/IniFile.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <QTemporaryDir>
#include <set>

using namespace settings;
using testsupport::readAll;
using testsupport::writeAll;

TEST(ValueLists, HoldTheItemsAndValuesInOrder)
{
    EXPECT_EQ(FrequencyList().size(), 9);
    EXPECT_EQ(FrequencyList().items.at(7), "44100 Hz");
    EXPECT_EQ(FrequencyList().values.at(2), 12000);
    EXPECT_EQ(BitrateList().size(), 15);
    EXPECT_EQ(BitrateList().items.first(), "8 Kbps");
    EXPECT_EQ(BitrateList().values.at(9), 128);
    EXPECT_EQ(BitrateList().values.at(14), 320);
    EXPECT_EQ(SampleSizeList().values, (std::vector<int>{8, 16}));
    EXPECT_EQ(MonoStereoList().values, (std::vector<int>{1, 2}));
    EXPECT_EQ(Mp3ChannelList().items.at(3), "Forced Joint Stereo");
    EXPECT_EQ(VbrMethodList().items, (QStringList{"None", "Default", "Old", "New", "MTRH"}));
    EXPECT_EQ(AthList().items.at(3), "only for short blocks");
    EXPECT_EQ(DeEmphasisList().items.at(2), "citt j.17");
    EXPECT_EQ(PresetList().size(), 11);
    EXPECT_EQ(PresetList().items.at(10), "R3Mix");
    EXPECT_EQ(AltPresetList().items.at(3), "Extrene");
    EXPECT_EQ(WavModeList().items.at(1), "Best good quality WAV format.");
    for (const ValueList* list : {&Mp3ChannelList(), &PresetList(), &WmaProfileList()})
        for (int i = 0; i < list->size(); ++i)
            EXPECT_EQ(list->values.at(static_cast<size_t>(i)), i);
}

TEST(ValueLists, WmaProfilesKeepDuplicatesAndDoubleBlanks)
{
    const QStringList& p = WmaProfileList().items;
    ASSERT_EQ(p.size(), 47);
    EXPECT_EQ(p.at(0), "WMA9 48KHz, 192Kbps, Stereo, CBR");
    EXPECT_EQ(p.at(9), "WMA9 44KHz, 128Kbps, Stereo, CBR");
    EXPECT_EQ(p.at(20), p.at(22));
    EXPECT_EQ(p.at(20), "WMA9 32KHz, 32Kbps, Stereo, CBR");
    EXPECT_EQ(p.at(34), "WMA9 8KHz,  12Kbps, Stereo, CBR");
    EXPECT_EQ(p.at(37), "WMA9 8KHz,  5Kbps, Mono, CBR");
    EXPECT_EQ(p.at(38), "WMA9 48KHz, Stereo, VBR Quality 98");
    EXPECT_EQ(p.at(46), "WMA9 44KHz, Stereo, Lossless");
    EXPECT_EQ(std::set<QString>(p.begin(), p.end()).size(), 46u);
}

TEST(Keys, WriteOrderListsEveryKeyOnceInDialogOrder)
{
    const auto order = WriteOrder();
    ASSERT_EQ(order.size(), 39u);
    QStringList names;
    for (const Key* k : order)
        names << QString("%1/%2").arg(k->section, k->name);
    EXPECT_EQ(names.mid(0, 4),
              (QStringList{"mp3/bitrate", "mp3/channel", "mp3/frequency", "mp3/quality"}));
    EXPECT_EQ(names.mid(9, 6),
              (QStringList{"MP3Filt/chHFilt", "MP3Filt/chLFilt", "MP3Filt/udHFiltF",
                           "MP3Filt/udHFiltW", "MP3Filt/udLFiltF", "MP3Filt/udLFiltW"}));
    EXPECT_EQ(names.mid(22, 4), (QStringList{"MP3Prest/preset", "MP3Prest/alt", "MP3Prest/rg_prest",
                                             "MP3Prest/rg_alt"}));
    EXPECT_EQ(names.last(), "ogg/oggquality");
    EXPECT_EQ(std::set<QString>(names.begin(), names.end()).size(), 39u);
}

TEST(Keys, DefaultsDifferOnlyWhereTheyShould)
{
    std::set<QString> differing;
    for (const Key* k : WriteOrder())
        if (k->missing != k->encoder || k->encoder != k->defaultButton)
            differing.insert(QString("%1/%2").arg(k->section, k->name));
    EXPECT_EQ(differing, (std::set<QString>{"mp3/quality", "MP3VBR/vbr quality", "wav/frequency"}));
    EXPECT_EQ(keys::Mp3Quality.missing, 4);
    EXPECT_EQ(keys::Mp3Quality.encoder, 5);
    EXPECT_EQ(keys::WavFrequency.defaultButton, 8);
    EXPECT_EQ(keys::LowPassFrequency.encoder, 15160);
    EXPECT_EQ(keys::OggQuality.encoder, 300);
    EXPECT_EQ(keys::VbrWriteHeader.encoder, 1);
}

class SettingsStoreTest : public ::testing::Test {
protected:
    QTemporaryDir dir;
    QString path() const { return dir.filePath("Vessimo.ini"); }
};

TEST_F(SettingsStoreTest, EmptyFileReadsTheDefaultOfTheAskedKind)
{
    IniFile ini(path());
    SettingsStore store(ini);
    EXPECT_EQ(store.readInt(keys::Mp3Quality, DefaultKind::Missing), 4);
    EXPECT_EQ(store.readInt(keys::Mp3Quality, DefaultKind::Encoder), 5);
    EXPECT_EQ(store.readInt(keys::VbrQuality, DefaultKind::Missing), 4);
    EXPECT_EQ(store.readValue(keys::WavFrequency, DefaultKind::Encoder), 44100);
    EXPECT_EQ(store.readValue(keys::WavFrequency, DefaultKind::DefaultButton), 48000);
    EXPECT_EQ(store.readValue(keys::Mp3Bitrate, DefaultKind::Encoder), 128);
    EXPECT_TRUE(store.readBool(keys::BitReservoir, DefaultKind::Encoder));
    EXPECT_FALSE(store.readBool(keys::Crc, DefaultKind::Encoder));
}

TEST_F(SettingsStoreTest, StoredValuesWinOverDefaultsAndBooleansNormalise)
{
    writeAll(path(), "[MP3Expert]\ncrc=7\n[MP3]\nQUALITY=2\n[ogg]\nmax bitrate=14\n");
    IniFile ini(path());
    SettingsStore store(ini);
    EXPECT_TRUE(store.readBool(keys::Crc, DefaultKind::Encoder));
    EXPECT_EQ(store.readInt(keys::Mp3Quality, DefaultKind::Encoder), 2);
    EXPECT_EQ(store.readValue(keys::OggMaxBitrate, DefaultKind::Encoder), 320);
    store.writeBool(keys::Crc, store.readBool(keys::Crc, DefaultKind::Missing));
    EXPECT_EQ(ini.readString("MP3Expert", "crc", ""), "1");
}

TEST_F(SettingsStoreTest, OutOfRangeIndexesNeverReadOutsideTheirTable)
{
    writeAll(path(), "[wma]\nformat=-1\n[mp3]\nbitrate=15\nfrequency=99\n[wav]\nbit=2\n"
                     "[MP3Prest]\nrg_prest=11\n[MP3Filt]\nudLFiltF=99999\n");
    IniFile ini(path());
    SettingsStore store(ini);
    EXPECT_EQ(store.readInt(keys::WmaProfile, DefaultKind::Missing), 9);
    EXPECT_EQ(store.readValue(keys::Mp3Bitrate, DefaultKind::Encoder), 128);
    EXPECT_EQ(store.readValue(keys::Mp3Frequency, DefaultKind::Encoder), 44100);
    EXPECT_EQ(store.readValue(keys::WavBits, DefaultKind::Encoder), 16);
    EXPECT_EQ(store.readInt(keys::Preset, DefaultKind::Encoder), 0);
    // Plain integers are not list indexes and pass unchanged.
    EXPECT_EQ(store.readInt(keys::LowPassFrequency, DefaultKind::Encoder), 99999);
}

TEST_F(SettingsStoreTest, WritingInOrderCreatesSectionsInThatOrder)
{
    IniFile ini(path());
    SettingsStore store(ini);
    store.writeMainPath("/typed/as is");
    for (const Key* k : WriteOrder()) {
        if (k->type == KeyType::Boolean)
            store.writeBool(*k, k->missing != 0);
        else
            store.writeInt(*k, k->missing);
    }
    const QString text = QString::fromUtf8(readAll(path()));
    QStringList sections;
    for (const QString& line : text.split('\n'))
        if (line.startsWith('['))
            sections << line;
    EXPECT_EQ(sections, (QStringList{"[Main]", "[mp3]", "[MP3VBR]", "[MP3Filt]", "[MP3Expert]",
                                     "[MP3Prest]", "[wav]", "[wma]", "[ogg]"}));
    EXPECT_TRUE(text.startsWith("[Main]\nPath=/typed/as is\n\n[mp3]\nbitrate=9\nchannel=1\n"));
    EXPECT_TRUE(text.contains(
        "[MP3VBR]\nCoding Method=0\nvbr bitrate=9\nvbr quality=4\nvbrck=1\nsemb=0\n"));
}
