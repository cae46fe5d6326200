#pragma once

#include <QString>

namespace settings {

class EncoderTarget;
class SettingsStore;

// The output formats, as the format box and the join's save dialog list them.
enum OutputFormat { FormatMp3 = 0, FormatWav = 1, FormatWma = 2, FormatOgg = 3 };

// Prepares the writer for the next output file in `format` (any other value
// does nothing): reads that format's keys from the settings file, with their
// Encoder defaults, at every call, and hands them to the components.
// `commandLine` is the MP3 command-line text of the settings dialog (empty
// when none was typed); it is passed on only when it is not empty. Failures
// of the components propagate to the caller.
void ConfigureEncoder(int format, const SettingsStore& store, EncoderTarget& target,
                      const QString& commandLine);

} // namespace settings
