// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <span>
#include <vector>

// The settings dialog as data: its pages, its controls, which encoder key
// each control edits, and the rules that enable and disable controls. The
// model runs these tables; the widgets find their controls by ControlId, so a
// control that a rule names and the form lacks is a test failure, not a
// silent no-op at run time.
namespace settings {

struct Key;

// Every control of the settings dialog that holds a setting or that a rule
// enables, page by page in reading order. The names are the controls'
// described names; only the widget layer knows them as object names.
enum class ControlId {
    // General
    rb_custom,
    rb_time,
    edt_time,
    rb_count,
    edt_count,
    rb_unification,
    cb_fadein,
    cb_fadeintime,
    cb_fadeout,
    cb_fadeouttime,
    // MP3 General
    cb_mp3_frequency,
    cb_mp3_bitrate,
    cb_mp3_channel,
    ud_mp3_quality,
    edt_mp3_quality, // the edit beside the up-down
    ck_mp3_copy,
    // MP3 VBR
    cb_mp3vbrcm,
    cb_mp3_vbr,
    ud_mp3_vbr,
    edt_mp3_vbr,
    ck_mp3_VBR,
    ck_mp3_semb,
    // MP3 Filtering
    chHFilt,
    udHFiltF,
    lab_HFiltW,
    udHFiltW,
    chLFilt,
    udLFiltF,
    lab_LFiltW,
    udLFiltW,
    // MP3 Expert
    ck_crc,
    ck_comply,
    ck_allow,
    ck_short,
    ck_bit,
    cb_ath,
    cb_de,
    // MP3 Presets
    ck_preset,
    rg_prest,
    ck_alt,
    rg_alt,
    // MP3 Command Line
    txtCommLine,
    // WAV
    rb_cdmode,
    cb_wav_frequency,
    cb_wav_bit,
    cb_wav_channel,
    // WMA
    cb_wma,
    // OGG
    cb_ogg_fre,
    cb_ogg_channel,
    cb_ogg_bitrate,
    ck_oggvbr,
    ck_oggquality,
    cb_ogg_minbit,
    cb_ogg_maxbit,
    ud_ogg_quality,
    edt_ogg_quality, // the edit beside the up-down
};
inline constexpr int kControlIdCount = static_cast<int>(ControlId::edt_ogg_quality) + 1;

constexpr int indexOf(ControlId id)
{
    return static_cast<int>(id);
}

// Every id, in the order above.
std::span<const ControlId> AllControlIds();

// One node of the settings dialog's page tree, counted from the top with the
// children included; `parent` is the index of the parent node or -1.
struct SettingsPage {
    int parent;
    const char* node;
    const char* title;
    const char* groupBox;
};
std::span<const SettingsPage> SettingsPages();

// The control that edits one encoder key. Integer keys carry the range of
// their up-down or spin edit.
struct SettingsControl {
    ControlId id;
    const Key* key;
    int minimum = 0;
    int maximum = 0;
};
std::span<const SettingsControl> SettingsControls();
const SettingsControl* ControlFor(const Key& key);

// One test of a rule's condition: the key's value equals `value`, or
// differs from it.
struct KeyTest {
    const Key* key;
    bool equals;
    int value;
};

// When a rule runs: on a change of its trigger key, whether made by the user
// or by the program (loading, Default), and perhaps again once showing has
// loaded every control, whether the key changed or not.
enum class RuleRuns {
    OnChange,
    OnChangeAndShow,
    // The method list raises no change event when the program sets it.
    OnUserChangeAndShow,
};

// When it runs, a rule sets every control of `controls` enabled exactly when
// all tests of `condition` hold.
struct EnableRule {
    const Key* trigger;
    RuleRuns runs;
    std::vector<ControlId> controls;
    std::vector<KeyTest> condition;
};
std::span<const EnableRule> EnableRules();

// The enabled state before the dialog is first shown: these are disabled,
// every other control is enabled.
std::span<const ControlId> InitiallyDisabled();

} // namespace settings
