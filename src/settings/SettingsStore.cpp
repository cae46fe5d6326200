// SPDX-License-Identifier: GPL-3.0-or-later
#include "settings/SettingsStore.h"

#include "base/IniFile.h"

#include <numeric>

namespace settings {

namespace {

ValueList indexList(QStringList items)
{
    ValueList list{std::move(items), {}};
    list.values.resize(list.items.size());
    std::iota(list.values.begin(), list.values.end(), 0);
    return list;
}

} // namespace

const ValueList& FrequencyList()
{
    static const ValueList list{{"8000 Hz", "11025 Hz", "12000 Hz", "16000 Hz", "22050 Hz",
                                 "24000 Hz", "32000 Hz", "44100 Hz", "48000 Hz"},
                                {8000, 11025, 12000, 16000, 22050, 24000, 32000, 44100, 48000}};
    return list;
}

const ValueList& BitrateList()
{
    static const ValueList list{{"8 Kbps", "16 Kbps", "24 Kbps", "32 Kbps", "48 Kbps", "64 Kbps",
                                 "80 Kbps", "96 Kbps", "112 Kbps", "128 Kbps", "160 Kbps",
                                 "192 Kbps", "224 Kbps", "256 Kbps", "320 Kbps"},
                                {8, 16, 24, 32, 48, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320}};
    return list;
}

const ValueList& SampleSizeList()
{
    static const ValueList list{{"8 bps", "16 bps"}, {8, 16}};
    return list;
}

const ValueList& Mp3ChannelList()
{
    static const ValueList list =
        indexList({"Mono", "Stereo", "Joint Stereo", "Forced Joint Stereo", "Dual Channels"});
    return list;
}

const ValueList& MonoStereoList()
{
    static const ValueList list{{"Mono", "Stereo"}, {1, 2}};
    return list;
}

const ValueList& VbrMethodList()
{
    static const ValueList list = indexList({"None", "Default", "Old", "New", "MTRH"});
    return list;
}

const ValueList& AthList()
{
    static const ValueList list =
        indexList({"default", "only", "disabled", "only for short blocks"});
    return list;
}

const ValueList& DeEmphasisList()
{
    static const ValueList list = indexList({"default", "0/15 microseconds", "citt j.17"});
    return list;
}

const ValueList& PresetList()
{
    static const ValueList list = indexList(
        {"Phone", "SW", "AM", "FM", "Voice", "Radio", "Type", "HiFi", "CD", "Studio", "R3Mix"});
    return list;
}

const ValueList& AltPresetList()
{
    // "Extrene" is the item's text as users know it.
    static const ValueList list =
        indexList({"Fast Standard", "Standard", "Fast Extreme", "Extrene", "Insane"});
    return list;
}

const ValueList& WavModeList()
{
    static const ValueList list = indexList(
        {"CD quality WAV format.", "Best good quality WAV format.", "Custom WAV format."});
    return list;
}

const ValueList& WmaProfileList()
{
    // Items 20 and 22 read the same and both stay: the index is what is
    // stored and passed on. Items 34 to 37 have two blanks after the comma.
    static const ValueList list = indexList({
        "WMA9 48KHz, 192Kbps, Stereo, CBR",   "WMA9 48KHz, 160Kbps, Stereo, CBR",
        "WMA9 48KHz, 128Kbps, Stereo, CBR",   "WMA9 48KHz, 96Kbps, Stereo, CBR",
        "WMA9 48KHz, 64Kbps, Stereo, CBR",    "WMA9 44KHz, 320Kbps, Stereo, CBR",
        "WMA9 44KHz, 256Kbps, Stereo, CBR",   "WMA9 44KHz, 192Kbps, Stereo, CBR",
        "WMA9 44KHz, 160Kbps, Stereo, CBR",   "WMA9 44KHz, 128Kbps, Stereo, CBR",
        "WMA9 44KHz, 96Kbps, Stereo, CBR",    "WMA9 44KHz, 80Kbps, Stereo, CBR",
        "WMA9 44KHz, 64Kbps, Stereo, CBR",    "WMA9 44KHz, 48Kbps, Stereo, CBR",
        "WMA9 44KHz, 32Kbps, Stereo, CBR",    "WMA9 44KHz, 48Kbps, Mono, CBR",
        "WMA9 44KHz, 32Kbps, Mono, CBR",      "WMA9 44KHz, 20Kbps, Mono, CBR",
        "WMA9 32KHz, 48Kbps, Stereo, CBR",    "WMA9 32KHz, 40Kbps, Stereo, CBR",
        "WMA9 32KHz, 32Kbps, Stereo, CBR",    "WMA9 32KHz, 20Kbps, Mono, CBR",
        "WMA9 32KHz, 32Kbps, Stereo, CBR",    "WMA9 32KHz, 22Kbps, Stereo, CBR",
        "WMA9 22KHz, 20Kbps, Stereo, CBR",    "WMA9 22KHz, 20Kbps, Mono, CBR",
        "WMA9 22KHz, 16Kbps, Mono, CBR",      "WMA9 16KHz, 20Kbps, Stereo, CBR",
        "WMA9 16KHz, 16Kbps, Stereo, CBR",    "WMA9 16KHz, 16Kbps, Mono, CBR",
        "WMA9 16KHz, 12Kbps, Mono, CBR",      "WMA9 16KHz, 10Kbps, Mono, CBR",
        "WMA9 11KHz, 10Kbps, Mono, CBR",      "WMA9 11KHz, 8Kbps, Mono, CBR",
        "WMA9 8KHz,  12Kbps, Stereo, CBR",    "WMA9 8KHz,  8Kbps, Mono, CBR",
        "WMA9 8KHz,  6Kbps, Mono, CBR",       "WMA9 8KHz,  5Kbps, Mono, CBR",
        "WMA9 48KHz, Stereo, VBR Quality 98", "WMA9 48KHz, Stereo, VBR Quality 90",
        "WMA9 44KHz, Stereo, VBR Quality 98", "WMA9 44KHz, Stereo, VBR Quality 90",
        "WMA9 44KHz, Stereo, VBR Quality 75", "WMA9 44KHz, Stereo, VBR Quality 50",
        "WMA9 44KHz, Stereo, VBR Quality 25", "WMA9 44KHz, Stereo, VBR Quality 10",
        "WMA9 44KHz, Stereo, Lossless",
    });
    return list;
}

int Key::defaultFor(DefaultKind kind) const
{
    switch (kind) {
    case DefaultKind::Missing:
        return missing;
    case DefaultKind::Encoder:
        return encoder;
    case DefaultKind::DefaultButton:
        return defaultButton;
    }
    return encoder;
}

namespace keys {
// clang-format off
using enum KeyType;
const Key Mp3Bitrate        {"mp3", "bitrate", ListIndex, 9, 9, 9, &BitrateList()};
const Key Mp3Channel        {"mp3", "channel", ListIndex, 1, 1, 1, &Mp3ChannelList()};
const Key Mp3Frequency      {"mp3", "frequency", ListIndex, 7, 7, 7, &FrequencyList()};
const Key Mp3Quality        {"mp3", "quality", Integer, 4, 5, 5, nullptr};
const Key VbrCodingMethod   {"MP3VBR", "Coding Method", ListIndex, 0, 0, 0, &VbrMethodList()};
const Key VbrBitrate        {"MP3VBR", "vbr bitrate", ListIndex, 9, 9, 9, &BitrateList()};
const Key VbrQuality        {"MP3VBR", "vbr quality", Integer, 4, 5, 5, nullptr};
const Key VbrWriteHeader    {"MP3VBR", "vbrck", Boolean, 1, 1, 1, nullptr};
const Key VbrStrictMinimum  {"MP3VBR", "semb", Boolean, 0, 0, 0, nullptr};
const Key HighPassOn        {"MP3Filt", "chHFilt", Boolean, 0, 0, 0, nullptr};
const Key LowPassOn         {"MP3Filt", "chLFilt", Boolean, 0, 0, 0, nullptr};
const Key HighPassFrequency {"MP3Filt", "udHFiltF", Integer, 30, 30, 30, nullptr};
const Key HighPassWidth     {"MP3Filt", "udHFiltW", Integer, 5, 5, 5, nullptr};
const Key LowPassFrequency  {"MP3Filt", "udLFiltF", Integer, 15160, 15160, 15160, nullptr};
const Key LowPassWidth      {"MP3Filt", "udLFiltW", Integer, 750, 750, 750, nullptr};
const Key BitReservoir      {"MP3Expert", "Bit", Boolean, 1, 1, 1, nullptr};
const Key ShortBlocks       {"MP3Expert", "short", Boolean, 1, 1, 1, nullptr};
const Key AllowDiffBlocks   {"MP3Expert", "allow", Boolean, 0, 0, 0, nullptr};
const Key StrictIso         {"MP3Expert", "comply", Boolean, 0, 0, 0, nullptr};
const Key Crc               {"MP3Expert", "crc", Boolean, 0, 0, 0, nullptr};
const Key Ath               {"MP3Expert", "ath", ListIndex, 0, 0, 0, &AthList()};
const Key DeEmphasis        {"MP3Expert", "de", ListIndex, 0, 0, 0, &DeEmphasisList()};
const Key PresetOn          {"MP3Prest", "preset", Boolean, 0, 0, 0, nullptr};
const Key AltPresetOn       {"MP3Prest", "alt", Boolean, 0, 0, 0, nullptr};
const Key Preset            {"MP3Prest", "rg_prest", ListIndex, 0, 0, 0, &PresetList()};
const Key AltPreset         {"MP3Prest", "rg_alt", ListIndex, 0, 0, 0, &AltPresetList()};
const Key WavMode           {"wav", "mode", ListIndex, 0, 0, 0, &WavModeList()};
const Key WavBits           {"wav", "bit", ListIndex, 1, 1, 1, &SampleSizeList()};
const Key WavChannels       {"wav", "channel", ListIndex, 1, 1, 1, &MonoStereoList()};
const Key WavFrequency      {"wav", "frequency", ListIndex, 7, 7, 8, &FrequencyList()};
const Key WmaProfile        {"wma", "format", ListIndex, 9, 9, 9, &WmaProfileList()};
const Key OggChannels       {"ogg", "channel", ListIndex, 1, 1, 1, &MonoStereoList()};
const Key OggFrequency      {"ogg", "frequency", ListIndex, 7, 7, 7, &FrequencyList()};
const Key OggBitrate        {"ogg", "bitrate", ListIndex, 9, 9, 9, &BitrateList()};
const Key OggMaxBitrate     {"ogg", "max bitrate", ListIndex, 9, 9, 9, &BitrateList()};
const Key OggMinBitrate     {"ogg", "min bitrate", ListIndex, 9, 9, 9, &BitrateList()};
const Key OggQuality        {"ogg", "quality", Integer, 300, 300, 300, nullptr};
const Key OggVariableBitrate{"ogg", "oggvbr", Boolean, 0, 0, 0, nullptr};
const Key OggQualityMode    {"ogg", "oggquality", Boolean, 0, 0, 0, nullptr};
// clang-format on
} // namespace keys

std::span<const Key* const> WriteOrder()
{
    using namespace keys;
    static const Key* const order[] = {
        &Mp3Bitrate,
        &Mp3Channel,
        &Mp3Frequency,
        &Mp3Quality,
        &VbrCodingMethod,
        &VbrBitrate,
        &VbrQuality,
        &VbrWriteHeader,
        &VbrStrictMinimum,
        &HighPassOn,
        &LowPassOn,
        &HighPassFrequency,
        &HighPassWidth,
        &LowPassFrequency,
        &LowPassWidth,
        &BitReservoir,
        &ShortBlocks,
        &AllowDiffBlocks,
        &StrictIso,
        &Crc,
        &Ath,
        &DeEmphasis,
        &PresetOn,
        &AltPresetOn,
        &Preset,
        &AltPreset,
        &WavMode,
        &WavBits,
        &WavChannels,
        &WavFrequency,
        &WmaProfile,
        &OggChannels,
        &OggFrequency,
        &OggBitrate,
        &OggMaxBitrate,
        &OggMinBitrate,
        &OggQuality,
        &OggVariableBitrate,
        &OggQualityMode,
    };
    return order;
}

int SettingsStore::readInt(const Key& key, DefaultKind kind) const
{
    const int value = m_ini.readInteger(QString::fromLatin1(key.section),
                                        QString::fromLatin1(key.name), key.defaultFor(kind));
    if (key.list && !key.list->contains(value))
        return key.encoder;
    return value;
}

bool SettingsStore::readBool(const Key& key, DefaultKind kind) const
{
    return m_ini.readBool(QString::fromLatin1(key.section), QString::fromLatin1(key.name),
                          key.defaultFor(kind) != 0);
}

int SettingsStore::readValue(const Key& key, DefaultKind kind) const
{
    const int index = readInt(key, kind);
    return key.list ? key.list->values[static_cast<size_t>(index)] : index;
}

void SettingsStore::writeInt(const Key& key, int value)
{
    m_ini.writeInteger(QString::fromLatin1(key.section), QString::fromLatin1(key.name), value);
}

void SettingsStore::writeBool(const Key& key, bool value)
{
    m_ini.writeBool(QString::fromLatin1(key.section), QString::fromLatin1(key.name), value);
}

void SettingsStore::writeMainPath(const QString& text)
{
    m_ini.writeString(QString::fromLatin1(kMainSection), QString::fromLatin1(kMainPathKey), text);
}

} // namespace settings
