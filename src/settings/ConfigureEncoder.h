// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <optional>
#include <vector>

class AudioFile;
class Mp3EncoderSettings;

namespace settings {

class SettingsStore;

// The output formats, as the format box and the join's save dialog list them.
enum OutputFormat { FormatMp3 = 0, FormatWav = 1, FormatWma = 2, FormatOgg = 3 };

// Every MP3 property of a full configuration, in the order the settings
// object receives them.
struct Mp3Properties {
    bool writeVbrHeader = true;
    bool enforceMinBitrate = false;
    bool crc = false;
    bool allowDiffBlockTypes = false;
    bool bitReservoir = true;
    bool shortBlocks = true;
    bool strictIso = false;
    int highPassFrequency = -1; // -1: the filter is off
    int lowPassFrequency = -1;  // -1: LAME keeps the low-pass it tunes to the bitrate
    int vbrMethod = -1;         // -1: constant bitrate
    int athMode = 0;
    int channels = 2;
    // Absent for "Mono": the settings object keeps the mode last set.
    std::optional<int> channelMode = 1;
    int emphasis = 0;
    int quality = 5;
    int bitrate = 128;
    int vbrBitrate = 128;
    int highPassWidth = 5;
    int lowPassWidth = 750;
    int vbrQuality = 5;
    int outputSampleRate = 44100;

    bool operator==(const Mp3Properties&) const = default;
};

struct Mp3Configuration {
    // Absent when a preset or an alt-preset is on: every property then keeps
    // what the last full configuration of the run gave it.
    std::optional<Mp3Properties> properties;
    std::optional<int> preset;    // 1 "Phone" .. 11 "R3Mix"
    std::optional<int> altPreset; // 1 "Fast Standard" .. 5 "Insane"
    QString commandLine;          // empty: none is passed on

    bool operator==(const Mp3Configuration&) const = default;
};

struct WavFormat {
    int rate = 0;
    int channels = 0;
    int bitsPerSample = 0;

    bool operator==(const WavFormat&) const = default;
};

struct OggFormat {
    int rate = 0;
    int channels = 0;
    int kbps = 0;
    int minKbps = 0;
    int maxKbps = 0;
    int quality = -1; // -1 unless quality mode is on

    bool operator==(const OggFormat&) const = default;
};

// What the writer is to be given before the next output file. Only the part
// of `format` is filled.
struct EncoderConfiguration {
    int format = -1; // an OutputFormat; any other value configures nothing
    Mp3Configuration mp3;
    std::optional<WavFormat> wav;
    std::optional<int> wmaProfile; // numbered from 1
    // In the order they are given; the last one is what gets written. Two
    // only when a hand-edited file turns on both quality mode and variable
    // bitrate.
    std::vector<OggFormat> ogg;

    bool operator==(const EncoderConfiguration&) const = default;
};

// Reads the keys of `format` from the settings file, with their Encoder
// defaults, at every call (so that a change confirmed in the settings dialog
// applies to the next output) and says what the writer is to be given.
// `commandLine` is the MP3 command-line text of the settings dialog, empty
// when none was typed.
EncoderConfiguration ConfigureEncoder(int format, const SettingsStore& store,
                                      const QString& commandLine);

// Gives `config` to the writer: the WAV format closes an open writer first;
// MP3 properties go to `mp3`, which is then handed to the writer. Failures of
// the components propagate to the caller.
void applyEncoderConfiguration(const EncoderConfiguration& config, AudioFile& writer,
                               Mp3EncoderSettings& mp3);

// What a cut or join calls before it opens each output file: ConfigureEncoder
// and then applyEncoderConfiguration. `mp3` is the run's one settings object,
// so that a preset configuration inherits the last full one.
void configureWriter(int format, const SettingsStore& store, const QString& commandLine,
                     AudioFile& writer, Mp3EncoderSettings& mp3);

} // namespace settings
