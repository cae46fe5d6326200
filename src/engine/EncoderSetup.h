// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "engine/EncoderOverrides.h"
#include "engine/OutputFormat.h"

#include <QString>
#include <functional>

class AudioFile;
class IniFile;
class Mp3EncoderSettings;

// Prepares a writer for the next output in a format from the settings file,
// read anew at every call.
class EncoderSetup {
public:
    // `commandLine` gives the MP3 command-line text of the settings dialog
    // at the moment of the call (empty when none was typed).
    EncoderSetup(IniFile& ini, Mp3EncoderSettings& mp3, std::function<QString()> commandLine = {});

    // Values of the run put over the settings file's (none by default).
    void setOverrides(const EncoderOverrides& overrides) { m_overrides = overrides; }

    // For an output of a source of `sourceRate` Hz and `sourceChannels`
    // channels, which the overrides' "source" values take.
    void configure(AudioFile& writer, OutputFormat format, int sourceRate = 0,
                   int sourceChannels = 0) const;

private:
    IniFile& m_ini;
    Mp3EncoderSettings& m_mp3;
    std::function<QString()> m_commandLine;
    EncoderOverrides m_overrides;
};
