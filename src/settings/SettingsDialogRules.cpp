// SPDX-License-Identifier: GPL-3.0-or-later
#include "settings/SettingsDialogRules.h"

#include "settings/SettingsStore.h"

#include <array>

namespace settings {

namespace {

KeyTest isOn(const Key& key)
{
    return {&key, false, 0};
}

KeyTest isOff(const Key& key)
{
    return {&key, true, 0};
}

KeyTest is(const Key& key, int value)
{
    return {&key, true, value};
}

KeyTest isNot(const Key& key, int value)
{
    return {&key, false, value};
}

} // namespace

std::span<const ControlId> AllControlIds()
{
    static const auto ids = [] {
        std::array<ControlId, kControlIdCount> all{};
        for (int i = 0; i < kControlIdCount; ++i)
            all[i] = static_cast<ControlId>(i);
        return all;
    }();
    return ids;
}

std::span<const SettingsPage> SettingsPages()
{
    static const SettingsPage pages[] = {
        {-1, "General", "Set General", "gb_cdgeneral"},
        {-1, "MP3", "Set MP3 General", "gb_mp3general"},
        {1, "General", "Set MP3 General", "gb_mp3general"},
        {1, "VBR", "Set MP3 VBR", "gb_mp3vbr"},
        {1, "Filtering", "Set MP3 Filter", "gb_filter"},
        {1, "Expert", "Set MP3 Expert", "gb_expert"},
        {1, "Presets", "Set MP3 Presets", "gb_presets"},
        {1, "Command Line", "Set MP3 Command Line", "gb_command"},
        {-1, "WAV", "Set WAV Format", "gb_wav"},
        {-1, "WMA", "Set WMA Format", "gb_wma"},
        {-1, "OGG", "Set OGG Format", "gb_ogg"},
    };
    return pages;
}

std::span<const SettingsControl> SettingsControls()
{
    using namespace keys;
    using enum ControlId;
    static const SettingsControl controls[] = {
        {cb_mp3_bitrate, &Mp3Bitrate},
        {cb_mp3_channel, &Mp3Channel},
        {cb_mp3_frequency, &Mp3Frequency},
        {ud_mp3_quality, &Mp3Quality, 0, 9},
        {cb_mp3vbrcm, &VbrCodingMethod},
        {cb_mp3_vbr, &VbrBitrate},
        {ud_mp3_vbr, &VbrQuality, 0, 9},
        {ck_mp3_VBR, &VbrWriteHeader},
        {ck_mp3_semb, &VbrStrictMinimum},
        {chHFilt, &HighPassOn},
        {chLFilt, &LowPassOn},
        {udHFiltF, &HighPassFrequency, 0, 48000},
        {udHFiltW, &HighPassWidth, 0, 48000},
        {udLFiltF, &LowPassFrequency, 0, 48000},
        {udLFiltW, &LowPassWidth, 0, 48000},
        {ck_bit, &BitReservoir},
        {ck_short, &ShortBlocks},
        {ck_allow, &AllowDiffBlocks},
        {ck_comply, &StrictIso},
        {ck_crc, &Crc},
        {cb_ath, &Ath},
        {cb_de, &DeEmphasis},
        {ck_preset, &PresetOn},
        {ck_alt, &AltPresetOn},
        {rg_prest, &Preset},
        {rg_alt, &AltPreset},
        {rb_cdmode, &WavMode},
        {cb_wav_bit, &WavBits},
        {cb_wav_channel, &WavChannels},
        {cb_wav_frequency, &WavFrequency},
        {cb_wma, &WmaProfile},
        {cb_ogg_channel, &OggChannels},
        {cb_ogg_fre, &OggFrequency},
        {cb_ogg_bitrate, &OggBitrate},
        {cb_ogg_maxbit, &OggMaxBitrate},
        {cb_ogg_minbit, &OggMinBitrate},
        {ud_ogg_quality, &OggQuality, 0, 1000},
        {ck_oggvbr, &OggVariableBitrate},
        {ck_oggquality, &OggQualityMode},
    };
    return controls;
}

const SettingsControl* ControlFor(const Key& key)
{
    for (const SettingsControl& control : SettingsControls())
        if (control.key == &key)
            return &control;
    return nullptr;
}

std::span<const EnableRule> EnableRules()
{
    using namespace keys;
    using enum ControlId;
    using enum RuleRuns;
    // The order matters where two rows of one trigger name the same control,
    // and between the preset rows: each box's rows decide from both boxes,
    // so what ends enabled depends on which box changed last.
    static const EnableRule rules[] = {
        {&VbrCodingMethod,
         OnUserChangeAndShow,
         {cb_mp3_vbr, edt_mp3_vbr, ud_mp3_vbr, ck_mp3_VBR, ck_mp3_semb},
         {isNot(VbrCodingMethod, 0)}},
        {&WavMode,
         OnChangeAndShow,
         {cb_wav_frequency, cb_wav_bit, cb_wav_channel},
         {is(WavMode, 2)}},
        {&HighPassOn, OnChange, {udHFiltF, udHFiltW, lab_HFiltW}, {isOn(HighPassOn)}},
        {&LowPassOn, OnChange, {udLFiltF, udLFiltW, lab_LFiltW}, {isOn(LowPassOn)}},
        {&PresetOn, OnChange, {rg_prest}, {isOn(PresetOn)}},
        {&PresetOn, OnChange, {rg_alt}, {isOn(AltPresetOn), isOff(PresetOn)}},
        {&PresetOn, OnChange, {ck_alt}, {isOff(PresetOn)}},
        {&AltPresetOn, OnChange, {rg_alt}, {isOn(AltPresetOn)}},
        {&AltPresetOn, OnChange, {rg_prest}, {isOn(AltPresetOn), isOn(PresetOn)}},
        {&AltPresetOn, OnChange, {ck_preset}, {isOff(AltPresetOn)}},
        {&OggVariableBitrate, OnChange, {ck_oggquality}, {isOff(OggVariableBitrate)}},
        {&OggVariableBitrate,
         OnChangeAndShow,
         {cb_ogg_minbit, cb_ogg_maxbit},
         {isOn(OggVariableBitrate)}},
        {&OggQualityMode, OnChange, {ck_oggvbr}, {isOff(OggQualityMode)}},
        {&OggQualityMode,
         OnChangeAndShow,
         {edt_ogg_quality, ud_ogg_quality},
         {isOn(OggQualityMode)}},
    };
    return rules;
}

std::span<const ControlId> InitiallyDisabled()
{
    using enum ControlId;
    // As the form creates them: no filter and no preset is on yet.
    static const ControlId disabled[] = {udHFiltF, udHFiltW,   lab_HFiltW, udLFiltF,
                                         udLFiltW, lab_LFiltW, rg_prest,   rg_alt};
    return disabled;
}

} // namespace settings
