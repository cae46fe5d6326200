#pragma once

// The cut's options for what its pieces are: the encoder values of the run
// (over the settings file's), the name template and whether tags are
// written. The option parser is the caller's; these read the options' texts
// through a lookup, so that any parser can hand them over.

#include "engine/CutTasks.h"
#include "engine/EncoderOverrides.h"
#include "engine/OutputFormat.h"

#include <QString>
#include <functional>
#include <optional>

namespace cli {

// The text given for an option by its long name, none when it was not given
// (an empty text for a switch that was).
using OptionLookup = std::function<std::optional<QString>(const QString& name)>;

struct OutputOptionRow {
    const char* name;
    const char* argument; // empty for a switch
    const char* help;
};
// The options, for the caller's parser and help.
const std::vector<OutputOptionRow>& outputOptionRows();

// --bitrate, --vbr-quality, --quality, --rate, --channels, --bits for
// pieces in `format`. Throws UsageError naming the accepted values.
EncoderOverrides parseEncoderOptions(const OptionLookup& option, OutputFormat format);

// --name and --no-tags. Throws UsageError for a template that cannot be used.
PieceRules parsePieceRules(const OptionLookup& option);

} // namespace cli
