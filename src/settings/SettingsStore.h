// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <QStringList>
#include <span>
#include <vector>

class IniFile;

// The encoder settings kept in the options file: the value tables of the
// settings dialog's lists, every key with its section, type and defaults, and
// typed access that goes to the file at every call (nothing is cached, so a
// change confirmed in the dialog applies to the next output configured).
namespace settings {

// A list of the settings dialog: its items as shown and the value each index
// stands for (the index itself for lists whose meaning is the index).
struct ValueList {
    QStringList items;
    std::vector<int> values;

    int size() const { return static_cast<int>(items.size()); }
    bool contains(int index) const { return index >= 0 && index < size(); }
};

const ValueList& FrequencyList();  // 9 sample rates in Hz
const ValueList& BitrateList();    // 15 bitrates in kbit/s
const ValueList& SampleSizeList(); // 8 and 16 bits
const ValueList& Mp3ChannelList(); // Mono, Stereo, Joint Stereo, Forced Joint Stereo, Dual Channels
const ValueList& MonoStereoList(); // 1 and 2 channels
const ValueList& VbrMethodList();  // None, Default, Old, New, MTRH
const ValueList& AthList();
const ValueList& DeEmphasisList();
const ValueList& PresetList();
const ValueList& AltPresetList();
const ValueList& WavModeList();
const ValueList& WmaProfileList(); // 47 profile names exactly as shown

enum class KeyType { ListIndex, Integer, Boolean };

// The three defaults of a key: what the dialog shows when the key is absent,
// what the encoder configuration uses when it is absent, and what the
// dialog's Default button puts into the control.
enum class DefaultKind { Missing, Encoder, DefaultButton };

struct Key {
    const char* section;
    const char* name;
    KeyType type;
    int missing;
    int encoder;
    int defaultButton;
    const ValueList* list; // for list indexes, else nullptr

    int defaultFor(DefaultKind kind) const;
};

// Every encoder key; the names follow section and key.
namespace keys {
extern const Key Mp3Bitrate, Mp3Channel, Mp3Frequency, Mp3Quality;
extern const Key VbrCodingMethod, VbrBitrate, VbrQuality, VbrWriteHeader, VbrStrictMinimum;
extern const Key HighPassOn, LowPassOn, HighPassFrequency, HighPassWidth, LowPassFrequency,
    LowPassWidth;
extern const Key BitReservoir, ShortBlocks, AllowDiffBlocks, StrictIso, Crc, Ath, DeEmphasis;
extern const Key PresetOn, AltPresetOn, Preset, AltPreset;
extern const Key WavMode, WavBits, WavChannels, WavFrequency;
extern const Key WmaProfile;
extern const Key OggChannels, OggFrequency, OggBitrate, OggMaxBitrate, OggMinBitrate, OggQuality,
    OggVariableBitrate, OggQualityMode;
} // namespace keys

// Every key above in the order the settings dialog writes (and reads) them;
// Main/Path, a string written first, is not among them.
std::span<const Key* const> WriteOrder();

inline constexpr const char* kMainSection = "Main";
inline constexpr const char* kMainPathKey = "Path";

// Typed access to the encoder keys of one options file.
class SettingsStore {
public:
    explicit SettingsStore(IniFile& ini) : m_ini(ini) {}

    // The stored value, or the key's default of the given kind when absent or
    // unparsable. A list index outside its list reads as the key's Encoder
    // default, so that no table is ever read out of bounds.
    int readInt(const Key& key, DefaultKind kind) const;
    bool readBool(const Key& key, DefaultKind kind) const;

    // The value a list index stands for (Hz, kbit/s, bits, channels ...).
    int readValue(const Key& key, DefaultKind kind) const;

    void writeInt(const Key& key, int value);
    void writeBool(const Key& key, bool value);
    void writeMainPath(const QString& text);

    IniFile& ini() { return m_ini; }

private:
    IniFile& m_ini;
};

} // namespace settings
