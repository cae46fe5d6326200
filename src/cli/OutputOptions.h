// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The cut's options for what its pieces are: the encoder values of the run
// (over the settings file's), the name template and whether tags are
// written. Their rows are in the option table.

#include "engine/CutTasks.h"
#include "engine/EncoderOverrides.h"
#include "engine/OutputFormat.h"

namespace cli {

class ParsedLine;

// --bitrate, --vbr-quality, --quality, --rate, --channels, --bits for
// pieces in `format`. Throws UsageError naming the accepted values.
EncoderOverrides parseEncoderOptions(const ParsedLine& line, OutputFormat format);

// --name and --no-tags. Throws UsageError for a template that cannot be used.
PieceRules parsePieceRules(const ParsedLine& line);

} // namespace cli
