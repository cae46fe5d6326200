// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

// The MP3 encoder settings object: a value object that keeps what was set
// until it is set again, so that a configuration that sets only a preset
// inherits every other property from the last full configuration.
//
// Presets and the command line belong to one configuration: the first setter
// called after the object was handed to a writer starts a new configuration,
// which begins without preset, alt-preset and command line. Without this a
// preset chosen once would stay on for every later output, and an emptied
// command-line box would keep applying the old options.
class Mp3EncoderSettings {
public:
    // Channel modes as the settings dialog numbers them (0 is "Mono", which
    // is chosen with SetChannels(1) instead).
    enum ChannelMode { Stereo = 1, JointStereo = 2, ForcedJointStereo = 3, DualChannels = 4 };
    // -1 is CBR; the others are the VBR methods of the settings dialog.
    enum VbrMethod { VbrNone = -1, VbrDefault = 0, VbrOld = 1, VbrNew = 2, VbrMtrh = 3 };
    enum AthMode { AthDefault = 0, AthOnly = 1, AthDisabled = 2, AthOnlyShortBlocks = 3 };
    enum Emphasis { EmphasisNone = 0, Emphasis50_15 = 1, EmphasisCcitt = 2 };

    // LAME options as typed on the command line; lines may be separated by
    // CR LF. Checked when the output is created.
    void SetCommandLine(const QString& text);
    void SetPreset(int preset);       // 0 none, 1 "Phone" .. 11 "R3Mix"
    void SetAltPreset(int altPreset); // 0 none, 1 "Fast Standard" .. 5 "Insane"
    void SetVbrBitrate(int kbps);     // the highest bitrate VBR may use
    void SetVbrQuality(int quality);  // 0 best .. 9
    void SetVbrMethod(int method);
    void SetChannelMode(int mode);
    void SetQuality(int quality); // 0 best and slowest .. 9 fastest
    void SetWriteVbrHeader(bool on);
    void SetBitReservoir(bool on);
    void SetAllowDiffBlockTypes(bool on);
    void SetShortBlocks(bool on);
    void SetEmphasis(int emphasis);
    void SetStrictIso(bool on);
    // With VBR: never go below SetBitrate's value, not even for silence.
    void SetEnforceMinBitrate(bool on);
    void SetAthMode(int mode);
    void SetLowPassFrequency(int hz);  // -1: no filter of the user's
    void SetHighPassFrequency(int hz); // -1: no filter of the user's
    void SetLowPassWidth(int hz);
    void SetHighPassWidth(int hz);
    void SetCrc(bool on);
    void SetOutputSampleRate(int hz);
    void SetChannels(int channels);
    void SetBitrate(int kbps); // CBR bitrate; the minimum with SetEnforceMinBitrate

    const QString& commandLine() const { return m_commandLine; }
    int preset() const { return m_preset; }
    int altPreset() const { return m_altPreset; }
    int vbrBitrate() const { return m_vbrBitrate; }
    int vbrQuality() const { return m_vbrQuality; }
    int vbrMethod() const { return m_vbrMethod; }
    int channelMode() const { return m_channelMode; }
    int quality() const { return m_quality; }
    bool writeVbrHeader() const { return m_writeVbrHeader; }
    bool bitReservoir() const { return m_bitReservoir; }
    bool allowDiffBlockTypes() const { return m_allowDiffBlockTypes; }
    bool shortBlocks() const { return m_shortBlocks; }
    int emphasis() const { return m_emphasis; }
    bool strictIso() const { return m_strictIso; }
    bool enforceMinBitrate() const { return m_enforceMinBitrate; }
    int athMode() const { return m_athMode; }
    int lowPassFrequency() const { return m_lowPassFrequency; }
    int highPassFrequency() const { return m_highPassFrequency; }
    int lowPassWidth() const { return m_lowPassWidth; }
    int highPassWidth() const { return m_highPassWidth; }
    bool crc() const { return m_crc; }
    int outputSampleRate() const { return m_outputSampleRate; }
    int channels() const { return m_channels; }
    int bitrate() const { return m_bitrate; }

    bool usesPreset() const { return m_preset != 0 || m_altPreset != 0; }

    // Called by the writer that takes these settings over; see the class comment.
    void markHandedOver() const { m_handedOver.value = true; }

private:
    void beginChange();

    // The component's own defaults: what an output gets before any
    // configuration, equal to the settings dialog's defaults.
    QString m_commandLine;
    int m_preset = 0;
    int m_altPreset = 0;
    int m_vbrBitrate = 128;
    int m_vbrQuality = 5;
    int m_vbrMethod = VbrNone;
    int m_channelMode = Stereo;
    int m_quality = 5;
    bool m_writeVbrHeader = true;
    bool m_bitReservoir = true;
    bool m_allowDiffBlockTypes = false;
    bool m_shortBlocks = true;
    int m_emphasis = EmphasisNone;
    bool m_strictIso = false;
    bool m_enforceMinBitrate = false;
    int m_athMode = AthDefault;
    int m_lowPassFrequency = -1;
    int m_highPassFrequency = -1;
    int m_lowPassWidth = 750;
    int m_highPassWidth = 5;
    bool m_crc = false;
    int m_outputSampleRate = 44100;
    int m_channels = 2;
    int m_bitrate = 128;

    // Copies start unmarked: the mark concerns the caller's own object, not
    // the copy a writer keeps.
    struct HandOverMark {
        mutable bool value = false;
        HandOverMark() = default;
        HandOverMark(const HandOverMark&) {}
        HandOverMark& operator=(const HandOverMark&) { return *this; }
    };
    HandOverMark m_handedOver;
};
