// SPDX-License-Identifier: GPL-3.0-or-later
#include "gui/settings/SettingsControlNames.h"

#include <QString>

using settings::ControlId;

namespace {

struct ControlName {
    ControlId id;
    const char* name;
};

using enum ControlId;
constexpr ControlName kNames[] = {
    {rb_custom, "rb_custom"},
    {rb_time, "rb_time"},
    {edt_time, "edt_time"},
    {rb_count, "rb_count"},
    {edt_count, "edt_count"},
    {rb_unification, "rb_unification"},
    {cb_fadein, "cb_fadein"},
    {cb_fadeintime, "cb_fadeintime"},
    {cb_fadeout, "cb_fadeout"},
    {cb_fadeouttime, "cb_fadeouttime"},
    {cb_mp3_frequency, "cb_mp3_frequency"},
    {cb_mp3_bitrate, "cb_mp3_bitrate"},
    {cb_mp3_channel, "cb_mp3_channel"},
    {ud_mp3_quality, "ud_mp3_quality"},
    {edt_mp3_quality, "edt_mp3_quality"},
    {ck_mp3_copy, "ck_mp3_copy"},
    {cb_mp3vbrcm, "cb_mp3vbrcm"},
    {cb_mp3_vbr, "cb_mp3_vbr"},
    {ud_mp3_vbr, "ud_mp3_vbr"},
    {edt_mp3_vbr, "edt_mp3_vbr"},
    {ck_mp3_VBR, "ck_mp3_VBR"},
    {ck_mp3_semb, "ck_mp3_semb"},
    {chHFilt, "chHFilt"},
    {udHFiltF, "udHFiltF"},
    {lab_HFiltW, "lab_HFiltW"},
    {udHFiltW, "udHFiltW"},
    {chLFilt, "chLFilt"},
    {udLFiltF, "udLFiltF"},
    {lab_LFiltW, "lab_LFiltW"},
    {udLFiltW, "udLFiltW"},
    {ck_crc, "ck_crc"},
    {ck_comply, "ck_comply"},
    {ck_allow, "ck_allow"},
    {ck_short, "ck_short"},
    {ck_bit, "ck_bit"},
    {cb_ath, "cb_ath"},
    {cb_de, "cb_de"},
    {ck_preset, "ck_preset"},
    {rg_prest, "rg_prest"},
    {ck_alt, "ck_alt"},
    {rg_alt, "rg_alt"},
    {txtCommLine, "txtCommLine"},
    {rb_cdmode, "rb_cdmode"},
    {cb_wav_frequency, "cb_wav_frequency"},
    {cb_wav_bit, "cb_wav_bit"},
    {cb_wav_channel, "cb_wav_channel"},
    {cb_wma, "cb_wma"},
    {cb_ogg_fre, "cb_ogg_fre"},
    {cb_ogg_channel, "cb_ogg_channel"},
    {cb_ogg_bitrate, "cb_ogg_bitrate"},
    {ck_oggvbr, "ck_oggvbr"},
    {ck_oggquality, "ck_oggquality"},
    {cb_ogg_minbit, "cb_ogg_minbit"},
    {cb_ogg_maxbit, "cb_ogg_maxbit"},
    {ud_ogg_quality, "ud_ogg_quality"},
    {edt_ogg_quality, "edt_ogg_quality"},
};

// Indexed by id, so every id has exactly one row.
constexpr bool inIdOrder()
{
    if (std::size(kNames) != settings::kControlIdCount)
        return false;
    for (int i = 0; i < settings::kControlIdCount; ++i)
        if (settings::indexOf(kNames[i].id) != i)
            return false;
    return true;
}
static_assert(inIdOrder(), "one name per ControlId, in the order of ControlId");

} // namespace

QLatin1String settingsControlName(ControlId id)
{
    return QLatin1String(kNames[settings::indexOf(id)].name);
}

std::optional<ControlId> settingsControlNamed(const QString& objectName)
{
    for (const ControlName& entry : kNames)
        if (objectName == QLatin1String(entry.name))
            return entry.id;
    return std::nullopt;
}
