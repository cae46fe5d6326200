// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "tags/TagFields.h"

#include <QString>

// Writes the tag record into a finished output, by the output's extension:
// ID3 version 2 for ".mp3", Windows Media attributes for ".wma", Vorbis
// comments for ".ogg"; nothing for ".wav", which holds no tags. Every field
// goes in, the year and the comment too, and the track as given ("n/total"
// for a numbered piece). Failures of the tag writers are thrown.
void WriteOutputTags(const QString& outputPath, const TagFields& tags);
