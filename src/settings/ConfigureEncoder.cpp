// SPDX-License-Identifier: GPL-3.0-or-later
#include "settings/ConfigureEncoder.h"

#include "audio/AudioFile.h"
#include "audio/encoders/Mp3EncoderSettings.h"
#include "settings/SettingsStore.h"

namespace settings {

namespace {

constexpr DefaultKind kEncoder = DefaultKind::Encoder;

Mp3Configuration configureMp3(const SettingsStore& store, const QString& commandLine)
{
    using namespace keys;
    Mp3Configuration c;
    const bool preset = store.readBool(PresetOn, kEncoder);
    const bool altPreset = store.readBool(AltPresetOn, kEncoder);
    if (!preset && !altPreset) {
        Mp3Properties p;
        p.writeVbrHeader = store.readBool(VbrWriteHeader, kEncoder);
        p.enforceMinBitrate = store.readBool(VbrStrictMinimum, kEncoder);
        p.crc = store.readBool(Crc, kEncoder);
        p.allowDiffBlockTypes = store.readBool(AllowDiffBlocks, kEncoder);
        p.bitReservoir = store.readBool(BitReservoir, kEncoder);
        p.shortBlocks = store.readBool(ShortBlocks, kEncoder);
        p.strictIso = store.readBool(StrictIso, kEncoder);
        p.highPassFrequency =
            store.readBool(HighPassOn, kEncoder) ? store.readInt(HighPassFrequency, kEncoder) : -1;
        p.lowPassFrequency =
            store.readBool(LowPassOn, kEncoder) ? store.readInt(LowPassFrequency, kEncoder) : -1;
        p.vbrMethod = store.readInt(VbrCodingMethod, kEncoder) - 1;
        p.athMode = store.readInt(Ath, kEncoder);
        const int channelMode = store.readInt(Mp3Channel, kEncoder);
        p.channels = channelMode == 0 ? 1 : 2;
        p.channelMode = channelMode == 0 ? std::nullopt : std::optional<int>(channelMode);
        p.emphasis = store.readInt(DeEmphasis, kEncoder);
        p.quality = store.readInt(Mp3Quality, kEncoder);
        p.bitrate = store.readValue(Mp3Bitrate, kEncoder);
        p.vbrBitrate = store.readValue(VbrBitrate, kEncoder);
        p.highPassWidth = store.readInt(HighPassWidth, kEncoder);
        p.lowPassWidth = store.readInt(LowPassWidth, kEncoder);
        p.vbrQuality = store.readInt(VbrQuality, kEncoder);
        p.outputSampleRate = store.readValue(Mp3Frequency, kEncoder);
        c.properties = p;
    } else {
        if (preset)
            c.preset = store.readInt(Preset, kEncoder) + 1;
        if (altPreset)
            c.altPreset = store.readInt(AltPreset, kEncoder) + 1;
    }
    c.commandLine = commandLine;
    return c;
}

std::optional<WavFormat> configureWav(const SettingsStore& store)
{
    using namespace keys;
    switch (store.readInt(WavMode, kEncoder)) {
    case 0: // "CD quality WAV format."
        return WavFormat{44100, 2, 16};
    case 1: // "Best good quality WAV format."
        return WavFormat{48000, 2, 32};
    case 2: // "Custom WAV format."
        return WavFormat{store.readValue(WavFrequency, kEncoder),
                         store.readValue(WavChannels, kEncoder),
                         store.readValue(WavBits, kEncoder)};
    default:
        return std::nullopt;
    }
}

std::vector<OggFormat> configureOgg(const SettingsStore& store)
{
    using namespace keys;
    const int rate = store.readValue(OggFrequency, kEncoder);
    const int channels = store.readValue(OggChannels, kEncoder);
    const bool variable = store.readBool(OggVariableBitrate, kEncoder);
    const bool quality = store.readBool(OggQualityMode, kEncoder);
    std::vector<OggFormat> steps;
    // Each step tests its own flags: a hand-edited file with both flags on
    // gets the quality step and then the variable-bitrate step.
    if (!variable && !quality)
        steps.push_back({rate, channels, store.readValue(OggBitrate, kEncoder), 0, 0, -1});
    if (quality)
        steps.push_back({rate, channels, 0, 0, 0, store.readInt(OggQuality, kEncoder)});
    if (variable)
        steps.push_back({rate, channels, store.readValue(OggBitrate, kEncoder),
                         store.readValue(OggMinBitrate, kEncoder),
                         store.readValue(OggMaxBitrate, kEncoder), -1});
    return steps;
}

void applyMp3(const Mp3Configuration& c, AudioFile& writer, Mp3EncoderSettings& mp3)
{
    if (const auto& p = c.properties) {
        // The order is the settings object's contract with its users; the
        // VBR values are set even when the method is "None".
        mp3.SetWriteVbrHeader(p->writeVbrHeader);
        mp3.SetEnforceMinBitrate(p->enforceMinBitrate);
        mp3.SetCrc(p->crc);
        mp3.SetAllowDiffBlockTypes(p->allowDiffBlockTypes);
        mp3.SetBitReservoir(p->bitReservoir);
        mp3.SetShortBlocks(p->shortBlocks);
        mp3.SetStrictIso(p->strictIso);
        mp3.SetHighPassFrequency(p->highPassFrequency);
        mp3.SetLowPassFrequency(p->lowPassFrequency);
        mp3.SetVbrMethod(p->vbrMethod);
        mp3.SetAthMode(p->athMode);
        mp3.SetChannels(p->channels);
        if (p->channelMode)
            mp3.SetChannelMode(*p->channelMode);
        mp3.SetEmphasis(p->emphasis);
        mp3.SetQuality(p->quality);
        mp3.SetBitrate(p->bitrate);
        mp3.SetVbrBitrate(p->vbrBitrate);
        mp3.SetHighPassWidth(p->highPassWidth);
        mp3.SetLowPassWidth(p->lowPassWidth);
        mp3.SetVbrQuality(p->vbrQuality);
        mp3.SetOutputSampleRate(p->outputSampleRate);
    }
    if (c.preset)
        mp3.SetPreset(*c.preset);
    if (c.altPreset)
        mp3.SetAltPreset(*c.altPreset);
    if (!c.commandLine.isEmpty())
        mp3.SetCommandLine(c.commandLine);
    writer.SetMp3Encoder(mp3);
}

} // namespace

EncoderConfiguration ConfigureEncoder(int format, const SettingsStore& store,
                                      const QString& commandLine)
{
    EncoderConfiguration config;
    switch (format) {
    case FormatMp3:
        config.mp3 = configureMp3(store, commandLine);
        break;
    case FormatWav:
        config.wav = configureWav(store);
        break;
    case FormatWma:
        config.wmaProfile = store.readInt(keys::WmaProfile, kEncoder) + 1;
        break;
    case FormatOgg:
        config.ogg = configureOgg(store);
        break;
    default:
        return config;
    }
    config.format = format;
    return config;
}

void applyEncoderConfiguration(const EncoderConfiguration& config, AudioFile& writer,
                               Mp3EncoderSettings& mp3)
{
    switch (config.format) {
    case FormatMp3:
        applyMp3(config.mp3, writer, mp3);
        break;
    case FormatWav:
        if (writer.IsOpen())
            writer.Close();
        if (config.wav)
            writer.SetWavFormat(config.wav->rate, config.wav->channels, config.wav->bitsPerSample);
        break;
    case FormatWma:
        if (config.wmaProfile)
            writer.SetWmaProfile(*config.wmaProfile);
        break;
    case FormatOgg:
        for (const OggFormat& f : config.ogg)
            writer.SetOggFormat(f.rate, f.channels, f.kbps, f.minKbps, f.maxKbps, f.quality);
        break;
    default:
        break;
    }
}

void configureWriter(int format, const SettingsStore& store, const QString& commandLine,
                     AudioFile& writer, Mp3EncoderSettings& mp3)
{
    applyEncoderConfiguration(ConfigureEncoder(format, store, commandLine), writer, mp3);
}

} // namespace settings
