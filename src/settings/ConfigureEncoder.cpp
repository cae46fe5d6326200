#include "settings/ConfigureEncoder.h"

#include "settings/EncoderTarget.h"
#include "settings/SettingsStore.h"

namespace settings {

namespace {

constexpr DefaultKind kEncoder = DefaultKind::Encoder;

void configureMp3(const SettingsStore& store, EncoderTarget& t, const QString& commandLine)
{
    using namespace keys;
    const bool preset = store.readBool(PresetOn, kEncoder);
    const bool altPreset = store.readBool(AltPresetOn, kEncoder);
    if (!preset && !altPreset) {
        // The order is the settings object's contract with its users; the
        // VBR values are set even when the method is "None".
        t.SetWriteVbrHeader(store.readBool(VbrWriteHeader, kEncoder));
        t.SetEnforceMinBitrate(store.readBool(VbrStrictMinimum, kEncoder));
        t.SetCrc(store.readBool(Crc, kEncoder));
        t.SetAllowDiffBlockTypes(store.readBool(AllowDiffBlocks, kEncoder));
        t.SetBitReservoir(store.readBool(BitReservoir, kEncoder));
        t.SetShortBlocks(store.readBool(ShortBlocks, kEncoder));
        t.SetStrictIso(store.readBool(StrictIso, kEncoder));
        t.SetHighPassFrequency(
            store.readBool(HighPassOn, kEncoder) ? store.readInt(HighPassFrequency, kEncoder) : -1);
        t.SetLowPassFrequency(
            store.readBool(LowPassOn, kEncoder) ? store.readInt(LowPassFrequency, kEncoder) : -1);
        t.SetVbrMethod(store.readInt(VbrCodingMethod, kEncoder) - 1);
        t.SetAthMode(store.readInt(Ath, kEncoder));
        // "Mono" sets the channel count only: the mode stays as last set.
        const int channelMode = store.readInt(Mp3Channel, kEncoder);
        if (channelMode == 0) {
            t.SetChannels(1);
        } else {
            t.SetChannels(2);
            t.SetChannelMode(channelMode);
        }
        t.SetEmphasis(store.readInt(DeEmphasis, kEncoder));
        t.SetQuality(store.readInt(Mp3Quality, kEncoder));
        t.SetBitrate(store.readValue(Mp3Bitrate, kEncoder));
        t.SetVbrBitrate(store.readValue(VbrBitrate, kEncoder));
        t.SetHighPassWidth(store.readInt(HighPassWidth, kEncoder));
        t.SetLowPassWidth(store.readInt(LowPassWidth, kEncoder));
        t.SetVbrQuality(store.readInt(VbrQuality, kEncoder));
        t.SetOutputSampleRate(store.readValue(Mp3Frequency, kEncoder));
    } else {
        // Everything else keeps what the last full configuration set.
        if (preset)
            t.SetPreset(store.readInt(Preset, kEncoder) + 1);
        if (altPreset)
            t.SetAltPreset(store.readInt(AltPreset, kEncoder) + 1);
    }
    if (!commandLine.isEmpty())
        t.SetCommandLine(commandLine);
    t.SetMp3Encoder();
}

void configureWav(const SettingsStore& store, EncoderTarget& t)
{
    using namespace keys;
    if (t.IsOpen())
        t.Close();
    switch (store.readInt(WavMode, kEncoder)) {
    case 0: // "CD quality WAV format."
        t.SetWavFormat(44100, 2, 16);
        break;
    case 1: // "Best good quality WAV format."
        t.SetWavFormat(48000, 2, 32);
        break;
    case 2: // "Custom WAV format."
        t.SetWavFormat(store.readValue(WavFrequency, kEncoder),
                       store.readValue(WavChannels, kEncoder), store.readValue(WavBits, kEncoder));
        break;
    default:
        break;
    }
}

void configureOgg(const SettingsStore& store, EncoderTarget& t)
{
    using namespace keys;
    const int rate = store.readValue(OggFrequency, kEncoder);
    const int channels = store.readValue(OggChannels, kEncoder);
    const bool variable = store.readBool(OggVariableBitrate, kEncoder);
    const bool quality = store.readBool(OggQualityMode, kEncoder);
    // Each step tests its own flags: a hand-edited file with both flags on
    // gets the quality call and then the variable-bitrate call.
    if (!variable && !quality)
        t.SetOggFormat(rate, channels, store.readValue(OggBitrate, kEncoder), 0, 0, -1);
    if (quality)
        t.SetOggFormat(rate, channels, 0, 0, 0, store.readInt(OggQuality, kEncoder));
    if (variable)
        t.SetOggFormat(rate, channels, store.readValue(OggBitrate, kEncoder),
                       store.readValue(OggMinBitrate, kEncoder),
                       store.readValue(OggMaxBitrate, kEncoder), -1);
}

} // namespace

void ConfigureEncoder(int format, const SettingsStore& store, EncoderTarget& target,
                      const QString& commandLine)
{
    switch (format) {
    case FormatMp3:
        configureMp3(store, target, commandLine);
        break;
    case FormatWav:
        configureWav(store, target);
        break;
    case FormatWma:
        target.SetWmaProfile(store.readInt(keys::WmaProfile, kEncoder) + 1);
        break;
    case FormatOgg:
        configureOgg(store, target);
        break;
    default:
        break;
    }
}

} // namespace settings
