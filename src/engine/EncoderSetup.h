#pragma once

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

    void configure(AudioFile& writer, OutputFormat format) const;

private:
    IniFile& m_ini;
    Mp3EncoderSettings& m_mp3;
    std::function<QString()> m_commandLine;
};
